// Reading pictures: every variant in tests/data/imaging reads as its expected pixels, and broken,
// truncated or oversized files give a clear error and an empty picture.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/imaging.h"

namespace {

using platform::RgbImage;

const std::string kDir = std::string(MEROVASK_TEST_DATA) + "/imaging/";

std::vector<uint8_t> readBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), {});
}

// A binary PPM (P6, maxval 255) as written by the fixture script.
RgbImage readPpm(const std::string& path) {
    const std::vector<uint8_t> bytes = readBytes(path);
    std::string text(bytes.begin(), bytes.end());
    std::istringstream in(text);
    std::string magic;
    int w = 0, h = 0, maxval = 0;
    in >> magic >> w >> h >> maxval;
    in.get();
    RgbImage image(w, h);
    in.read(reinterpret_cast<char*>(image.rgb.data()), static_cast<std::streamsize>(image.rgb.size()));
    EXPECT_TRUE(magic == "P6" && maxval == 255 && in) << path;
    return image;
}

struct Fixture {
    std::string file;
    int tolerance;
};

std::vector<Fixture> fixtures() {
    std::ifstream manifest(kDir + "manifest.txt");
    std::vector<Fixture> list;
    std::string line;
    while (std::getline(manifest, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        Fixture f;
        fields >> f.file >> f.tolerance;
        list.push_back(f);
    }
    return list;
}

bool isEmpty(const RgbImage& image) { return image.width == 0 && image.height == 0 && image.rgb.empty(); }

std::string decode(const std::vector<uint8_t>& bytes, RgbImage& out) {
    return platform::decodeImageBytes(bytes.data(), bytes.size(), out);
}

TEST(ImagingRead, EveryFixtureReadsAsItsExpectedPixels) {
    const std::vector<Fixture> list = fixtures();
    ASSERT_GE(list.size(), 30u);
    for (const Fixture& f : list) {
        SCOPED_TRACE(f.file);
        RgbImage image;
        ASSERT_EQ(platform::decodeImageFile(kDir + f.file, image), "");
        const RgbImage expected = readPpm(kDir + f.file + ".ppm");
        ASSERT_EQ(image.width, expected.width);
        ASSERT_EQ(image.height, expected.height);
        ASSERT_EQ(image.rgb.size(), expected.rgb.size());
        int worst = 0;
        size_t worstAt = 0;
        for (size_t i = 0; i < image.rgb.size(); ++i) {
            const int d = std::abs(image.rgb[i] - expected.rgb[i]);
            if (d > worst) worst = d, worstAt = i;
        }
        EXPECT_LE(worst, f.tolerance) << "at pixel " << worstAt / 3 % image.width << "," << worstAt / 3 / image.width;
    }
}

TEST(ImagingRead, PngBytesKeepTheirAlphaAndStoredColours) {
    const std::vector<uint8_t> bytes = readBytes(kDir + "png_palette4_trns.png");
    platform::RgbaImage image;
    ASSERT_EQ(platform::decodePngBytes(bytes.data(), bytes.size(), image), "");
    ASSERT_EQ(image.width, 7);
    ASSERT_EQ(image.height, 5);
    // Pixel (0,0) is entry 0: black, fully transparent; (1,0) entry 1: red at alpha 128.
    EXPECT_EQ(std::vector<uint8_t>(image.rgba.begin(), image.rgba.begin() + 8),
              (std::vector<uint8_t>{0, 0, 0, 0, 255, 0, 0, 128}));

    // The same file read as RGB shows white where it is transparent, not the stored black.
    RgbImage rgb;
    ASSERT_EQ(decode(bytes, rgb), "");
    EXPECT_EQ(std::vector<uint8_t>(rgb.rgb.begin(), rgb.rgb.begin() + 6), (std::vector<uint8_t>{255, 255, 255, 255, 127, 127}));

    const std::vector<uint8_t> bmp = readBytes(kDir + "bmp_24bit.bmp");
    EXPECT_EQ(platform::decodePngBytes(bmp.data(), bmp.size(), image), "not a PNG file");
    EXPECT_TRUE(image.rgba.empty());
}

TEST(ImagingRead, TinyPicturesFromOurWriterReadBack) {
    for (int side : {1, 3}) {
        RgbImage image(side, side, 0xFF);
        image.pixel(side - 1, 0)[0] = 0, image.pixel(side - 1, 0)[1] = 0, image.pixel(side - 1, 0)[2] = 0;
        for (auto format : {platform::ImageFormat::Png, platform::ImageFormat::Gif, platform::ImageFormat::Bmp,
                            platform::ImageFormat::Jpeg}) {
            SCOPED_TRACE(testing::Message() << side << " format " << static_cast<int>(format));
            std::vector<uint8_t> bytes;
            ASSERT_EQ(platform::encodeImage(image, format, bytes), "");
            RgbImage back;
            ASSERT_EQ(decode(bytes, back), "");
            ASSERT_EQ(back.width, side);
            ASSERT_EQ(back.height, side);
            if (format != platform::ImageFormat::Jpeg) {
                EXPECT_EQ(back.rgb, image.rgb);
            }
        }
    }
}

TEST(ImagingRead, EveryTruncationIsAnError) {
    for (const Fixture& f : fixtures()) {
        SCOPED_TRACE(f.file);
        const std::vector<uint8_t> whole = readBytes(kDir + f.file);
        // A GIF reader stops after the first frame, so only cuts inside it must fail; the GIF
        // fixtures hold their first frame's data up to the last byte but the trailer.
        size_t cuts = whole.size();
        if (f.file.starts_with("gif_")) cuts = f.file == "gif_two_frames.gif" ? 0 : whole.size() - 1;
        for (size_t size = 0; size < cuts; ++size) {
            RgbImage image(2, 2);
            const std::string reason = platform::decodeImageBytes(whole.data(), size, image);
            EXPECT_NE(reason, "") << "cut at " << size << " of " << whole.size();
            EXPECT_TRUE(isEmpty(image)) << "cut at " << size;
        }
    }
}

TEST(ImagingRead, ClearErrorsForFilesThatAreNotPictures) {
    RgbImage image;
    EXPECT_EQ(decode({}, image), "the file is empty");
    EXPECT_EQ(decode({'h', 'e', 'l', 'l', 'o'}, image), "not a PNG, JPEG, GIF or BMP file");
    EXPECT_EQ(platform::decodeImageFile(kDir + "no-such-file.png", image), "No such file or directory");
    EXPECT_EQ(platform::decodeImageFile(kDir, image), "Is a directory");
    EXPECT_TRUE(isEmpty(image));
}

// --- Headers that lie ---

uint32_t crc32(const uint8_t* p, size_t n) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < n; ++i) {
        crc ^= p[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

void putBe32(uint8_t* p, uint32_t v) { p[0] = v >> 24, p[1] = v >> 16, p[2] = v >> 8, p[3] = v; }
void putLe32(uint8_t* p, uint32_t v) { p[0] = v, p[1] = v >> 8, p[2] = v >> 16, p[3] = v >> 24; }
void putLe16(uint8_t* p, uint32_t v) { p[0] = v, p[1] = v >> 8; }

std::vector<uint8_t> pngWithSize(uint32_t w, uint32_t h) {
    std::vector<uint8_t> png = readBytes(kDir + "png_grey_interlaced.png");
    putBe32(&png[16], w);
    putBe32(&png[20], h);
    putBe32(&png[29], crc32(&png[12], 17));  // IHDR's type and data
    return png;
}

void expectTooLarge(const std::vector<uint8_t>& bytes, const char* what) {
    RgbImage image;
    const std::string reason = decode(bytes, image);
    EXPECT_NE(reason.find("too large"), std::string::npos) << what << ": " << reason;
    EXPECT_TRUE(isEmpty(image)) << what;
}

TEST(ImagingRead, OversizedHeadersAreRefusedBeforeAllocating) {
    expectTooLarge(pngWithSize(65535, 65535), "PNG 65535 x 65535");
    expectTooLarge(pngWithSize(30001, 1), "PNG side over 30000");
    expectTooLarge(pngWithSize(20000, 5001), "PNG over 100 million pixels");
    // Within the limits, but far more pixels than the compressed data can hold.
    RgbImage image;
    const std::vector<uint8_t> claimsMore = pngWithSize(30000, 3000);
    EXPECT_EQ(decode(claimsMore, image).rfind("truncated PNG file", 0), 0u);
    // Compressed as tightly as deflate can, a blank picture still passes that check.
    const RgbImage blank(3000, 3000, 0xFF);
    std::vector<uint8_t> tight;
    ASSERT_EQ(platform::encodeImage(blank, platform::ImageFormat::Png, tight), "");
    ASSERT_EQ(decode(tight, image), "");
    EXPECT_EQ(image.rgb, blank.rgb);

    std::vector<uint8_t> jpeg = readBytes(kDir + "jpeg_baseline.jpg");
    for (size_t i = 2; i + 9 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {  // start of frame: height then width
            jpeg[i + 5] = 30001 >> 8, jpeg[i + 6] = 30001 & 0xFF;
            break;
        }
    expectTooLarge(jpeg, "JPEG 48 x 30001");

    std::vector<uint8_t> gif = readBytes(kDir + "gif_transparent.gif");
    putLe16(&gif[6], 65535);
    putLe16(&gif[8], 65535);
    expectTooLarge(gif, "GIF screen 65535 x 65535");

    std::vector<uint8_t> bmp = readBytes(kDir + "bmp_24bit.bmp");
    putLe32(&bmp[18], 65535);
    putLe32(&bmp[22], 65535);
    expectTooLarge(bmp, "BMP 65535 x 65535");
    putLe32(&bmp[18], 10000);
    putLe32(&bmp[22], static_cast<uint32_t>(-10001));  // top-down
    expectTooLarge(bmp, "BMP 10000 x -10001");
    putLe32(&bmp[22], 0x80000000u);  // the most negative height
    expectTooLarge(bmp, "BMP height INT_MIN");
}

TEST(ImagingRead, BmpFieldsAreCheckedAgainstTheFileSize) {
    const std::vector<uint8_t> good = readBytes(kDir + "bmp_8bit.bmp");
    auto expectError = [&](std::vector<uint8_t> bmp, const char* what) {
        RgbImage image;
        EXPECT_NE(decode(bmp, image), "") << what;
        EXPECT_TRUE(isEmpty(image)) << what;
    };
    std::vector<uint8_t> bmp = good;
    putLe32(&bmp[10], static_cast<uint32_t>(good.size()) + 1);
    expectError(bmp, "pixel offset past the end");
    bmp = good;
    putLe32(&bmp[10], 0xFFFFFFF0u);
    expectError(bmp, "pixel offset near 4 GiB");
    bmp = good;
    putLe32(&bmp[10], 20);
    expectError(bmp, "pixel offset inside the header");
    bmp = good;
    putLe32(&bmp[14], 0xFFFFFFFFu);
    expectError(bmp, "header size past the end");
    bmp = good;
    putLe32(&bmp[14], 20);
    expectError(bmp, "unknown header size");
    bmp = good;
    putLe32(&bmp[22], 6);  // one row more than the file holds
    expectError(bmp, "height larger than the pixels");
    bmp = good;
    putLe16(&bmp[28], 7);
    expectError(bmp, "7 bits per pixel");
    bmp = good;
    putLe32(&bmp[30], 3);  // bit fields on a palette picture
    expectError(bmp, "bit fields with 8 bits");
    bmp = good;
    putLe32(&bmp[30], 5);  // PNG inside a BMP
    expectError(bmp, "unsupported compression");

    // A colour count larger than the palette's room is cut to what lies before the pixels.
    bmp = good;
    putLe32(&bmp[46], 200);
    RgbImage a, b;
    ASSERT_EQ(decode(bmp, a), "");
    ASSERT_EQ(decode(good, b), "");
    EXPECT_EQ(a.rgb, b.rgb);
}

TEST(ImagingRead, PngChecksumsAreChecked) {
    std::vector<uint8_t> png = readBytes(kDir + "png_rgb16.png");
    png[png.size() - 20] ^= 0x01;  // inside IDAT, whose checksum no longer matches
    RgbImage image;
    EXPECT_NE(decode(png, image), "");
    EXPECT_TRUE(isEmpty(image));
}

// Flipped and overwritten bytes in every fixture: any result but a crash is fine (the sanitizer
// build turns out-of-bounds access into a failure), and a failure leaves the picture empty.
TEST(ImagingRead, DamagedFilesNeverCrash) {
    uint32_t seed = 12345;
    auto next = [&seed] { return seed = seed * 1103515245u + 12345u, seed >> 8; };
    for (const Fixture& f : fixtures()) {
        const std::vector<uint8_t> whole = readBytes(kDir + f.file);
        for (int round = 0; round < 60; ++round) {
            std::vector<uint8_t> bytes = whole;
            const int changes = 1 + static_cast<int>(next() % 4);
            for (int c = 0; c < changes; ++c) {
                const size_t at = next() % bytes.size();
                bytes[at] = (next() & 1) ? static_cast<uint8_t>(next()) : static_cast<uint8_t>(bytes[at] ^ (1u << (next() % 8)));
            }
            RgbImage image;
            const std::string reason = decode(bytes, image);
            if (!reason.empty()) EXPECT_TRUE(isEmpty(image)) << f.file << ": " << reason;
            else EXPECT_EQ(image.rgb.size(), static_cast<size_t>(image.width) * image.height * 3) << f.file;
        }
    }
}

}  // namespace
