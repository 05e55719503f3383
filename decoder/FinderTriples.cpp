#include "decoder/FinderTriples.h"

#include <algorithm>
#include <cmath>

namespace {

// The triple (a at the corner) if its geometry fits a symbol; score 0 otherwise.
FinderTriple judge(const std::vector<FinderCandidate>& c, int a, int b, int d) {
    FinderTriple t;
    const FinderCandidate &corner = c[a], &p = c[b], &q = c[d];
    const double smallest = std::min({corner.moduleSize, p.moduleSize, q.moduleSize});
    const double largest = std::max({corner.moduleSize, p.moduleSize, q.moduleSize});
    if (largest > 2.5 * smallest) return t;
    const PicturePoint legP = p.centre - corner.centre, legQ = q.centre - corner.centre;
    const double lengthP = length(legP), lengthQ = length(legQ);
    const double cosine = dot(legP, legQ) / (lengthP * lengthQ);
    if (std::abs(cosine) > 0.7) return t;
    // Both legs span the same number of modules: the side less the two patterns' halves.
    const double modulesP = lengthP / ((corner.moduleSize + p.moduleSize) / 2);
    const double modulesQ = lengthQ / ((corner.moduleSize + q.moduleSize) / 2);
    const double legRatio = std::min(modulesP, modulesQ) / std::max(modulesP, modulesQ);
    if (legRatio < 0.6) return t;
    const double side = (modulesP + modulesQ) / 2 + 7;
    if (side < 17 || side > 190) return t;
    t.estimatedVersion = std::clamp(static_cast<int>(std::lround((side - 17) / 4)), 1, 40);
    t.topLeft = a;
    // Clockwise from topRight to bottomLeft around the corner (picture y points down).
    const bool clockwise = cross(legP, legQ) > 0;
    t.topRight = clockwise ? b : d;
    t.bottomLeft = clockwise ? d : b;
    t.score = (corner.score + p.score + q.score) / 3 * (1 - std::abs(cosine)) * legRatio * (smallest / largest);
    return t;
}

}  // namespace

TripleRanking rankTriples(const std::vector<FinderCandidate>& c, size_t cap) {
    TripleRanking ranking;
    const int n = static_cast<int>(c.size());
    // Pairs whose modules differ too much belong to no symbol together: distance -1.
    std::vector<double> apart(static_cast<size_t>(n) * n, -1);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            if (c[i].moduleSize <= 2.5 * c[j].moduleSize && c[j].moduleSize <= 2.5 * c[i].moduleSize)
                apart[static_cast<size_t>(i) * n + j] = distance(c[i].centre, c[j].centre);
    const auto d = [&](int i, int j) { return apart[static_cast<size_t>(i) * n + j]; };
    for (int i = 0; i < n; ++i)
        for (int j = i + 1; j < n; ++j) {
            if (d(i, j) < 0) continue;
            for (int k = j + 1; k < n; ++k) {
                if (d(i, k) < 0 || d(j, k) < 0) continue;
                // The corner is the vertex whose geometry fits best (under strong tilt it need
                // not be the one opposite the longest side in pixels).
                FinderTriple best = judge(c, i, j, k);
                for (const FinderTriple& t : {judge(c, j, i, k), judge(c, k, i, j)})
                    if (t.score > best.score) best = t;
                if (best.score > 0) ranking.triples.push_back(best);
            }
        }
    const auto better = [](const FinderTriple& x, const FinderTriple& y) { return x.score > y.score; };
    if (ranking.triples.size() > cap) {
        std::partial_sort(ranking.triples.begin(), ranking.triples.begin() + static_cast<long>(cap), ranking.triples.end(), better);
        ranking.dropped = static_cast<int>(ranking.triples.size() - cap);
        ranking.triples.resize(cap);
    } else {
        std::sort(ranking.triples.begin(), ranking.triples.end(), better);
    }
    return ranking;
}
