#include "decoder/MicroDetector.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "decoder/AlignmentPattern.h"
#include "decoder/MicroGrids.h"
#include "decoder/MicroTables.h"
#include "decoder/PerspectiveTransform.h"
#include "decoder/ReaderTuning.h"

namespace {

constexpr std::array<PicturePoint, 4> kFinderFrame = {{{0, 0}, {7, 0}, {7, 7}, {0, 7}}};

bool darkAt(const BitMatrix& bits, PicturePoint p) {
    if (!(p.x >= 0 && p.y >= 0 && p.x < bits.width() && p.y < bits.height())) return false;
    return bits.get(static_cast<int>(p.x), static_cast<int>(p.y));
}

bool moduleDark(const BitMatrix& bits, const PerspectiveTransform& t, int x, int y) {
    return darkAt(bits, t.map({x + 0.5, y + 0.5}));
}

// One way of laying the symbol's frame on the finder pattern's ring.
struct Orientation {
    PerspectiveTransform local;  // from the symbol's module frame, as seen from the front
    bool mirrored = false;
};

std::vector<Orientation> orientations(const std::array<PicturePoint, 4>& ring) {
    std::vector<Orientation> list;
    for (int first = 0; first < 4; ++first)
        for (const bool mirrored : {false, true}) {
            // The ring goes round clockwise, as a symbol's corners do seen from the front.
            std::array<PicturePoint, 4> to;
            for (int k = 0; k < 4; ++k) to[k] = ring[(first + (mirrored ? 4 - k : k)) % 4];
            if (auto t = PerspectiveTransform::fromQuads(kFinderFrame, to)) list.push_back({*t, mirrored});
        }
    return list;
}

// The light separator right of and below the pattern, row 0 going on dark, light, dark, and the
// quiet zone above and left of it: what every Micro QR and rMQR symbol has in that place. (Row 7
// of an R7 symbol is the quiet zone below it, also light.)
bool looksLikeOrigin(const BitMatrix& bits, const PerspectiveTransform& t) {
    int wrong = 0;
    for (int k = 0; k <= 7; ++k) wrong += moduleDark(bits, t, 7, k) + (k < 7 && moduleDark(bits, t, k, 7));
    for (int k = 8; k <= 10; ++k) wrong += moduleDark(bits, t, k, 0) != (k % 2 == 0);
    if (wrong > 1) return false;
    for (int k = -1; k <= 7 && wrong <= 2; ++k) wrong += moduleDark(bits, t, k, -1) + (k >= 0 && moduleDark(bits, t, -1, k));
    return wrong <= 2;
}

// Where the symbol's outer edge crosses the line from module centre (mx, my) of a dark timing
// module outwards (`out`, one module in the symbol's frame), from the bit image: the last dark
// pixel followed by half a module of light. Checked along the edge too: a dark run about one
// module long.
std::optional<PicturePoint> edgePoint(const BitMatrix& bits, const PerspectiveTransform& t, double mx, double my,
                                      PicturePoint out) {
    const PicturePoint p = t.map({mx, my});
    const PicturePoint v = t.map(PicturePoint{mx, my} + out) - p;
    const PicturePoint along = t.map(PicturePoint{mx, my} + PicturePoint{out.y, out.x}) - p;
    const double module = length(v), alongModule = length(along);
    if (!(module >= 1 && module < 1e4 && alongModule >= 1 && alongModule < 1e4)) return std::nullopt;
    const PicturePoint step = v * (0.5 / module), alongStep = along * (0.5 / alongModule);
    const int steps = static_cast<int>(2.6 * module / 0.5), half = std::max(1, static_cast<int>(module));
    // From 0.8 modules inside to 1.8 outside, the outermost dark pixel with light beyond it.
    int lastDark = -1;
    for (int k = 0; k < steps; ++k) {
        const PicturePoint at = p - v * 0.8 + step * k;
        if (!darkAt(bits, at)) continue;
        bool lightBeyond = true;
        for (int j = 1; j <= half && lightBeyond; ++j) lightBeyond = !darkAt(bits, at + step * j);
        if (lightBeyond) lastDark = k;
    }
    if (lastDark < 0) return std::nullopt;
    const PicturePoint edge = p - v * 0.8 + step * (lastDark + 0.5);
    // Half a module inside the edge: a dark run along it of about one module; its middle is the
    // module's position along the edge.
    const PicturePoint inside = edge - v * 0.5;
    if (!darkAt(bits, inside)) return std::nullopt;
    const int limit = static_cast<int>(4 * alongModule);
    int before = 0, after = 0;
    while (before < limit && darkAt(bits, inside - alongStep * (before + 1))) ++before;
    while (after < limit && darkAt(bits, inside + alongStep * (after + 1))) ++after;
    const double run = (before + after + 1) * 0.5;
    if (run < 0.45 * alongModule || run > 1.7 * alongModule) return std::nullopt;
    return edge + alongStep * ((after - before) / 2.0);
}

// The dark timing modules along one edge that the grid follows: module (x, y) centres with the
// edge point's module coordinates.
struct EdgeModule {
    PicturePoint centre;  // module centre
    PicturePoint onEdge;  // where the edge crosses under it, in modules
    PicturePoint out;     // outwards, one module
};

// The least-squares affine map of the pairs (no perspective: steadier than a homography where
// the points lie along two edges of a small symbol), as a transform; nullopt when they do not
// determine one.
std::optional<PerspectiveTransform> affineFit(const std::vector<PerspectiveTransform::Pair>& pairs) {
    // Normal equations of [x y 1] * coefficients = target, for the two targets at once.
    double a[3][3] = {}, bx[3] = {}, by[3] = {};
    for (const auto& p : pairs) {
        const double row[3] = {p.from.x, p.from.y, 1};
        for (int i = 0; i < 3; ++i) {
            for (int j = 0; j < 3; ++j) a[i][j] += p.weight * row[i] * row[j];
            bx[i] += p.weight * row[i] * p.to.x;
            by[i] += p.weight * row[i] * p.to.y;
        }
    }
    const auto det3 = [](const double m[3][3]) {
        return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) - m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
               m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
    };
    const double d = det3(a);
    if (std::abs(d) < 1e-9) return std::nullopt;
    // Cramer's rule for each target.
    double cx[3], cy[3];
    for (int k = 0; k < 3; ++k) {
        double mx[3][3], my[3][3];
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) mx[i][j] = j == k ? bx[i] : a[i][j], my[i][j] = j == k ? by[i] : a[i][j];
        cx[k] = det3(mx) / d, cy[k] = det3(my) / d;
    }
    const auto map = [&](PicturePoint p) { return PicturePoint{cx[0] * p.x + cx[1] * p.y + cx[2], cy[0] * p.x + cy[1] * p.y + cy[2]}; };
    const std::array<PicturePoint, 4> from = {{{0, 0}, {10, 0}, {10, 10}, {0, 10}}};
    return PerspectiveTransform::fromQuads(from, {map(from[0]), map(from[1]), map(from[2]), map(from[3])});
}

