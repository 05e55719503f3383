#include "decoder/SamplingGrid.h"

#include <algorithm>
#include <cmath>

#include "decoder/AlignmentPattern.h"
#include "decoder/DecoderTables.h"
#include "decoder/FormatInformation.h"
#include "decoder/PrefixSums.h"
#include "decoder/ReaderTuning.h"
#include "decoder/SymbolSize.h"

namespace {

// The pattern's corners in its own module frame (7 x 7), in the order FinderGeometry keeps.
constexpr std::array<PicturePoint, 4> kFinderFrame = {{{0, 0}, {7, 0}, {7, 7}, {0, 7}}};

// The alignment pattern coordinates of a version, 6 first.
std::vector<int> alignmentCoordinates(int version) {
    std::vector<int> positions;
    if (version < 2) return positions;
    const qrdec::DecoderVersionInfo* info = qrdec::decoderVersionInfo(version);
    positions.push_back(6);
    for (int i = 0; i < info->alignCount; ++i) positions.push_back(info->alignPositions[i]);
    return positions;
}

// The pixel under picture point p; light outside the picture (and for points at infinity,
// where a wild grid can send a module).
bool darkAt(const BitMatrix& bits, PicturePoint p) {
    if (!(p.x >= 0 && p.y >= 0 && p.x < bits.width() && p.y < bits.height())) return false;
    return bits.get(static_cast<int>(p.x), static_cast<int>(p.y));
}

// Pixels per module around module point p.
double moduleSizeAt(const PerspectiveTransform& t, PicturePoint p) {
    const PicturePoint at = t.map(p);
    return (distance(at, t.map(p + PicturePoint{1, 0})) + distance(at, t.map(p + PicturePoint{0, 1}))) / 2;
}

// Where the symbol's right edge (along the upper-right pattern's right side) meets its bottom
// edge (along the lower-left pattern's bottom side).
std::optional<PicturePoint> fourthCorner(const SymbolFinders& f) {
    if (!f.topRight.corners || !f.bottomLeft.corners) return std::nullopt;
    const auto& tr = *f.topRight.corners;
    const auto& bl = *f.bottomLeft.corners;
    PicturePoint at;
    if (!intersect(tr[1], tr[2], bl[3], bl[2], at)) return std::nullopt;
    return at;
}

void addFinder(std::vector<PerspectiveTransform::Pair>& pairs, const FinderGeometry& g, PicturePoint origin) {
    pairs.push_back({origin + PicturePoint{3.5, 3.5}, g.candidate.centre, tuning::kCentreWeight});
    if (!g.corners) return;
    for (int i = 0; i < 4; ++i) pairs.push_back({origin + kFinderFrame[i], (*g.corners)[i], 1});
}

// Searches the alignment patterns outwards from the upper-left corner, refitting after each.
void addAlignmentPatterns(const BitMatrix& bits, std::vector<PerspectiveTransform::Pair>& pairs, GridFit& grid,
                          std::vector<std::vector<std::optional<PicturePoint>>>& found) {
    const std::vector<int> at = alignmentCoordinates(grid.version);
    const int n = static_cast<int>(at.size()), last = n - 1;
    found.assign(static_cast<size_t>(n), std::vector<std::optional<PicturePoint>>(static_cast<size_t>(n)));
    // Diagonal by diagonal: the patterns of one diagonal are predicted from the fit of all the
    // diagonals before it.
    for (int sum = 1; sum <= 2 * last; ++sum) {
        const int foundBefore = grid.alignmentFound;
        for (int i = std::max(0, sum - last); i <= std::min(sum, last); ++i) {
            const int j = sum - i;
            if ((i == 0 && j == last) || (i == last && j == 0)) continue;  // under a finder pattern
            const PicturePoint module{at[i] + 0.5, at[j] + 0.5};
            const double size = moduleSizeAt(grid.whole, module);
            // The first one, far from the finders, may be several modules off; later ones have
            // neighbours found already.
            const double radius = (grid.alignmentFound == 0 ? 4.5 : 2.5) * size;
            const auto centre = findAlignmentPattern(bits, grid.whole.map(module), size, radius);
            if (!centre) continue;
            found[i][j] = centre;
            ++grid.alignmentFound;
            pairs.push_back({module, *centre, 2});
        }
        if (grid.alignmentFound > foundBefore)
            if (auto refit = PerspectiveTransform::fit(pairs)) grid.whole = *refit;
    }
}

// Tiles between neighbouring alignment patterns, each corner the pattern found there or, where
// none was, the whole grid's estimate.
void cutIntoTiles(GridFit& grid, const std::vector<std::vector<std::optional<PicturePoint>>>& found) {
    const std::vector<int> at = alignmentCoordinates(grid.version);
    const int n = static_cast<int>(at.size());
    grid.cuts.clear();
    for (int c : at) grid.cuts.push_back(c + 0.5);
    grid.tiles.clear();
    const auto node = [&](int i, int j) {
        return found[i][j] ? *found[i][j] : grid.whole.map({at[i] + 0.5, at[j] + 0.5});
    };
    for (int j = 0; j + 1 < n; ++j)
        for (int i = 0; i + 1 < n; ++i) {
            const std::array<PicturePoint, 4> from = {{{grid.cuts[i], grid.cuts[j]}, {grid.cuts[i + 1], grid.cuts[j]},
                                                       {grid.cuts[i + 1], grid.cuts[j + 1]}, {grid.cuts[i], grid.cuts[j + 1]}}};
            const std::array<PicturePoint, 4> to = {node(i, j), node(i + 1, j), node(i + 1, j + 1), node(i, j + 1)};
            const auto tile = PerspectiveTransform::fromQuads(from, to);
            grid.tiles.push_back(tile ? *tile : grid.whole);
        }
}

// The centre of the dark blob near picture point p: the mean of the dark pixels within `reach`
// of p, then twice more of those within `radius` of the mean so far (on a lattice of at most 7 x 7
// points, whatever the module size); nullopt where too few are dark or the blob lies farther than
// `reach` from p.
std::optional<PicturePoint> darkBlobCentre(const BitMatrix& bits, PicturePoint p, double reach, double radius) {
    PicturePoint at = p;
    for (int round = 0; round < 3; ++round) {
        const double r = round == 0 ? reach : radius, step = std::max(1.0, r / 3);
        const int n = static_cast<int>(r / step);
        double sx = 0, sy = 0;
        int dark = 0, all = 0;
        for (int j = -n; j <= n; ++j)
            for (int i = -n; i <= n; ++i) {
                if (i * i + j * j > n * n) continue;
                const PicturePoint q = at + PicturePoint{i * step, j * step};
                if (!(q.x >= 0 && q.y >= 0 && q.x < bits.width() && q.y < bits.height())) continue;
                ++all;
                if (bits.get(static_cast<int>(q.x), static_cast<int>(q.y))) sx += q.x, sy += q.y, ++dark;
            }
        if (dark * 5 < all || dark == 0) return std::nullopt;
        at = {sx / dark, sy / dark};
        if (distance(at, p) > reach) return std::nullopt;
    }
    return at;
}

}  // namespace

