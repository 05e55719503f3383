#include "decoder/FinderGeometries.h"

#include <algorithm>
#include <cmath>

#include "decoder/ReaderTuning.h"

namespace {

// A pattern's corners in its own module frame (7 x 7), going round as the traced ones do.
constexpr std::array<PicturePoint, 4> kFinderFrame = {{{0, 0}, {7, 0}, {7, 7}, {0, 7}}};

}  // namespace

const std::optional<std::array<PicturePoint, 4>>& FinderGeometries::ring(size_t i) {
    if (!done[i]) {
        if (const std::optional<FinderRing> found = traceFinderRing(bits, candidates[i])) {
            ringFound[i] = true;
            traced[i] = found->corners;
        }
        if (traced[i]) toFrame[i] = PerspectiveTransform::fromQuads(*traced[i], kFinderFrame);
        done[i] = true;
    }
    return traced[i];
}

int FinderGeometries::ringsTraced(const FinderTriple& t) {
    int count = 0;
    for (const int i : {t.topLeft, t.topRight, t.bottomLeft}) {
        ring(static_cast<size_t>(i));
        count += ringFound[static_cast<size_t>(i)];
    }
    return count;
}

// How far the way from pattern `from` towards pattern `to` is from `from`'s own axes, in its
// traced frame: 0 along an edge, 1 along a diagonal; nullopt without a frame.
std::optional<double> FinderGeometries::offAxis(int from, int to) const {
    if (!toFrame[from]) return std::nullopt;
    const FinderCandidate& c = candidates[from];
    const double away = distance(candidates[to].centre, c.centre);
    if (!(away > 0)) return std::nullopt;
    // A short step within the pattern: its own frame holds only near it.
    const PicturePoint along = (candidates[to].centre - c.centre) * (3 * c.moduleSize / away);
    const PicturePoint step = toFrame[from]->map(c.centre + along) - toFrame[from]->map(c.centre);
    const double a = std::abs(step.x), b = std::abs(step.y);
    if (!(std::max(a, b) > 0)) return std::nullopt;
    return std::min(a, b) / std::max(a, b);
}

std::optional<FinderTriple> FinderGeometries::byOutlines(FinderTriple t) {
    const int p[3] = {t.topLeft, t.topRight, t.bottomLeft};
    for (const int i : p) ring(static_cast<size_t>(i));
    // Each pair of patterns: how far the way between them is off both patterns' axes (0..2). The
    // pair farthest off is the diagonal; the corner is the third pattern.
    double off[3];  // off[k]: the pair without p[k]
    for (int k = 0; k < 3; ++k) {
        const int a = p[(k + 1) % 3], b = p[(k + 2) % 3];
        const auto fromA = offAxis(a, b), fromB = offAxis(b, a);
        if (!fromA || !fromB) return t;
        off[k] = *fromA + *fromB;
    }
    const int corner = static_cast<int>(std::max_element(off, off + 3) - off);
    const double side = std::max(off[(corner + 1) % 3], off[(corner + 2) % 3]);
    if (off[corner] - side < tuning::kLeastDiagonalMargin) return std::nullopt;
    if (corner == 0) return t;
    const int a = p[corner], b = p[(corner + 1) % 3], d = p[(corner + 2) % 3];
    const PicturePoint legB = candidates[b].centre - candidates[a].centre, legD = candidates[d].centre - candidates[a].centre;
    // Clockwise from topRight to bottomLeft around the corner (picture y points down).
    const bool clockwise = cross(legB, legD) > 0;
    t.topLeft = a;
    t.topRight = clockwise ? b : d;
    t.bottomLeft = clockwise ? d : b;
    return t;
}

SymbolFinders FinderGeometries::forTriple(const FinderTriple& t) {
    for (const int i : {t.topLeft, t.topRight, t.bottomLeft}) ring(static_cast<size_t>(i));
    const PicturePoint origin = candidates[t.topLeft].centre;
    const PicturePoint xAxis = candidates[t.topRight].centre - origin, yAxis = candidates[t.bottomLeft].centre - origin;
    return {orientFinder(candidates[t.topLeft], traced[t.topLeft], xAxis, yAxis),
            orientFinder(candidates[t.topRight], traced[t.topRight], xAxis, yAxis),
            orientFinder(candidates[t.bottomLeft], traced[t.bottomLeft], xAxis, yAxis)};
}
