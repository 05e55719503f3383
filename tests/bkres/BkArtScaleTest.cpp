// Fitting 2x art to a screen at 1.5: strip frames and colour keys stay apart.
#include <gtest/gtest.h>

#include "bkres/bkartscale.h"
#include "platform/gdi.h"

namespace {

TEST(BkArtScale, AtOneAndAHalfFramesStayApartAndTheKeyIsNeverBlended) {
    // Two frames of 3 logical pixels, red and blue, drawn at 2x: 12 x 2 pixels.
    platform::RgbImage strip(12, 2);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 12; ++x) {
            uint8_t* p = strip.pixel(x, y);
            p[0] = x < 6 ? 255 : 0, p[1] = 0, p[2] = x < 6 ? 0 : 255;
        }
    }
    const platform::RgbImage fitted = BkArtScale::FitKeyed(strip, 2, 1.5);
    ASSERT_EQ(fitted.width, 9);
    ASSERT_EQ(fitted.height, 2);
    // The second frame starts where the drawing code puts logical pixel 3, no pixel mixed.
    const int edge = platform::DeviceEdge(3, 1.5);
    for (int x = 0; x < fitted.width; ++x) {
        const uint8_t* p = fitted.pixel(x, 0);
        EXPECT_EQ(p[0], x < edge ? 255 : 0) << x;
        EXPECT_EQ(p[2], x < edge ? 0 : 255) << x;
    }

    // A white square on the FF00FF key, its edges at odd 2x pixels: every pixel is either the
    // key or white, never a pink blend.
    platform::RgbImage keyed(8, 8);
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            const bool inside = x >= 3 && x < 7 && y >= 3 && y < 7;
            uint8_t* p = keyed.pixel(x, y);
            p[0] = 255, p[1] = inside ? 255 : 0, p[2] = 255;
        }
    }
    const platform::RgbImage small = BkArtScale::FitKeyed(keyed, 2, 1.5);
    int white = 0;
    for (size_t i = 0; i < small.rgb.size(); i += 3) {
        EXPECT_TRUE(small.rgb[i + 1] == 0 || small.rgb[i + 1] == 255) << i / 3;
        white += small.rgb[i + 1] == 255;
    }
    EXPECT_GT(white, 0);
}

}  // namespace