FinderGeometry orientFinder(const FinderCandidate& candidate, const std::optional<std::array<PicturePoint, 4>>& corners,
                            PicturePoint xAxis, PicturePoint yAxis) {
    FinderGeometry g{candidate, std::nullopt, std::nullopt};
    if (!corners) return g;
    // The traced corners go round clockwise, as the symbol's frame does from its x axis to its
    // y axis: the upper-left one (least x + y in the symbol's frame) starts the order.
    const double det = cross(xAxis, yAxis);
    if (std::abs(det) < 1e-9) return g;
    int first = 0;
    double least = 1e300;
    for (int k = 0; k < 4; ++k) {
        const PicturePoint r = (*corners)[k] - candidate.centre;
        const double s = cross(r, yAxis) / det, t = cross(xAxis, r) / det;
        if (s + t < least) least = s + t, first = k;
    }
    std::array<PicturePoint, 4> ordered;
    for (int k = 0; k < 4; ++k) ordered[k] = (*corners)[(first + k) % 4];
    g.corners = ordered;
    g.local = PerspectiveTransform::fromQuads(kFinderFrame, ordered);
    return g;
}

std::optional<int> readVersionNearFinders(const BitMatrix& bits, const SymbolFinders& f) {
    // Bit k of the block beside the upper-right pattern sits at column k % 3, row k / 3 of the
    // three columns left of the pattern; beside the lower-left one, transposed above it.
    for (const bool upperRight : {true, false}) {
        const FinderGeometry& g = upperRight ? f.topRight : f.bottomLeft;
        if (!g.local) continue;
        uint32_t bitsRead = 0;
        for (int k = 0; k < 18; ++k) {
            const PicturePoint module = upperRight ? PicturePoint{-4 + k % 3 + 0.5, k / 3 + 0.5}
                                                   : PicturePoint{k / 3 + 0.5, -4 + k % 3 + 0.5};
            if (darkAt(bits, g.local->map(module))) bitsRead |= 1u << k;
        }
        if (const auto version = decodeVersionBits(bitsRead)) return version;
    }
    return std::nullopt;
}