// Follows the edges outwards from the finder pattern, refitting as points are found. `pairs`
// gets every point found (module point, picture point, weight).
std::optional<PerspectiveTransform> followEdges(const BitMatrix& bits, const FinderCandidate& candidate,
                                                const Orientation& o, const std::vector<std::vector<EdgeModule>>& edges,
                                                std::vector<PerspectiveTransform::Pair>& pairs) {
    pairs.clear();
    pairs.push_back({{3.5, 3.5}, candidate.centre, tuning::kCentreWeight});
    const std::array<PicturePoint, 4> frame = {o.local.map(kFinderFrame[0]), o.local.map(kFinderFrame[1]),
                                               o.local.map(kFinderFrame[2]), o.local.map(kFinderFrame[3])};
    for (int k = 0; k < 4; ++k) pairs.push_back({kFinderFrame[k], frame[k], 1});
    PerspectiveTransform t = o.local;
    size_t longest = 0;
    for (const auto& edge : edges) longest = std::max(longest, edge.size());
    int tried = 0, found = 0, nextFit = 1;
    for (size_t k = 0; k < longest; ++k) {
        for (const auto& edge : edges) {
            if (k >= edge.size()) continue;
            const EdgeModule& m = edge[k];
            const std::optional<PicturePoint> at = edgePoint(bits, t, m.centre.x, m.centre.y, m.out);
            ++tried;
            if (!at) continue;
            ++found;
            pairs.push_back({m.onEdge, *at, 1});
            // Refitted as the points found grow by a fifth: each next module is near the last.
            if (found < nextFit) continue;
            nextFit = found + std::max(1, found / 5);
            if (auto refit = PerspectiveTransform::fit(pairs)) t = *refit;
        }
        // A symbol's edges start right beside the pattern: half the first modules at least are there.
        if (tried >= 4 && found * 2 < tried) return std::nullopt;
    }
    if (auto refit = PerspectiveTransform::fit(pairs)) t = *refit;
    return t;
}

