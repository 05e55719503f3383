#include "decoder/SymbolPlacement.h"

#include <algorithm>

#include "decoder/ReaderTuning.h"
#include "decoder/SymbolSize.h"

namespace {

PicturePoint centreOf(const DecodedSymbol& s) {
    return (s.corners[0] + s.corners[1] + s.corners[2] + s.corners[3]) * 0.25;
}

double heightOf(const DecodedSymbol& s) {
    double top = s.corners[0].y, bottom = s.corners[0].y;
    for (const PicturePoint& p : s.corners) top = std::min(top, p.y), bottom = std::max(bottom, p.y);
    return bottom - top;
}

// The mean length of the four sides.
double sideLength(const std::array<PicturePoint, 4>& corners) {
    double sum = 0;
    for (int k = 0; k < 4; ++k) sum += distance(corners[k], corners[(k + 1) % 4]);
    return sum / 4;
}

// Whether p lies inside the quadrilateral, whichever way round its corners go.
bool inside(const std::array<PicturePoint, 4>& corners, PicturePoint p) {
    int left = 0, right = 0;
    for (int k = 0; k < 4; ++k) {
        const double c = cross(corners[(k + 1) % 4] - corners[k], p - corners[k]);
        left += c < 0, right += c > 0;
    }
    return left == 0 || right == 0;
}

}  // namespace

void markPatternsOf(const GridFit& grid, const FinderTriple& triple, const std::vector<FinderCandidate>& candidates,
                    std::vector<bool>& used) {
    used[triple.topLeft] = used[triple.topRight] = used[triple.bottomLeft] = true;
    const double ownFit = std::min({candidates[triple.topLeft].fit, candidates[triple.topRight].fit,
                                    candidates[triple.bottomLeft].fit});
    const double moduleSize = sideLength(grid.corners) / symbolSide(grid.version);
    for (size_t i = 0; i < candidates.size(); ++i) {
        const double m = candidates[i].moduleSize;
        const bool sameSize = m > 0.8 * moduleSize && m < 1.25 * moduleSize;
        const double fit = candidates[i].fit;
        if (inside(grid.corners, candidates[i].centre) && fit < 0.8 * ownFit && (sameSize || fit < tuning::kPoorFit)) used[i] = true;
    }
}

void markPatternsOfRead(const std::vector<DecodedSymbol>& symbols, double scale,
                        const std::vector<FinderCandidate>& candidates, std::vector<bool>& used) {
    for (const DecodedSymbol& s : symbols) {
        const ModuleCount modules = symbolModules(s.format, s.version);
        // Mean side length over the mean of width and height: the module size of squares and
        // rectangles alike.
        const double moduleSize = sideLength(s.corners) / ((modules.width + modules.height) / 2.0) / scale;
        for (size_t i = 0; i < candidates.size(); ++i) {
            const double m = candidates[i].moduleSize;
            if (m > 0.7 * moduleSize && m < 1.4 * moduleSize && inside(s.corners, candidates[i].centre * scale)) used[i] = true;
        }
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
            const double size = sideLength(k.corners), ratio = sideLength(s.corners) / std::max(size, 1e-9);
            return distance(centreOf(k), centreOf(s)) < size / 4 && ratio > 0.8 && ratio < 1.25;
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
