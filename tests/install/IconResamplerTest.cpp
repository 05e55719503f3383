#include "res/desktop/IconResampler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace {

platform::RgbaImage filled(int width, int height, uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
    platform::RgbaImage image;
    image.width = width;
    image.height = height;
    for (int i = 0; i < width * height; ++i) image.rgba.insert(image.rgba.end(), {r, g, b, a});
    return image;
}

const uint8_t* at(const platform::RgbaImage& image, int x, int y) {
    return image.rgba.data() + (static_cast<size_t>(y) * image.width + x) * 4;
}

TEST(IconResampler, SameSizeGivesThePictureBack) {
    platform::RgbaImage image = filled(7, 5, 0, 0, 0, 0);
    for (size_t i = 0; i < image.rgba.size(); ++i) image.rgba[i] = static_cast<uint8_t>(i * 37 % 256);
    for (size_t i = 3; i < image.rgba.size(); i += 4) image.rgba[i] = 255;  // opaque, so colours stay exact
    EXPECT_EQ(desktop::resampleRgba(image, 7, 5).rgba, image.rgba);
}

// A filter whose weights do not sum to one, or that reads past an edge, changes a flat colour.
TEST(IconResampler, FlatColourStaysFlatAtEveryIconSize) {
    const platform::RgbaImage image = filled(48, 48, 40, 120, 220, 200);
    for (int size : {16, 32, 47, 64, 128, 256}) {
        const platform::RgbaImage out = desktop::resampleRgba(image, size, size);
        ASSERT_EQ(out.rgba.size(), static_cast<size_t>(size) * size * 4) << size;
        for (size_t i = 0; i < out.rgba.size(); i += 4) {
            ASSERT_LE(std::abs(out.rgba[i] - 40), 1) << size;
            ASSERT_LE(std::abs(out.rgba[i + 1] - 120), 1) << size;
            ASSERT_LE(std::abs(out.rgba[i + 2] - 220), 1) << size;
            ASSERT_EQ(out.rgba[i + 3], 200) << size;
        }
    }
}

// Transparent pixels hold arbitrary colour (here black); filtering without alpha weighting
// would darken the opaque white next to them, the dark fringe of a badly scaled icon.
TEST(IconResampler, TransparentPixelsLendNoColourToTheirNeighbours) {
    platform::RgbaImage image = filled(48, 48, 0, 0, 0, 0);
    for (int y = 0; y < 48; ++y)
        for (int x = 24; x < 48; ++x) {
            uint8_t* pixel = image.rgba.data() + (static_cast<size_t>(y) * 48 + x) * 4;
            pixel[0] = pixel[1] = pixel[2] = pixel[3] = 255;
        }
    for (int size : {32, 128}) {
        const platform::RgbaImage out = desktop::resampleRgba(image, size, size);
        bool sawEdge = false;
        for (int x = 0; x < size; ++x) {
            const uint8_t* pixel = at(out, x, size / 2);
            if (pixel[3] == 0) continue;
            sawEdge = sawEdge || pixel[3] < 255;
            EXPECT_GE(pixel[0], 250) << "size " << size << " x " << x;
        }
        EXPECT_TRUE(sawEdge) << size;
        EXPECT_EQ(at(out, 0, 0)[3], 0) << size;
        EXPECT_EQ(at(out, size - 1, 0)[3], 255) << size;
    }
}

// Shrinking averages: a one-pixel checkerboard must come out mid-grey, not aliased stripes.
TEST(IconResampler, ShrinkingAveragesFineDetail) {
    platform::RgbaImage image = filled(48, 48, 0, 0, 0, 255);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 48; ++x)
            if ((x + y) % 2) std::fill_n(image.rgba.data() + (static_cast<size_t>(y) * 48 + x) * 4, 3, uint8_t{255});
    const platform::RgbaImage out = desktop::resampleRgba(image, 16, 16);
    for (int y = 1; y < 15; ++y)
        for (int x = 1; x < 15; ++x) EXPECT_NEAR(at(out, x, y)[0], 128, 24) << x << "," << y;
}

TEST(IconResampler, RefusesBadSizesAndInconsistentPictures) {
    const platform::RgbaImage image = filled(4, 4, 1, 2, 3, 255);
    EXPECT_TRUE(desktop::resampleRgba(image, 0, 4).rgba.empty());
    EXPECT_TRUE(desktop::resampleRgba(image, 4, -1).rgba.empty());
    EXPECT_TRUE(desktop::resampleRgba(image, desktop::kMaxIconSide + 1, 4).rgba.empty());
    EXPECT_TRUE(desktop::resampleRgba(platform::RgbaImage{}, 4, 4).rgba.empty());
    platform::RgbaImage shortData = image;
    shortData.rgba.pop_back();
    EXPECT_TRUE(desktop::resampleRgba(shortData, 4, 4).rgba.empty());
}

}  // namespace
