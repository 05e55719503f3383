#include "decoder/ReadSteps.h"

#include <algorithm>
#include <cmath>

#include "decoder/Binariser.h"

namespace {

// Photos of two megapixels and more (a phone camera's) get a half-size rung: modules of a dozen
// pixels and more read better from a smaller, smoother copy, and it costs a quarter of the full
// one.
constexpr long kLargePhoto = 1600L * 1200L;

// Rows the first rung's finder scan looks at across the picture's shorter side: patterns whose
// centre square is a 200th of that or more are found.
constexpr int kRowsInFirstLook = 200;

// Pictures from this size on (the shorter side) get every other row scanned in the later rungs.
constexpr int kEveryOtherRowFrom = 400;

// Smoothing takes sensor noise out of even areas, so blocks can tell faint contrast (shadows,
// washed-out prints) from noise.
constexpr int kSmoothedEvenRange = 8;

// Timing modules a grid must find stepping before it is refined and sampled. Photos of real
// symbols keep three quarters and more, even tilted; chance keeps a half.
constexpr double kTimingAgreement = 0.65;

PicturePoint centreOf(const DecodedSymbol& s) {
    return (s.corners[0] + s.corners[1] + s.corners[2] + s.corners[3]) * 0.25;
}

double heightOf(const DecodedSymbol& s) {
    double top = s.corners[0].y, bottom = s.corners[0].y;
    for (const PicturePoint& p : s.corners) top = std::min(top, p.y), bottom = std::max(bottom, p.y);
    return bottom - top;
}

// The row step of the full scans: every other row of a picture of some size. A finder pattern's
// centre square is at least three rows high, so every other row still crosses it.
int fullStep(const GreyImage& grey) { return std::min(grey.width, grey.height) >= kEveryOtherRowFrom ? 2 : 1; }

}  // namespace

std::optional<Rung> retryRung(const GreyImage& grey, int step) {
    switch (step) {
        case 0: {
            // The first, cheap look scans every few rows of a large picture; the later rungs
            // scan them all.
            const int rowStep = std::max(1, (std::min(grey.width, grey.height) + kRowsInFirstLook / 2) / kRowsInFirstLook);
            return Rung{"global", binariseGlobal(grey), 1, rowStep, {}};
        }
        case 1: return Rung{"local", binariseLocal(grey), 1, fullStep(grey), {}};
        case 2: return Rung{"local, smoothed", binariseLocal(smoothed(grey), kSmoothedEvenRange), 1, fullStep(grey), {}};
        case 3: {
            if (static_cast<long>(grey.width) * grey.height < kLargePhoto) return Rung{"local, half size", BitMatrix(), 2, 1, {}};
            Rung rung{"local, half size", BitMatrix(), 2, 1, halfSize(grey)};
            rung.bits = binariseLocal(rung.ownGrey);
            return rung;
        }
        default: return std::nullopt;
    }
}

SymbolFinders FinderGeometries::forTriple(const FinderTriple& t) {
    for (const int i : {t.topLeft, t.topRight, t.bottomLeft}) {
        if (done[i]) continue;
        traced[i] = finderCorners(bits, candidates[i]);
        done[i] = true;
    }
    const PicturePoint origin = candidates[t.topLeft].centre;
    const PicturePoint xAxis = candidates[t.topRight].centre - origin, yAxis = candidates[t.bottomLeft].centre - origin;
    return {orientFinder(candidates[t.topLeft], traced[t.topLeft], xAxis, yAxis),
            orientFinder(candidates[t.topRight], traced[t.topRight], xAxis, yAxis),
            orientFinder(candidates[t.bottomLeft], traced[t.bottomLeft], xAxis, yAxis)};
}

namespace {

// The version from the distances between the patterns' centres in modules, each leg measured by
// the module size along it (from the traced corners where there are any): tilt makes modules
// shorter one way than the other.
int estimateVersion(const SymbolFinders& f, int fallback) {
    const auto along = [](const FinderGeometry& g, bool xAxis) {
        if (!g.corners) return g.candidate.moduleSize;
        const auto& c = *g.corners;
        return xAxis ? (distance(c[0], c[1]) + distance(c[3], c[2])) / 14 : (distance(c[0], c[3]) + distance(c[1], c[2])) / 14;
    };
    const double across = distance(f.topLeft.candidate.centre, f.topRight.candidate.centre) /
                          ((along(f.topLeft, true) + along(f.topRight, true)) / 2);
    const double down = distance(f.topLeft.candidate.centre, f.bottomLeft.candidate.centre) /
                        ((along(f.topLeft, false) + along(f.bottomLeft, false)) / 2);
    const double side = (across + down) / 2 + 7;
    if (!(side >= 0 && side < 1000)) return fallback;  // no finite, plausible size from these patterns
    return std::clamp(static_cast<int>(std::lround((side - 17) / 4)), 1, 40);
}

}  // namespace

GridChoices::GridChoices(const BitMatrix& bits, const SymbolFinders& finders, int estimatedVersion)
    : bits(bits), finders(finders) {
    estimatedVersion = estimateVersion(finders, estimatedVersion);
    // The stated version first; data modules beside a small symbol's patterns can pass for
    // version information now and then, so the estimate and its neighbours follow.
    if (const auto stated = readVersionNearFinders(bits, finders)) versions.push_back(*stated);
    for (const int v : {estimatedVersion, estimatedVersion - 1, estimatedVersion + 1})
        if (v >= 1 && v <= 40 && std::find(versions.begin(), versions.end(), v) == versions.end()) versions.push_back(v);
}

