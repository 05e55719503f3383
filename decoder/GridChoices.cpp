#include "decoder/GridChoices.h"

#include <algorithm>

#include "decoder/ReaderTuning.h"
#include "decoder/SymbolSize.h"

int estimateVersion(const SymbolFinders& f, int fallback) {
    // Tilt makes modules shorter one way than the other: each leg by the modules along it.
    const PicturePoint across = f.topRight.candidate.centre - f.topLeft.candidate.centre;
    const PicturePoint down = f.bottomLeft.candidate.centre - f.topLeft.candidate.centre;
    const auto along = [&](const FinderGeometry& g, bool xAxis) {
        // Without traced corners (a round pattern), its widths across the leg's direction.
        if (!g.corners) return g.candidate.moduleAlong(xAxis ? across : down);
        const auto& c = *g.corners;
        return xAxis ? (distance(c[0], c[1]) + distance(c[3], c[2])) / 14 : (distance(c[0], c[3]) + distance(c[1], c[2])) / 14;
    };
    const double modulesAcross = length(across) / ((along(f.topLeft, true) + along(f.topRight, true)) / 2);
    const double modulesDown = length(down) / ((along(f.topLeft, false) + along(f.bottomLeft, false)) / 2);
    const double side = (modulesAcross + modulesDown) / 2 + 7;
    if (!(side >= 0 && side < 1000)) return fallback;  // no finite, plausible size from these patterns
    return versionNearestSide(side);
}

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
    const bool traced = finders.topLeft.corners || finders.topRight.corners || finders.bottomLeft.corners;
    while (pending.empty() && nextVersion < versions.size()) {
        const int v = versions[nextVersion++];
        std::vector<std::pair<double, GridFit>> fits;
        for (const GridShape shape : {GridShape::Perspective, GridShape::Parallelogram}) {
            if (shape == GridShape::Perspective && !traced) continue;  // it would be the parallelogram
            auto grid = fitGrid(finders, v, shape);
            if (!grid) continue;
            const auto steps = timingStepsAtLeast(bits, *grid, tuning::kTimingAgreement);
            // Also refitted to the timing modules themselves: from the patterns' centres alone
            // (no ring traced), or short of a symbol's clean steps from their corners. The refit
            // goes first where it steps as well.
            std::optional<GridFit> refit;
            if (!traced || ((!steps || steps->weaker() < tuning::kSymbolTiming) && shape == GridShape::Perspective))
                refit = fitToTiming(bits, finders, *grid);
            if (steps && steps->both() >= tuning::kTimingAgreement) fits.emplace_back(steps->both(), std::move(*grid));
            if (refit) {
                const auto refitSteps = timingStepsAtLeast(bits, *refit, tuning::kTimingAgreement);
                if (refitSteps && (!steps || refitSteps->both() >= steps->both()))
                    fits.emplace_back(refitSteps->both(), std::move(*refit));
            }
        }
        std::stable_sort(fits.begin(), fits.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        for (auto& [agreement, grid] : fits) pending.push_back(std::move(grid));
    }
    if (pending.empty()) return std::nullopt;
    GridFit grid = std::move(pending.back());
    pending.pop_back();
    return grid;
}
