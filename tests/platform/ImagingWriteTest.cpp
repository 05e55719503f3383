// Pictures written in each format read back as the same pixels (JPEG within its loss); files are
// written whole or not at all.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
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

// Two-tone pictures take one bit per pixel in PNG, BMP and GIF and one grey channel in JPEG.
TEST(ImagingWrite, TwoTonePicturesAreWrittenAtOneBitAndJpegInGrey) {
    const uint8_t cells[4] = {1, 0, 0, 1};
    const platform::BilevelImage image = platform::BilevelImage::fromCells(cells, 2, 3, 1);
    ASSERT_EQ(image.width, 12);
    EXPECT_TRUE(image.black(3, 3) && !image.black(6, 3) && !image.black(2, 3) && image.black(8, 8));
    std::vector<uint8_t> bytes;
    ASSERT_EQ(platform::encodeImage(image, ImageFormat::Png, bytes), "");
    EXPECT_EQ(bytes[24], 1);  // IHDR bit depth
    EXPECT_EQ(bytes[25], 0);  // greyscale
    ASSERT_EQ(platform::encodeImage(image, ImageFormat::Bmp, bytes), "");
    EXPECT_EQ(bytes[28], 1);  // bits per pixel
    ASSERT_EQ(platform::encodeImage(image, ImageFormat::Gif, bytes), "");
    EXPECT_EQ(bytes[10] & 0x07, 0);  // a global palette of two colours
    ASSERT_EQ(platform::encodeImage(image, ImageFormat::Jpeg, bytes), "");
    const size_t frame = std::string(bytes.begin(), bytes.end()).find("\xFF\xC0");
    ASSERT_NE(frame, std::string::npos);
    EXPECT_EQ(bytes[frame + 9], 1);  // one component
    for (ImageFormat format : {ImageFormat::Png, ImageFormat::Bmp, ImageFormat::Gif}) {
        ASSERT_EQ(platform::encodeImage(image, format, bytes), "");
        RgbImage back;
        ASSERT_EQ(platform::decodeImageBytes(bytes.data(), bytes.size(), back), "");
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 12; ++x) EXPECT_EQ(back.pixel(x, y)[0], image.black(x, y) ? 0 : 255) << x << "," << y;
    }
}

class AtomicWrite : public ::testing::Test {
protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() / ("merovask-write-" + std::to_string(::getpid()));
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    static std::string contents(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    std::filesystem::path dir;
};

TEST_F(AtomicWrite, ReplacesTheLinksTargetKeepingItsPermissions) {
    const auto target = dir / "target.png";
    std::ofstream(target) << "old";
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
    std::filesystem::create_symlink("target.png", dir / "link.png");
    int error = -1;
    EXPECT_EQ(platform::writeFileAtomically((dir / "link.png").string(), {'n', 'e', 'w'}, &error), "");
    EXPECT_EQ(error, 0);
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.png"));
    EXPECT_EQ(contents(target), "new");
    EXPECT_EQ(std::filesystem::status(target).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write | std::filesystem::perms::group_read);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 2);  // no temporary left
}

TEST_F(AtomicWrite, AFailedWriteLeavesTheFileAsItWas) {
    const auto target = dir / "kept.bmp";
    std::ofstream(target) << "old";
    // A file-size limit makes the write fail part way, as a full disk does.
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 1000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    int error = 0;
    const std::string reason = platform::writeFileAtomically(target.string(), std::vector<uint8_t>(5000, 'x'), &error);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_NE(reason.find("cannot write"), std::string::npos) << reason;
    EXPECT_EQ(error, EFBIG);
    EXPECT_EQ(contents(target), "old");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 1);
    // A folder that is gone.
    EXPECT_NE(platform::writeFileAtomically((dir / "gone" / "a.png").string(), {1}, &error), "");
    EXPECT_EQ(error, ENOENT);
}

}  // namespace