std::optional<GridFit> GridChoices::next() {
    // A grid of the wrong size, or over patterns that are not one symbol's, misses the timing
    // patterns' alternation. Both shapes of a version are fitted together, the one that steps
    // better first.
    while (pending.empty() && nextVersion < versions.size()) {
        const int v = versions[nextVersion++];
        std::vector<std::pair<double, GridFit>> fits;
        for (const GridShape shape : {GridShape::Perspective, GridShape::Parallelogram}) {
            auto grid = fitGrid(finders, v, shape);
            if (!grid) continue;
            const double agreement = timingAgreement(bits, *grid);
            if (agreement >= kTimingAgreement) fits.emplace_back(agreement, std::move(*grid));
        }
        std::stable_sort(fits.begin(), fits.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        for (auto& [agreement, grid] : fits) pending.push_back(std::move(grid));
    }
    if (pending.empty()) return std::nullopt;
    GridFit grid = std::move(pending.back());
    pending.pop_back();
    return grid;
}

namespace {

ContentReading readAsSeenOrMirrored(const BitMatrix& modules, bool& mirrored, ReadFailure& failure) {
    if (modules.empty()) return {};
    for (const bool transposed : {false, true}) {
        ContentReading read = ContentDecoder::read(transposed ? modules.transposed() : modules);
        mirrored = transposed;
        if (read.failure == ReadFailure::None) return read;
        failure = furthest(failure, read.failure);
    }
    return {};
}

}  // namespace

ContentReading readGrid(const BitMatrix& bits, const GreyImage& grey, const GridFit& grid, bool inverted, bool& mirrored,
                        ReadFailure& failure) {
    ContentReading read = readAsSeenOrMirrored(sampleGrid(bits, grid), mirrored, failure);
    if (read.failure == ReadFailure::None) return read;
    return readAsSeenOrMirrored(sampleGridByGrey(grey, grid, inverted), mirrored, failure);
}

// A fit below which a candidate inside a symbol is taken for its data whatever its size: the
// patterns of a nested symbol fit better even at small sizes.
constexpr double kPoorFit = 0.6;

void markPatternsOf(const GridFit& grid, const FinderTriple& triple, const std::vector<FinderCandidate>& candidates,
                    std::vector<bool>& used) {
    used[triple.topLeft] = used[triple.topRight] = used[triple.bottomLeft] = true;
    const double ownFit = std::min({candidates[triple.topLeft].fit, candidates[triple.topRight].fit,
                                    candidates[triple.bottomLeft].fit});
    const auto inside = [&](PicturePoint p) {
        for (int k = 0; k < 4; ++k)
            if (cross(grid.corners[(k + 1) % 4] - grid.corners[k], p - grid.corners[k]) < 0) return false;
        return true;
    };
    const double side = 4 * grid.version + 17;
    const double moduleSize = (distance(grid.corners[0], grid.corners[1]) + distance(grid.corners[0], grid.corners[3])) / (2 * side);
    for (size_t i = 0; i < candidates.size(); ++i) {
        const double m = candidates[i].moduleSize;
        const bool sameSize = m > 0.8 * moduleSize && m < 1.25 * moduleSize;
        const double fit = candidates[i].fit;
        if (inside(candidates[i].centre) && fit < 0.8 * ownFit && (sameSize || fit < kPoorFit)) used[i] = true;
    }
}

DecodedSymbol placedSymbol(DecodedSymbol symbol, const GridFit& grid, bool mirrored, bool inverted, double scale) {
    // A mirrored symbol was read from the transposed grid: its upper-right corner is the grid's
    // lower-left one.
    const std::array<int, 4> order = mirrored ? std::array<int, 4>{0, 3, 2, 1} : std::array<int, 4>{0, 1, 2, 3};
    for (int k = 0; k < 4; ++k) symbol.corners[k] = grid.corners[order[k]] * scale;
    symbol.mirrored = mirrored;
    symbol.inverted = inverted;
    return symbol;
}

void putInReadingOrder(std::vector<DecodedSymbol>& symbols) {
    std::vector<DecodedSymbol> kept;
    for (DecodedSymbol& s : symbols) {
        const bool again = std::any_of(kept.begin(), kept.end(), [&](const DecodedSymbol& k) {
            return k.bytes == s.bytes && distance(centreOf(k), centreOf(s)) < heightOf(k) / 2;
        });
        if (!again) kept.push_back(std::move(s));
    }
    std::sort(kept.begin(), kept.end(), [](const DecodedSymbol& a, const DecodedSymbol& b) {
        return centreOf(a).y < centreOf(b).y;
    });
    // Rows: a symbol whose centre lies within the first one's height joins its row.
    for (size_t start = 0; start < kept.size();) {
        size_t end = start + 1;
        const double limit = centreOf(kept[start]).y + heightOf(kept[start]) / 2;
        while (end < kept.size() && centreOf(kept[end]).y < limit) ++end;
        std::sort(kept.begin() + static_cast<long>(start), kept.begin() + static_cast<long>(end),
                  [](const DecodedSymbol& a, const DecodedSymbol& b) { return centreOf(a).x < centreOf(b).x; });
        start = end;
    }
    symbols = std::move(kept);
}