std::vector<std::vector<EdgeModule>> microEdges(int side) {
    std::vector<EdgeModule> top, left;
    for (int k = 8; k < side; k += 2) {
        top.push_back({{k + 0.5, 0.5}, {k + 0.5, 0}, {0, -1}});
        left.push_back({{0.5, k + 0.5}, {0, k + 0.5}, {-1, 0}});
    }
    return {top, left};
}

std::vector<std::vector<EdgeModule>> rmqrEdges(int height, int width) {
    const std::vector<int> columns = rmqrAlignmentColumns(width);
    const auto nearAlignment = [&](int x) {
        return std::any_of(columns.begin(), columns.end(), [&](int c) { return std::abs(x - c) <= 1; });
    };
    std::vector<EdgeModule> top, bottom;
    for (int k = 8; k <= width - 5; k += 2)
        if (!nearAlignment(k)) top.push_back({{k + 0.5, 0.5}, {k + 0.5, 0}, {0, -1}});
    for (int k = height == 7 ? 8 : 4; k <= width - 7; k += 2)
        if (!nearAlignment(k)) bottom.push_back({{k + 0.5, height - 0.5}, {k + 0.5, static_cast<double>(height)}, {0, 1}});
    return {top, bottom};
}

BitMatrix sampleBits(const BitMatrix& bits, const PerspectiveTransform& t, int width, int height) {
    BitMatrix m(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) m.set(x, y, moduleDark(bits, t, x, y));
    return m;
}

// From the grey levels against the mean of the top row's timing modules (half dark, half light).
BitMatrix sampleGrey(const GreyImage& grey, const PerspectiveTransform& t, int width, int height, bool inverted) {
    const auto greyAt = [&](int x, int y, int& value) {
        const PicturePoint p = t.map({x + 0.5, y + 0.5});
        if (!(p.x >= 0 && p.y >= 0 && p.x < grey.width && p.y < grey.height)) return false;
        value = grey.at(static_cast<int>(p.x), static_cast<int>(p.y));
        return true;
    };
    long sum = 0;
    int count = 0, value;
    for (int x = 8; x < width - 3; ++x)
        if (greyAt(x, 0, value)) sum += value, ++count;
    if (count == 0) return {};
    const double middle = static_cast<double>(sum) / count;
    BitMatrix m(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            m.set(x, y, greyAt(x, y, value) && (inverted ? value > middle : value < middle));
    return m;
}

// The share of row 0's timing modules (from column 8 to `end`) that alternate as they should.
double topTiming(const BitMatrix& m, int end) {
    int right = 0, count = 0;
    for (int x = 8; x < end; ++x, ++count) right += m.get(x, 0) == (x % 2 == 0);
    return count > 0 ? static_cast<double>(right) / count : 0;
}

struct Attempt {
    SymbolFormat format;
    int width, height;
    int formatErrors;
};

}  // namespace

