// A symbol's size in modules, and the version a size measured in a picture stands for.
#pragma once

#include <algorithm>
#include <cmath>

// Modules along each side of a symbol of `version` (1..40): 21, 25, ..., 177.
constexpr int symbolSide(int version) { return 4 * version + 17; }

// The version whose side is nearest to `side` modules, 1..40 (a measured side is never exact).
// `side` must be finite.
inline int versionNearestSide(double side) {
    return std::clamp(static_cast<int>(std::lround((std::clamp(side, 0.0, 1000.0) - 17) / 4)), 1, 40);
}
