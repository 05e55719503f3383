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

enum class ImageFormat { Png, Jpeg, Gif, Bmp };

// The format named by a file extension (without the dot, any case): png, jpg/jpeg, gif, bmp.
// Returns false for any other extension.
bool imageFormatFromExtension(std::string_view extension, ImageFormat& format);

// Encodes `image` in `format` into `out`. Pictures whose pixels are all black or white are
// written as compactly as the format allows (1-bit PNG, BMP and GIF, greyscale JPEG).
// Returns an empty string on success, else a one-line reason.
std::string encodeImage(const RgbImage& image, ImageFormat format, std::vector<uint8_t>& out);

// Writes `bytes` to `path` whole, or nothing at all (a temporary file renamed into place).
// Returns an empty string on success, else a one-line reason.
std::string writeFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes);

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
