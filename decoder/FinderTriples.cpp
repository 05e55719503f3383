#include "decoder/FinderTriples.h"

#include <algorithm>
#include <cmath>

namespace {

// Distances between candidates in pixels and in modules (measured by the two patterns' mean
// module size); -1 for pairs whose modules differ too much to belong to one symbol.
struct PairTable {
    int n;
    std::vector<double> pixels, modules;
    double px(int i, int j) const { return pixels[static_cast<size_t>(i) * n + j]; }
    double mod(int i, int j) const { return modules[static_cast<size_t>(i) * n + j]; }
};

PairTable pairTable(const std::vector<FinderCandidate>& c) {
    const int n = static_cast<int>(c.size());
    PairTable t{n, std::vector<double>(static_cast<size_t>(n) * n, -1), std::vector<double>(static_cast<size_t>(n) * n, -1)};
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            if (i != j && c[i].moduleSize <= 2.5 * c[j].moduleSize && c[j].moduleSize <= 2.5 * c[i].moduleSize) {
                const double d = distance(c[i].centre, c[j].centre);
                t.pixels[static_cast<size_t>(i) * n + j] = d;
                t.modules[static_cast<size_t>(i) * n + j] = d / ((c[i].moduleSize + c[j].moduleSize) / 2);
            }
    return t;
}

// The triple (a at the corner) if its geometry fits a symbol; score 0 otherwise.
FinderTriple judge(const std::vector<FinderCandidate>& c, const PairTable& pairs, int a, int b, int d) {
    FinderTriple t;
    // Both legs span the same number of modules: the side less the two patterns' halves.
    const double modulesP = pairs.mod(a, b), modulesQ = pairs.mod(a, d);
    const double legRatio = std::min(modulesP, modulesQ) / std::max(modulesP, modulesQ);
    if (legRatio < 0.6) return t;
    const double side = (modulesP + modulesQ) / 2 + 7;
    if (side < 17 || side > 190) return t;
    const FinderCandidate &corner = c[a], &p = c[b], &q = c[d];
    const PicturePoint legP = p.centre - corner.centre, legQ = q.centre - corner.centre;
    const double cosine = dot(legP, legQ) / (pairs.px(a, b) * pairs.px(a, d));
    if (std::abs(cosine) > 0.7) return t;
    t.estimatedVersion = std::clamp(static_cast<int>(std::lround((side - 17) / 4)), 1, 40);
    t.topLeft = a;
    // Clockwise from topRight to bottomLeft around the corner (picture y points down).
    const bool clockwise = cross(legP, legQ) > 0;
    t.topRight = clockwise ? b : d;
    t.bottomLeft = clockwise ? d : b;
    const double smallest = std::min({corner.moduleSize, p.moduleSize, q.moduleSize});
    const double largest = std::max({corner.moduleSize, p.moduleSize, q.moduleSize});
    t.score = (corner.score + p.score + q.score) / 3 * (1 - std::abs(cosine)) * legRatio * (smallest / largest);
    return t;
}

}  // namespace

TripleRanking rankTriples(const std::vector<FinderCandidate>& all, size_t cap, size_t from, size_t to) {
    TripleRanking ranking;
    const std::vector<FinderCandidate> c(all.begin(), all.begin() + static_cast<long>(std::min(to, all.size())));
    const int n = static_cast<int>(c.size());
    const PairTable pairs = pairTable(c);
    for (int i = 0; i < n; ++i)
        for (int j = i + 1; j < n; ++j) {
            if (pairs.px(i, j) < 0) continue;
            for (int k = std::max(j + 1, static_cast<int>(from)); k < n; ++k) {
                if (pairs.px(i, k) < 0 || pairs.px(j, k) < 0) continue;
                // The corner is the vertex whose geometry fits best (under strong tilt it need
                // not be the one opposite the longest side in pixels).
                FinderTriple best = judge(c, pairs, i, j, k);
                for (const FinderTriple& t : {judge(c, pairs, j, i, k), judge(c, pairs, k, i, j)})
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