MicroSymbolReading readMicroSymbol(const BitMatrix& bits, const GreyImage& grey, const FinderCandidate& candidate,
                                   const std::array<PicturePoint, 4>& ring, bool inverted) {
    MicroSymbolReading result;
    for (const Orientation& o : orientations(ring)) {
        if (!looksLikeOrigin(bits, o.local)) continue;
        // The format information beside the pattern, as Micro QR and as rMQR.
        std::vector<Attempt> attempts;
        BitMatrix near(12, 9);
        for (int y = 0; y < 9; ++y)
            for (int x = 0; x < 12; ++x) near.set(x, y, moduleDark(bits, o.local, x, y));
        if (const auto f = MicroGrids::decodeMicroFormat(MicroGrids::microFormatBits(near))) {
            const int side = microSide(kMicroSymbolTypes[f->symbolNumber].version);
            attempts.push_back({SymbolFormat::MicroQR, side, side, f->errors});
        }
        uint32_t rmqrBits = 0;
        for (int b = 17; b >= 0; --b) rmqrBits = rmqrBits << 1 | (b < 15 ? near.get(8 + b / 5, 1 + b % 5) : near.get(11, b - 14));
        if (const auto f = MicroGrids::decodeRmqrFormat(rmqrBits, 0)) {
            const RmqrSize size = kRmqrSizes[f->symbolNumber];
            attempts.push_back({SymbolFormat::RMQR, size.width, size.height, f->errors});
        }
        for (const Attempt& a : attempts) {
            const bool micro = a.format == SymbolFormat::MicroQR;
            std::vector<PerspectiveTransform::Pair> pairs;
            std::optional<PerspectiveTransform> t =
                followEdges(bits, candidate, o, micro ? microEdges(a.width) : rmqrEdges(a.height, a.width), pairs);
            if (!t) continue;
            if (!micro) {
                // The sub-finder pins the far corner.
                const double module = distance(t->map({0, 0}), t->map({7, 0})) / 7;
                if (auto sub = findAlignmentPattern(bits, t->map({a.width - 2.5, a.height - 2.5}), module, 2 * module)) {
                    std::vector<PerspectiveTransform::Pair> pairs;
                    pairs.push_back({{3.5, 3.5}, candidate.centre, tuning::kCentreWeight});
                    pairs.push_back({{a.width - 2.5, a.height - 2.5}, *sub, tuning::kCentreWeight});
                    for (const PicturePoint m : {PicturePoint{0, 0}, PicturePoint{7, 0}, PicturePoint{0, 7}, PicturePoint{7, 7},
                                                 PicturePoint{a.width / 2.0, 0}, PicturePoint{a.width / 2.0, static_cast<double>(a.height)},
                                                 PicturePoint{a.width - 8.0, 0}, PicturePoint{8, static_cast<double>(a.height)}})
                        pairs.push_back({m, t->map(m), 1});
                    if (auto refit = PerspectiveTransform::fit(pairs)) t = *refit;
                }
            }
            // Micro QR is small enough to be read through the pattern's own frame too, where the
            // edges followed mislead (small modules at a slant).
            std::vector<PerspectiveTransform> grids{*t};
            if (micro) {
                if (auto affine = affineFit(pairs)) grids.insert(grids.begin(), *affine);
                grids.push_back(o.local);
            }
            for (const PerspectiveTransform& grid : grids)
            for (const bool byGrey : {false, true}) {
                const BitMatrix modules = byGrey ? sampleGrey(grey, grid, a.width, a.height, inverted)
                                                 : sampleBits(bits, grid, a.width, a.height);
                if (modules.empty()) continue;
                const ContentReading read = micro ? MicroGrids::readMicroQr(modules) : MicroGrids::readRmqr(modules);
                if (read.failure == ReadFailure::None) {
                    DecodedSymbol s = read.symbol;
                    s.corners = {grid.map({0, 0}), grid.map({static_cast<double>(a.width), 0}),
                                 grid.map({static_cast<double>(a.width), static_cast<double>(a.height)}),
                                 grid.map({0, static_cast<double>(a.height)})};
                    s.mirrored = o.mirrored;
                    s.inverted = inverted;
                    result.symbol = std::move(s);
                    result.failure = ReadFailure::None;
                    return result;
                }
                // A symbol found: its format information nearly clean and its top row stepping
                // along as timing.
                if (a.formatErrors <= 1 && topTiming(modules, a.width - (micro ? 0 : 4)) >= tuning::kSymbolTiming)
                    result.failure = furthest(result.failure, read.failure);
            }
        }
    }
    return result;
}
