// Resizing the program's icon for the icon theme's sizes.
#pragma once

#include "platform/imaging.h"

namespace desktop {

// The largest side the resampler makes; icon themes go no further than 512.
inline constexpr int kMaxIconSide = 4096;

// Resizes `source` (straight alpha) to width x height with a Catmull-Rom filter, widened by the
// reduction factor when shrinking so that every source pixel counts. Colours are filtered
// premultiplied by their alpha, so transparent pixels lend the result none of their colour.
// The same size gives the picture back unchanged. Returns an empty picture when `source` is
// empty or inconsistent, or a side is outside 1..kMaxIconSide.
platform::RgbaImage resampleRgba(const platform::RgbaImage& source, int width, int height);

}  // namespace desktop
