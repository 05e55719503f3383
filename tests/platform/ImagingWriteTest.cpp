// Pictures written in each format read back as the same pixels (JPEG within its loss).
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/imaging.h"

namespace {

using platform::ImageFormat;
using platform::RgbImage;

// A black-and-white test card with single-pixel detail, and a colour gradient.
RgbImage blackAndWhite(int w, int h) {
    RgbImage image(w, h, 0xFF);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if ((x / 3 + y / 2) % 2 == 0 || x == y) {
                uint8_t* p = image.pixel(x, y);
                p[0] = p[1] = p[2] = 0;
            }
    return image;
}

RgbImage colours(int w, int h) {
    RgbImage image(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* p = image.pixel(x, y);
            p[0] = static_cast<uint8_t>(x * 255 / (w - 1));
            p[1] = static_cast<uint8_t>(y * 255 / (h - 1));
            p[2] = static_cast<uint8_t>((x + y) % 256);
        }
    return image;
}

RgbImage roundTrip(const RgbImage& image, ImageFormat format) {
    std::vector<uint8_t> bytes;
    EXPECT_EQ(platform::encodeImage(image, format, bytes), "");
    RgbImage back;
    EXPECT_EQ(platform::decodeImageBytes(bytes.data(), bytes.size(), back), "");
    return back;
}

int largestDifference(const RgbImage& a, const RgbImage& b) {
    int worst = 0;
    for (size_t i = 0; i < a.rgb.size(); ++i) worst = std::max(worst, std::abs(a.rgb[i] - b.rgb[i]));
    return worst;
}

TEST(ImagingWrite, LosslessFormatsKeepEveryPixel) {
    // Odd widths exercise the row padding of 1-bit rows and BMP's four-byte rows.
    for (const RgbImage& image : {blackAndWhite(37, 23), blackAndWhite(8, 1), blackAndWhite(116, 116)}) {
        for (ImageFormat format : {ImageFormat::Png, ImageFormat::Gif, ImageFormat::Bmp}) {
            const RgbImage back = roundTrip(image, format);
            ASSERT_EQ(back.width, image.width);
            ASSERT_EQ(back.height, image.height);
            EXPECT_EQ(back.rgb, image.rgb) << static_cast<int>(format);
        }
    }
    const RgbImage gradient = colours(50, 40);
    for (ImageFormat format : {ImageFormat::Png, ImageFormat::Bmp}) EXPECT_EQ(roundTrip(gradient, format).rgb, gradient.rgb);
}

TEST(ImagingWrite, JpegStaysCloseAndBlackAndWhiteStaysTwoToned) {
    const RgbImage symbolLike = blackAndWhite(120, 120);
    const RgbImage back = roundTrip(symbolLike, ImageFormat::Jpeg);
    ASSERT_EQ(back.width, 120);
    int wrongSide = 0;
    for (size_t i = 0; i < back.rgb.size(); ++i) wrongSide += (back.rgb[i] < 128) != (symbolLike.rgb[i] < 128);
    EXPECT_EQ(wrongSide, 0);
    EXPECT_LE(largestDifference(roundTrip(colours(64, 64), ImageFormat::Jpeg), colours(64, 64)), 40);
}

TEST(ImagingWrite, RefusesWhatTheFormatCannotHold) {
    std::vector<uint8_t> bytes;
    EXPECT_NE(platform::encodeImage(RgbImage(), ImageFormat::Png, bytes), "");
    RgbImage inconsistent(4, 4);
    inconsistent.rgb.resize(10);
    EXPECT_NE(platform::encodeImage(inconsistent, ImageFormat::Bmp, bytes), "");
    // More than 256 colours do not fit a GIF palette.
    EXPECT_NE(platform::encodeImage(colours(64, 64), ImageFormat::Gif, bytes), "");
    EXPECT_TRUE(bytes.empty());
}

TEST(ImagingWrite, FormatFromExtension) {
    ImageFormat format{};
    EXPECT_TRUE(platform::imageFormatFromExtension("PNG", format));
    EXPECT_EQ(format, ImageFormat::Png);
    EXPECT_TRUE(platform::imageFormatFromExtension("jpeg", format));
    EXPECT_EQ(format, ImageFormat::Jpeg);
    EXPECT_FALSE(platform::imageFormatFromExtension("tiff", format));
    EXPECT_FALSE(platform::imageFormatFromExtension("", format));
}

}  // namespace
