// Alignment patterns: a dark module in a light ring in a dark ring, 5 x 5 modules, placed in a
// grid across symbols of version 2 and up. Found near where the symbol's geometry so far puts
// them, they pin the grid to the picture where finder patterns alone cannot (tilt, bends).
#pragma once

#include <optional>

#include "decoder/BitMatrix.h"
#include "decoder/Point.h"

// The centre of the alignment pattern closest to `predicted` within `radius` pixels, for
// modules of about `moduleSize` pixels; nullopt when there is none.
std::optional<PicturePoint> findAlignmentPattern(const BitMatrix& bits, PicturePoint predicted, double moduleSize,
                                                 double radius);
