#include "cli/TracePicture.h"

#include <algorithm>
#include <cmath>

namespace {

struct Colour {
    uint8_t r, g, b;
};

void plot(platform::RgbImage& picture, int x, int y, Colour c) {
    if (x < 0 || y < 0 || x >= picture.width || y >= picture.height) return;
    uint8_t* p = picture.pixel(x, y);
    p[0] = c.r, p[1] = c.g, p[2] = c.b;
}

// A line `thickness` pixels wide.
void line(platform::RgbImage& picture, PicturePoint a, PicturePoint b, Colour c, int thickness) {
    const double steps = std::max(1.0, std::ceil(std::max(std::abs(b.x - a.x), std::abs(b.y - a.y))));
    if (!std::isfinite(steps) || steps > 1e5) return;
    for (int i = 0; i <= static_cast<int>(steps); ++i) {
        const PicturePoint p = a + (b - a) * (i / steps);
        for (int dy = 0; dy < thickness; ++dy)
            for (int dx = 0; dx < thickness; ++dx) plot(picture, static_cast<int>(p.x) + dx, static_cast<int>(p.y) + dy, c);
    }
}

void outline(platform::RgbImage& picture, const std::array<PicturePoint, 4>& corners, Colour c, int thickness) {
    for (int k = 0; k < 4; ++k) line(picture, corners[k], corners[(k + 1) % 4], c, thickness);
}

}  // namespace

void drawReaderTrace(platform::RgbImage& picture, const ReadTrace& trace, const PictureReading& reading) {
    const int thickness = std::max(1, std::min(picture.width, picture.height) / 400);
    const double arm = 4.0 * thickness;
    for (const ReadTrace::Attempt& attempt : trace.attempts) {
        for (const auto& corners : attempt.gridCorners) outline(picture, corners, {40, 90, 255}, thickness);
        for (const PicturePoint& c : attempt.finderCentres) {
            line(picture, c - PicturePoint{arm, 0}, c + PicturePoint{arm, 0}, {230, 30, 30}, thickness);
            line(picture, c - PicturePoint{0, arm}, c + PicturePoint{0, arm}, {230, 30, 30}, thickness);
        }
    }
    for (const DecodedSymbol& s : reading.symbols) outline(picture, s.corners, {20, 200, 60}, 2 * thickness);
}
