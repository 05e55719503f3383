// Draws a finished module matrix in the forms the command-line tool writes: a two-tone picture
// (each module exactly scale x scale pixels, black on white), SVG, a 0/1 matrix, or half-block
// text. Square (QR, Micro QR) and rectangular (rMQR) matrices alike.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/imaging.h"

class SymbolRenderer {
public:
    // `dark` holds width x height modules row by row from the top, 1 = dark.
    SymbolRenderer(int width, int height, std::vector<uint8_t> dark, int scale, int quietZone);

    int width() const { return width_; }
    int height() const { return height_; }
    bool dark(int x, int y) const { return dark_[static_cast<size_t>(y) * width_ + x] != 0; }

    platform::BilevelImage toImage() const;
    std::string toSvg() const;
    // `height` lines of `width` characters '1' (dark) or '0', rows from the top, no quiet zone.
    std::string toMatrixText() const;
    // Two module rows per text line with the characters full block, upper half, lower half and
    // space, quiet zone included. With `ansiColours` every line is drawn black on white.
    std::string toHalfBlockText(bool ansiColours) const;

private:
    // Dark at (x, y) counted in modules from the top-left of the quiet zone.
    bool darkWithQuietZone(int x, int y) const;

    int width_;
    int height_;
    int scale_;
    int quietZone_;
    std::vector<uint8_t> dark_;  // row-major, 1 = dark
};
