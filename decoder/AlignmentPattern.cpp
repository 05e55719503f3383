#include "decoder/AlignmentPattern.h"

#include <algorithm>
#include <cmath>

namespace {

// Along (dx, dy) through the dark pixel (x, y): the central dark run, the light runs on both
// sides and dark beyond them, each of about one module. Gives the run's middle (in steps from
// (x, y)) and how far the three runs are from one module each.
bool oneOneOne(const BitMatrix& bits, int x, int y, int dx, int dy, double module, double& middle, double& deviation) {
    const int limit = static_cast<int>(2.2 * module) + 1;
    const auto run = [&](int sign, bool dark, int from) {
        int n = 0;
        while (n <= limit && bits.getOrLight(x + sign * (from + n) * dx, y + sign * (from + n) * dy) == dark) ++n;
        return n;
    };
    if (!bits.getOrLight(x, y)) return false;
    const int before = run(-1, true, 1), after = run(1, true, 1);
    const int centre = before + after + 1;
    const int lightBefore = run(-1, false, before + 1), lightAfter = run(1, false, after + 1);
    if (centre > limit || lightBefore == 0 || lightAfter == 0 || lightBefore > limit || lightAfter > limit) return false;
    // The outer ring: dark right after each light run (its width is not checked, it may touch
    // dark data modules).
    if (!bits.getOrLight(x - (before + 1 + lightBefore) * dx, y - (before + 1 + lightBefore) * dy)) return false;
    if (!bits.getOrLight(x + (after + 1 + lightAfter) * dx, y + (after + 1 + lightAfter) * dy)) return false;
    const double low = 0.35 * module;
    if (centre < low || lightBefore < low || lightAfter < low) return false;
    middle = (after - before) / 2.0;
    deviation = (std::abs(centre - module) + std::abs(lightBefore - module) + std::abs(lightAfter - module)) / (3 * module);
    return true;
}

}  // namespace

std::optional<PicturePoint> findAlignmentPattern(const BitMatrix& bits, PicturePoint predicted, double moduleSize,
                                                 double radius) {
    std::optional<PicturePoint> best;
    double bestCost = 1e300;
    // A prediction off the picture (or at infinity, from a wild grid) has nothing to search.
    if (!(predicted.x + radius >= 0 && predicted.y + radius >= 0 && predicted.x - radius < bits.width() &&
          predicted.y - radius < bits.height() && radius < bits.width() + bits.height()))
        return best;
    const int x0 = std::max(0, static_cast<int>(predicted.x - radius)), x1 = std::min(bits.width() - 1, static_cast<int>(predicted.x + radius));
    const int y0 = std::max(0, static_cast<int>(predicted.y - radius)), y1 = std::min(bits.height() - 1, static_cast<int>(predicted.y + radius));
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            // Each dark run is tried once, at its first pixel's row position.
            if (!bits.get(x, y) || (x > x0 && bits.get(x - 1, y))) continue;
            int end = x;
            while (end + 1 < bits.width() && bits.get(end + 1, y) && end - x < 3 * moduleSize) ++end;
            const int mid = (x + end) / 2;
            double offset, dh, dv;
            if (!oneOneOne(bits, mid, y, 0, 1, moduleSize, offset, dv)) continue;
            const double centreY = y + offset + 0.5;
            double offsetX;
            if (!oneOneOne(bits, mid, static_cast<int>(centreY), 1, 0, moduleSize, offsetX, dh)) continue;
            const PicturePoint centre{mid + offsetX + 0.5, centreY};
            const double cost = dh + dv + distance(centre, predicted) / std::max(radius, 1.0);
            if (cost < bestCost) bestCost = cost, best = centre;
        }
    }
    return best;
}
