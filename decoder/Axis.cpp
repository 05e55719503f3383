#include "decoder/Axis.h"

// Each product is rounded to the nearest pixel rather than floored: with a pitch of
// floor(length * 2^s / n), flooring n steps lands one pixel short of the far corner, which at
// two pixels per module is the neighbouring module.
Point Axis::step(int32_t dx, int32_t dy) const {
    const int64_t half = precisionBits > 0 ? int64_t{1} << (precisionBits - 1) : 0;
    const int64_t u = dx == 0 ? 0 : (static_cast<int64_t>(dx) * pitch + half) >> precisionBits;
    const int64_t v = dy == 0 ? 0 : (static_cast<int64_t>(dy) * pitch + half) >> precisionBits;
    const int64_t x = (u * cos - v * sin + half) >> precisionBits;
    const int64_t y = (v * cos + u * sin + half) >> precisionBits;
    return Point(static_cast<int32_t>(x + origin.x), static_cast<int32_t>(y + origin.y));
}
