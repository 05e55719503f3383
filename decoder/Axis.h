// Maps module offsets in a symbol's own frame to picture positions, following the symbol's
// rotation. Direction and pitch are fixed-point with `precisionBits` fraction bits.
#pragma once

#include <cstdint>

#include "decoder/Point.h"

class Axis {
public:
    Axis(int32_t sin, int32_t cos, int32_t pitch, int32_t precisionBits)
        : precisionBits(precisionBits), sin(sin), cos(cos), pitch(pitch) {}
    virtual ~Axis() = default;

    void moveTo(const Point& p) { origin = p; }
    void setPitch(int32_t p) { pitch = p; }
    // The picture position dx modules along and dy modules across from the origin. The products
    // are formed in 64 bits, so large pictures at high precision do not overflow.
    Point step(int32_t dx, int32_t dy) const;
    Point stepFrom(const Point& p, int32_t dx, int32_t dy) {
        moveTo(p);
        return step(dx, dy);
    }

    int32_t precisionBits;
    int32_t sin;
    int32_t cos;
    int32_t pitch;
    Point origin;
};