int GridFit::tilesPerSide() const { return std::max(1, static_cast<int>(cuts.size()) - 1); }

int GridFit::tileAlong(double v) const {
    if (tiles.size() <= 1) return 0;
    const int k = static_cast<int>(std::upper_bound(cuts.begin(), cuts.end(), v) - cuts.begin()) - 1;
    return std::clamp(k, 0, tilesPerSide() - 1);
}

const PerspectiveTransform& GridFit::tile(int alongX, int alongY) const {
    return tiles.size() <= 1 ? whole : tiles[static_cast<size_t>(alongY) * tilesPerSide() + alongX];
}

PicturePoint GridFit::map(PicturePoint module) const { return tile(tileAlong(module.x), tileAlong(module.y)).map(module); }

namespace {

// The points a grid is first fitted to, and refitted to as alignment patterns are found.
std::vector<PerspectiveTransform::Pair> finderPairs(const SymbolFinders& f, int version, GridShape shape) {
    const double side = symbolSide(version);
    std::vector<PerspectiveTransform::Pair> pairs;
    if (shape == GridShape::Parallelogram) {
        const PicturePoint fourth = f.topRight.candidate.centre + f.bottomLeft.candidate.centre - f.topLeft.candidate.centre;
        pairs = {{{3.5, 3.5}, f.topLeft.candidate.centre, tuning::kCentreWeight},
                 {{side - 3.5, 3.5}, f.topRight.candidate.centre, tuning::kCentreWeight},
                 {{3.5, side - 3.5}, f.bottomLeft.candidate.centre, tuning::kCentreWeight},
                 {{side - 3.5, side - 3.5}, fourth, tuning::kCentreWeight}};
        return pairs;
    }
    addFinder(pairs, f.topLeft, {0, 0});
    addFinder(pairs, f.topRight, {side - 7, 0});
    addFinder(pairs, f.bottomLeft, {0, side - 7});
    if (const auto corner = fourthCorner(f)) pairs.push_back({{side, side}, *corner, 0.5});
    if (pairs.size() < 4) return finderPairs(f, version, GridShape::Parallelogram);  // no traced corners
    return pairs;
}

void setCorners(GridFit& grid) {
    const double side = symbolSide(grid.version);
    grid.corners = {grid.whole.map({0, 0}), grid.whole.map({side, 0}), grid.whole.map({side, side}),
                    grid.whole.map({0, side})};
}

}  // namespace

std::optional<GridFit> fitGrid(const SymbolFinders& f, int version, GridShape shape) {
    GridFit grid;
    grid.version = version;
    grid.shape = shape;
    const auto whole = PerspectiveTransform::fit(finderPairs(f, version, shape));
    if (!whole) return std::nullopt;
    grid.whole = *whole;
    setCorners(grid);
    return grid;
}

