#include "decoder/FinderGeometries.h"

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
