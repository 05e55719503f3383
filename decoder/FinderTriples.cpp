#include "decoder/FinderTriples.h"

#include <algorithm>
#include <cmath>

#include "decoder/ReaderTuning.h"
#include "decoder/SymbolSize.h"

namespace {

// Sides of a version 1..40 symbol, with room for measuring: the longest leg between two pattern
// centres is the side less 7 modules.
constexpr double kLeastSide = 17, kMostSide = 190;

bool similarModules(const FinderCandidate& a, const FinderCandidate& b) {
    return a.moduleSize <= tuning::kMostModuleRatio * b.moduleSize && b.moduleSize <= tuning::kMostModuleRatio * a.moduleSize;
}

// The distance between two candidates in modules, measured by their mean module size.
double modulesBetween(const FinderCandidate& a, const FinderCandidate& b) {
    return distance(a.centre, b.centre) / ((a.moduleSize + b.moduleSize) / 2);
}

// The same measured by their modules along the way between them: a leg of a tilted symbol.
double modulesAlong(const FinderCandidate& a, const FinderCandidate& b) {
    const PicturePoint way = b.centre - a.centre;
    return length(way) / ((a.moduleAlong(way) + b.moduleAlong(way)) / 2);
}

// The triple (a at the corner) if its geometry fits a symbol; score 0 otherwise.
FinderTriple judge(const std::vector<FinderCandidate>& c, int a, int b, int d) {
    FinderTriple t;
    const FinderCandidate &corner = c[a], &p = c[b], &q = c[d];
    const PicturePoint legP = p.centre - corner.centre, legQ = q.centre - corner.centre;
    const double cosine = dot(legP, legQ) / (length(legP) * length(legQ));
    if (!(std::abs(cosine) <= tuning::kMostCornerCosine)) return t;
    // Both legs span the same number of modules: the side less the two patterns' halves. A
    // symbol at a slant has modules shorter one way: where the patterns' mean modules make the
    // legs unequal, they are measured again in the modules along each (a triple so found ranks
    // by the first measure, behind the plainly square ones).
    double modulesP = modulesBetween(corner, p), modulesQ = modulesBetween(corner, q);
    const double legRatio = std::min(modulesP, modulesQ) / std::max(modulesP, modulesQ);
    if (!(legRatio >= tuning::kLeastLegRatio)) {
        modulesP = modulesAlong(corner, p), modulesQ = modulesAlong(corner, q);
        if (!(std::min(modulesP, modulesQ) / std::max(modulesP, modulesQ) >= tuning::kLeastLegRatio)) return t;
    }
    const double side = (modulesP + modulesQ) / 2 + 7;
    if (side < kLeastSide || side > kMostSide) return t;
    t.estimatedVersion = versionNearestSide(side);
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

// Each candidate's nearest plausible partners (modules of a similar size, a leg any symbol can
// have), nearest first.
std::vector<std::vector<int>> nearestPartners(const std::vector<FinderCandidate>& c, int n) {
    std::vector<std::vector<int>> partners(static_cast<size_t>(n));
    std::vector<std::pair<double, int>> near;
    for (int i = 0; i < n; ++i) {
        near.clear();
        for (int j = 0; j < n; ++j) {
            if (j == i || !similarModules(c[i], c[j])) continue;
            const double modules = modulesBetween(c[i], c[j]);
            if (modules > 0 && modules < kMostSide) near.emplace_back(modules, j);
        }
        const size_t keep = std::min(near.size(), static_cast<size_t>(tuning::kNeighbours));
        std::partial_sort(near.begin(), near.begin() + static_cast<long>(keep), near.end());
        for (size_t k = 0; k < keep; ++k) partners[i].push_back(near[k].second);
    }
    return partners;
}

}  // namespace

bool isSquareInPicture(const std::vector<FinderCandidate>& candidates, const FinderTriple& triple) {
    const PicturePoint corner = candidates[triple.topLeft].centre;
    const PicturePoint right = candidates[triple.topRight].centre - corner;
    const PicturePoint down = candidates[triple.bottomLeft].centre - corner;
    const double a = length(right), b = length(down);
    if (!(a > 0 && b > 0)) return false;
    return std::abs(a - b) <= tuning::kSquareTripleTolerance * std::max(a, b) &&
           std::abs(dot(right, down)) <= tuning::kSquareTripleTolerance * a * b;
}

TripleRanking rankTriples(const std::vector<FinderCandidate>& c, size_t from, size_t to) {
    TripleRanking ranking;
    const int n = static_cast<int>(std::min(to, c.size()));
    const std::vector<std::vector<int>> partners = nearestPartners(c, n);
    // Better first; of equals, the smaller symbol (the patterns of one symbol lie nearer one
    // another than those of a row of symbols).
    const auto better = [](const FinderTriple& x, const FinderTriple& y) {
        return x.score != y.score ? x.score > y.score : x.estimatedVersion < y.estimatedVersion;
    };
    // Every corner with two of its partners, each corner's best few kept; a triple formed from
    // several of its corners keeps the one whose geometry fits best (under strong tilt it need not
    // be the one opposite the longest side in pixels).
    std::vector<std::pair<uint64_t, FinderTriple>> found;
    std::vector<FinderTriple> atCorner;
    for (int a = 0; a < n; ++a) {
        atCorner.clear();
        const std::vector<int>& p = partners[a];
        for (size_t i = 0; i < p.size(); ++i)
            for (size_t j = i + 1; j < p.size(); ++j) {
                const int b = p[i], d = p[j];
                if (static_cast<size_t>(std::max({a, b, d})) < from || !similarModules(c[b], c[d])) continue;
                if (const FinderTriple t = judge(c, a, b, d); t.score > 0) atCorner.push_back(t);
            }
        const size_t keep = std::min(atCorner.size(), static_cast<size_t>(tuning::kTriplesPerCorner));
        std::partial_sort(atCorner.begin(), atCorner.begin() + static_cast<long>(keep), atCorner.end(), better);
        ranking.dropped += static_cast<int>(atCorner.size() - keep);
        for (size_t k = 0; k < keep; ++k) {
            const FinderTriple& t = atCorner[k];
            int v[3] = {t.topLeft, t.topRight, t.bottomLeft};
            std::sort(v, v + 3);
            found.emplace_back((static_cast<uint64_t>(v[0]) * n + v[1]) * n + v[2], t);
        }
    }
    std::sort(found.begin(), found.end(), [&](const auto& x, const auto& y) {
        return x.first != y.first ? x.first < y.first : better(x.second, y.second);
    });
    for (size_t k = 0; k < found.size(); ++k)
        if (k == 0 || found[k].first != found[k - 1].first) ranking.triples.push_back(found[k].second);
    std::stable_sort(ranking.triples.begin(), ranking.triples.end(), better);
    return ranking;
}