std::optional<GridFit> fitToTiming(const BitMatrix& bits, const SymbolFinders& f, const GridFit& grid) {
    const int side = symbolSide(grid.version);
    std::vector<PerspectiveTransform::Pair> pairs = finderPairs(f, grid.version, grid.shape);
    if (grid.shape == GridShape::Parallelogram) pairs.pop_back();  // its fourth corner is a guess
    // The patterns weigh as much as a timing module each: a round pattern's centre in the picture
    // is its ellipse's, off the circle's own centre under perspective.
    for (PerspectiveTransform::Pair& pair : pairs) pair.weight = 1;
    const int mostMissed = static_cast<int>(tuning::kMostTimingMissed * (side - 15));  // of both lines' dark ones
    int missed = 0;
    for (const bool row : {true, false}) {
        // Walked from the upper-left pattern: each module looked for where the grid puts it,
        // moved by how far the grid was off at the one before, so a drift that grows along the
        // line is followed.
        PicturePoint drift{0, 0};
        bool foundOnLine = false;
        for (int k = 8; k <= side - 9; k += 2) {  // the dark ones
            const PicturePoint module = row ? PicturePoint{k + 0.5, 6.5} : PicturePoint{6.5, k + 0.5};
            const double size = moduleSizeAt(grid.whole, module);
            const PicturePoint expected = grid.whole.map(module);
            const PicturePoint along = grid.whole.map(module + (row ? PicturePoint{1, 0} : PicturePoint{0, 1})) - expected;
            const double reach = foundOnLine ? tuning::kTimingSearch : tuning::kFirstTimingSearch;
            const auto centre = darkBlobCentre(bits, expected + drift, reach * size, tuning::kTimingSearch * size);
            // A timing module, with the light ones beside it a module away along the line.
            if (centre && !darkAt(bits, *centre + along) && !darkAt(bits, *centre - along)) {
                pairs.push_back({module, *centre, 1});
                drift = *centre - expected;
                foundOnLine = true;
            } else if (++missed > mostMissed || (k == 10 && !foundOnLine)) {
                // Most of the dark modules, and one of the two next to the pattern (where the
                // grid is nearest right), or the fit is no better than the grid.
                return std::nullopt;
            }
        }
    }
    const auto whole = PerspectiveTransform::fit(pairs);
    if (!whole) return std::nullopt;
    GridFit refit = grid;
    refit.whole = *whole;
    refit.fittedTo = std::move(pairs);
    setCorners(refit);
    return refit;
}

std::optional<GridFit> fitToModules(const BitMatrix& bits, const GridFit& grid) {
    const int side = symbolSide(grid.version);
    const BitMatrix modules = sampleGrid(bits, grid);
    if (modules.empty()) return std::nullopt;
    std::vector<PerspectiveTransform::Pair> pairs;
    for (int y = 1; y + 1 < side; ++y)
        for (int x = 1; x + 1 < side; ++x) {
            if (!modules.get(x, y) || modules.get(x - 1, y) || modules.get(x + 1, y) || modules.get(x, y - 1) ||
                modules.get(x, y + 1))
                continue;
            const PicturePoint module{x + 0.5, y + 0.5};
            const double size = moduleSizeAt(grid.tile(grid.tileAlong(module.x), grid.tileAlong(module.y)), module);
            const double reach = tuning::kTimingSearch * size;
            if (const auto centre = darkBlobCentre(bits, grid.map(module), reach, reach)) pairs.push_back({module, *centre, 1});
        }
    if (static_cast<int>(pairs.size()) < side) return std::nullopt;
    const auto whole = PerspectiveTransform::fit(pairs);
    if (!whole) return std::nullopt;
    GridFit refit = grid;
    refit.whole = *whole;
    refit.tiles.clear();
    refit.cuts.clear();
    setCorners(refit);
    return refit;
}

void alignGrid(const BitMatrix& bits, const SymbolFinders& f, GridFit& grid) {
    std::vector<PerspectiveTransform::Pair> pairs =
        grid.fittedTo.empty() ? finderPairs(f, grid.version, grid.shape) : grid.fittedTo;
    std::vector<std::vector<std::optional<PicturePoint>>> found;
    addAlignmentPatterns(bits, pairs, grid, found);
    if (grid.version >= 7) cutIntoTiles(grid, found);
    setCorners(grid);
}

std::optional<TimingSteps> timingStepsAtLeast(const BitMatrix& bits, const GridFit& grid, double least) {
    // Neighbouring timing modules differ. Counting the neighbours that do, rather than the
    // modules in phase, keeps a grid whose first estimate drifts by half a module along a tilted
    // edge: it still steps one module at a time.
    const int side = symbolSide(grid.version);
    // Neighbours of both lines that may be found alike with both() still at `least` (half a
    // neighbour to spare, so that rounding never gives up on a grid that reaches it exactly).
    const double alikeAllowed = 2.0 * (side - 17) * (1 - least) + 0.5;
    int alike = 0;
    TimingSteps steps;
    for (const bool row : {true, false}) {
        int previous = -1, differ = 0;
        for (int k = 8; k <= side - 9; ++k) {
            const PicturePoint p = grid.map(row ? PicturePoint{k + 0.5, 6.5} : PicturePoint{6.5, k + 0.5});
            const int dark = darkAt(bits, p);
            if (previous >= 0) {
                differ += dark != previous;
                if (dark == previous && ++alike > alikeAllowed) return std::nullopt;
            }
            previous = dark;
        }
        (row ? steps.alongRow : steps.alongColumn) = static_cast<double>(differ) / (side - 17);
    }
    return steps;
}

