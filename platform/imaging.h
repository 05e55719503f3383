// Image files and pictures in memory: the stand-in for the platform's imaging library.
// Reading and writing PNG, JPEG, GIF and BMP; no Qt here, so the codec and the command-line
// tool can use it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// A picture of width x height pixels, three bytes (red, green, blue) per pixel, rows from the
// top, no padding between rows.
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;

    RgbImage() = default;
    RgbImage(int w, int h, uint8_t fill = 0xFF) : width(w), height(h), rgb(static_cast<size_t>(w) * h * 3, fill) {}
    const uint8_t* pixel(int x, int y) const { return rgb.data() + (static_cast<size_t>(y) * width + x) * 3; }
    uint8_t* pixel(int x, int y) { return rgb.data() + (static_cast<size_t>(y) * width + x) * 3; }
};

// A two-tone picture: one bit per pixel, 1 = black, 0 = white; rows from the top, each `stride`
// bytes, the leftmost pixel in the most significant bit.
struct BilevelImage {
    int width = 0;
    int height = 0;
    size_t stride = 0;
    std::vector<uint8_t> bits;

    BilevelImage() = default;
    // All white.
    BilevelImage(int w, int h)
        : width(w), height(h), stride(static_cast<size_t>(w + 7) / 8), bits(stride * static_cast<size_t>(h), 0) {}
    bool black(int x, int y) const { return (row(y)[x >> 3] >> (7 - (x & 7))) & 1; }
    uint8_t* row(int y) { return bits.data() + static_cast<size_t>(y) * stride; }
    const uint8_t* row(int y) const { return bits.data() + static_cast<size_t>(y) * stride; }

    // A square grid of cellsAcross x cellsAcross cells, cell (x, y) black where
    // dark[y * cellsAcross + x] is nonzero, each cell exactly cellPixels x cellPixels pixels,
    // inside a white border `border` cells wide.
    static BilevelImage fromCells(const uint8_t* dark, int cellsAcross, int cellPixels, int border);
    // The same for a grid of cellsAcross x cellsDown cells (dark[y * cellsAcross + x]).
    static BilevelImage fromCells(const uint8_t* dark, int cellsAcross, int cellsDown, int cellPixels, int border);
};

// The same grid as SVG: a view box of (cellsAcross + 2 * border) cells drawn cellPixels pixels
// each, white, with one path of the dark cells (a rectangle per horizontal run).
std::string svgFromCells(const uint8_t* dark, int cellsAcross, int cellPixels, int border);
std::string svgFromCells(const uint8_t* dark, int cellsAcross, int cellsDown, int cellPixels, int border);

enum class ImageFormat { Png, Jpeg, Gif, Bmp };

// The format named by a file extension (without the dot, any case): png, jpg/jpeg, gif, bmp.
// Returns false for any other extension.
bool imageFormatFromExtension(std::string_view extension, ImageFormat& format);

// Encodes `image` in `format` into `out`. Pictures whose pixels are all black or white are
// written as two-tone pictures (below).
// Returns an empty string on success, else a one-line reason.
std::string encodeImage(const RgbImage& image, ImageFormat format, std::vector<uint8_t>& out);
// Two-tone pictures: PNG, GIF and BMP at one bit per pixel, JPEG in greyscale at quality 100.
std::string encodeImage(const BilevelImage& image, ImageFormat format, std::vector<uint8_t>& out);

// Writes `bytes` to `path` whole, or leaves it as it was: the bytes go into a new file in the
// same folder, are flushed to the disk, and that file is renamed over the target. A symbolic
// link is followed, so its target gets the bytes and the link stays; a file that is replaced
// keeps its permissions (and its owner, where that may be set).
// Returns an empty string on success, else a one-line reason; `errorNumber`, when given, gets
// the errno of the failure (0 on success).
std::string writeFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes, int* errorNumber = nullptr);

// --- Reading (platform/imaging_read.cpp) ---

// A picture with straight (not premultiplied) alpha: four bytes (red, green, blue, alpha) per
// pixel, rows from the top, no padding between rows.
struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;
};

// Pictures larger than this are refused before any pixel memory is taken.
inline constexpr int kMaxImageSide = 30000;
inline constexpr int64_t kMaxImagePixels = 100000000;

// Reads a PNG, JPEG, GIF or BMP file (the format is recognised from its first bytes, not its
// name) into `out`. Palette pictures read as their palette colours; transparent and partly
// transparent pixels are composited over white. A truncated or corrupt file is an error; `out`
// is left empty on any error.
// Returns an empty string on success, else a one-line reason that does not repeat the path.
std::string decodeImageFile(const std::string& path, RgbImage& out);

// As decodeImageFile, for a whole file held in memory.
std::string decodeImageBytes(const uint8_t* data, size_t size, RgbImage& out);

// Reads PNG bytes keeping their transparency (for drawing images with their own alpha).
// Returns an empty string on success, else a one-line reason.
std::string decodePngBytes(const uint8_t* data, size_t size, RgbaImage& out);

}  // namespace platform
