#include "decoder/FinderGeometries.h"

const std::optional<std::array<PicturePoint, 4>>& FinderGeometries::ring(size_t i) {
    if (!done[i]) {
        traced[i] = finderCorners(bits, candidates[i]);
        done[i] = true;
    }
    return traced[i];
}

SymbolFinders FinderGeometries::forTriple(const FinderTriple& t) {
    for (const int i : {t.topLeft, t.topRight, t.bottomLeft}) ring(static_cast<size_t>(i));
    const PicturePoint origin = candidates[t.topLeft].centre;
    const PicturePoint xAxis = candidates[t.topRight].centre - origin, yAxis = candidates[t.bottomLeft].centre - origin;
    return {orientFinder(candidates[t.topLeft], traced[t.topLeft], xAxis, yAxis),
            orientFinder(candidates[t.topRight], traced[t.topRight], xAxis, yAxis),
            orientFinder(candidates[t.bottomLeft], traced[t.bottomLeft], xAxis, yAxis)};
}