TimingSteps timingSteps(const BitMatrix& bits, const GridFit& grid) { return *timingStepsAtLeast(bits, grid, 0); }

namespace {

// Calls visit(x, y, p) with each module's centre p in the picture; returns how many centres fall
// outside a width x height picture (those are not visited).
template <typename Visit>
int forEachModuleCentre(const GridFit& grid, int width, int height, Visit visit) {
    const int side = symbolSide(grid.version);
    std::vector<int> tileOf(static_cast<size_t>(side));  // of each module row and column
    for (int k = 0; k < side; ++k) tileOf[k] = grid.tileAlong(k + 0.5);
    int outside = 0;
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            const PicturePoint p = grid.tile(tileOf[x], tileOf[y]).map({x + 0.5, y + 0.5});
            if (!std::isfinite(p.x) || !std::isfinite(p.y) || p.x < 0 || p.y < 0 || p.x >= width || p.y >= height) {
                ++outside;
                continue;
            }
            visit(x, y, p);
        }
    return outside;
}

}  // namespace

BitMatrix sampleGrid(const BitMatrix& bits, const GridFit& grid) {
    const int side = symbolSide(grid.version);
    BitMatrix modules(side, side);
    const int outside = forEachModuleCentre(grid, bits.width(), bits.height(), [&](int x, int y, PicturePoint p) {
        modules.set(x, y, bits.get(static_cast<int>(p.x), static_cast<int>(p.y)));
    });
    if (outside * 20 > side * side) return BitMatrix();
    return modules;
}

BitMatrix sampleGridByGrey(const GreyImage& grey, const GridFit& grid, bool inverted) {
    const int side = symbolSide(grid.version);
    // Grey levels at the centres (bilinear between the four nearest pixels), outside the
    // picture as light as the lightest seen.
    std::vector<int> level(static_cast<size_t>(side) * side, -1);
    const int outside = forEachModuleCentre(grid, grey.width, grey.height, [&](int x, int y, PicturePoint p) {
        const double fx = std::clamp(p.x - 0.5, 0.0, grey.width - 1.0), fy = std::clamp(p.y - 0.5, 0.0, grey.height - 1.0);
        const int x0 = static_cast<int>(fx), y0 = static_cast<int>(fy);
        const int x1 = std::min(x0 + 1, grey.width - 1), y1 = std::min(y0 + 1, grey.height - 1);
        const double ax = fx - x0, ay = fy - y0;
        const double top = grey.at(x0, y0) * (1 - ax) + grey.at(x1, y0) * ax;
        const double bottom = grey.at(x0, y1) * (1 - ax) + grey.at(x1, y1) * ax;
        level[static_cast<size_t>(y) * side + x] = static_cast<int>(std::lround(top * (1 - ay) + bottom * ay));
    });
    if (outside * 20 > side * side) return BitMatrix();
    const int lightest = *std::max_element(level.begin(), level.end());
    for (int& v : level)
        if (v < 0) v = inverted ? 0 : lightest;
    // Each module against the mean of the 7 x 7 modules around it.
    const PrefixSums sums(side, side, [&](int x, int y) { return level[static_cast<size_t>(y) * side + x]; });
    BitMatrix modules(side, side);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            const int x0 = std::max(0, x - 3), x1 = std::min(side, x + 4), y0 = std::max(0, y - 3), y1 = std::min(side, y + 4);
            const int64_t sum = sums.over(x0, y0, x1, y1);
            const double mean = static_cast<double>(sum) / ((x1 - x0) * (y1 - y0));
            const int v = level[static_cast<size_t>(y) * side + x];
            modules.set(x, y, inverted ? v > mean : v < mean);
        }
    return modules;
}
