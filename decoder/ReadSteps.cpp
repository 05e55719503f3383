#include "decoder/ReadSteps.h"

#include <algorithm>
#include <cmath>

#include "decoder/Binariser.h"

namespace {

// Photos above this many pixels get a half-size rung: modules of a dozen pixels and more read
// better from a smaller, smoother copy, and it costs a quarter of the full one.
constexpr long kLargePhoto = 1200L * 900L;

// Rows the first rung's finder scan looks at across the picture's shorter side: patterns whose
// centre square is a 300th of that or more are found.
constexpr int kRowsInFirstLook = 300;

// Smoothing takes sensor noise out of even areas, so blocks can tell faint contrast (shadows,
// washed-out prints) from noise.
constexpr int kSmoothedEvenRange = 8;

// Timing modules a grid must find right before it is refined and sampled. Photos of real
// symbols keep three quarters and more; chance keeps a half.
constexpr double kTimingAgreement = 0.7;

PicturePoint centreOf(const DecodedSymbol& s) {
    return (s.corners[0] + s.corners[1] + s.corners[2] + s.corners[3]) * 0.25;
}

double heightOf(const DecodedSymbol& s) {
    double top = s.corners[0].y, bottom = s.corners[0].y;
    for (const PicturePoint& p : s.corners) top = std::min(top, p.y), bottom = std::max(bottom, p.y);
    return bottom - top;
}

}  // namespace

std::optional<Rung> retryRung(const GreyImage& grey, int step) {
    switch (step) {
        case 0: {
            // The first, cheap look scans every few rows of a large picture; the later rungs
            // scan them all.
            const int rowStep = std::max(1, (std::min(grey.width, grey.height) + kRowsInFirstLook / 2) / kRowsInFirstLook);
            return Rung{"global", binariseGlobal(grey), 1, rowStep};
        }
        case 1: return Rung{"local", binariseLocal(grey), 1};
        case 2: return Rung{"local, smoothed", binariseLocal(smoothed(grey), kSmoothedEvenRange), 1};
        case 3:
            if (static_cast<long>(grey.width) * grey.height < kLargePhoto) return Rung{"local, half size", BitMatrix(), 2};
            return Rung{"local, half size", binariseLocal(halfSize(grey)), 2};
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

std::vector<GridFit> gridCandidates(const BitMatrix& bits, const SymbolFinders& finders, int estimatedVersion) {
    // The stated version first; data modules beside a small symbol's patterns can pass for
    // version information now and then, so the estimate and its neighbours follow.
    std::vector<int> versions;
    if (const auto stated = readVersionNearFinders(bits, finders)) versions.push_back(*stated);
    for (const int v : {estimatedVersion, estimatedVersion - 1, estimatedVersion + 1})
        if (v >= 1 && v <= 40 && std::find(versions.begin(), versions.end(), v) == versions.end()) versions.push_back(v);
    // A grid of the wrong size, or over patterns that are not one symbol's, misses the timing
    // patterns' alternation: half its modules agree by chance, a true one's nearly all.
    std::vector<std::pair<double, GridFit>> plausible;
    for (const int v : versions) {
        auto grid = fitGrid(finders, v);
        if (!grid) continue;
        const double agreement = timingAgreement(bits, *grid);
        if (agreement >= kTimingAgreement) plausible.emplace_back(agreement, std::move(*grid));
    }
    std::stable_sort(plausible.begin(), plausible.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    std::vector<GridFit> grids;
    for (auto& [agreement, grid] : plausible) {
        alignGrid(bits, finders, grid);
        grids.push_back(std::move(grid));
    }
    return grids;
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
