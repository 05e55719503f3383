// Writing pictures as PNG (libpng), JPEG (libjpeg-turbo), GIF (giflib) and BMP (by hand).
#include "platform/imaging.h"

#include <gif_lib.h>
#include <jpeglib.h>
#include <png.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <map>

namespace platform {

namespace {

bool isBlackAndWhite(const RgbImage& image) {
    for (size_t i = 0; i < image.rgb.size(); i += 3) {
        const uint8_t r = image.rgb[i], g = image.rgb[i + 1], b = image.rgb[i + 2];
        if (!((r == 0 && g == 0 && b == 0) || (r == 0xFF && g == 0xFF && b == 0xFF))) return false;
    }
    return true;
}

bool isWhite(const RgbImage& image, int x, int y) { return image.pixel(x, y)[0] != 0; }

// Rows of 1-bit pixels, most significant bit first, `set` deciding which pixels get a 1.
template <typename Set>
std::vector<uint8_t> packRow(const RgbImage& image, int y, Set set) {
    std::vector<uint8_t> row(static_cast<size_t>(image.width + 7) / 8, 0);
    for (int x = 0; x < image.width; ++x)
        if (set(x, y)) row[x >> 3] |= static_cast<uint8_t>(0x80 >> (x & 7));
    return row;
}

// --- PNG ---

void pngWrite(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void pngFlush(png_structp) {}

std::string encodePng(const RgbImage& image, std::vector<uint8_t>& out) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png) return "cannot start the PNG encoder";
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return "cannot start the PNG encoder";
    }
    const bool mono = isBlackAndWhite(image);
    std::vector<uint8_t> row;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return "PNG encoding failed";
    }
    png_set_write_fn(png, &out, pngWrite, pngFlush);
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width), static_cast<png_uint_32>(image.height),
                 mono ? 1 : 8, mono ? PNG_COLOR_TYPE_GRAY : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (mono) png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_write_info(png, info);
    for (int y = 0; y < image.height; ++y) {
        if (mono) {
            row = packRow(image, y, [&](int x, int yy) { return isWhite(image, x, yy); });
            png_write_row(png, row.data());
        } else {
            png_write_row(png, const_cast<png_bytep>(image.pixel(0, y)));
        }
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return {};
}

// --- JPEG ---

struct JpegError {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

void jpegErrorExit(j_common_ptr cinfo) { std::longjmp(reinterpret_cast<JpegError*>(cinfo->err)->jump, 1); }

std::string encodeJpeg(const RgbImage& image, std::vector<uint8_t>& out) {
    jpeg_compress_struct cinfo;
    JpegError error;
    cinfo.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = jpegErrorExit;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    std::vector<uint8_t> grey;
    if (setjmp(error.jump)) {
        jpeg_destroy_compress(&cinfo);
        std::free(buffer);
        return "JPEG encoding failed";
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, &buffer, &size);
    const bool mono = isBlackAndWhite(image);
    cinfo.image_width = static_cast<JDIMENSION>(image.width);
    cinfo.image_height = static_cast<JDIMENSION>(image.height);
    cinfo.input_components = mono ? 1 : 3;
    cinfo.in_color_space = mono ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 92, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    if (mono) grey.resize(static_cast<size_t>(image.width));
    while (cinfo.next_scanline < cinfo.image_height) {
        const int y = static_cast<int>(cinfo.next_scanline);
        JSAMPROW row;
        if (mono) {
            for (int x = 0; x < image.width; ++x) grey[x] = image.pixel(x, y)[0];
            row = grey.data();
        } else {
            row = const_cast<JSAMPROW>(image.pixel(0, y));
        }
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    out.assign(buffer, buffer + size);
    std::free(buffer);
    return {};
}

// --- GIF ---

int gifWrite(GifFileType* gif, const GifByteType* data, int length) {
    auto* out = static_cast<std::vector<uint8_t>*>(gif->UserData);
    out->insert(out->end(), data, data + length);
    return length;
}

std::string encodeGif(const RgbImage& image, std::vector<uint8_t>& out) {
    // Palette of the picture's own colours; GIF holds at most 256.
    std::map<uint32_t, int> indexOf;
    std::vector<GifColorType> colours;
    std::vector<GifByteType> indices(static_cast<size_t>(image.width) * image.height);
    for (size_t p = 0; p < indices.size(); ++p) {
        const uint8_t* px = image.rgb.data() + p * 3;
        const uint32_t key = static_cast<uint32_t>(px[0]) << 16 | px[1] << 8 | px[2];
        auto [it, added] = indexOf.try_emplace(key, static_cast<int>(colours.size()));
        if (added) {
            if (colours.size() == 256) return "GIF holds at most 256 colours";
            colours.push_back(GifColorType{px[0], px[1], px[2]});
        }
        indices[p] = static_cast<GifByteType>(it->second);
    }
    int bits = 1;
    while ((1 << bits) < static_cast<int>(colours.size())) ++bits;
    colours.resize(static_cast<size_t>(1) << bits, GifColorType{0, 0, 0});

    int error = 0;
    GifFileType* gif = EGifOpen(&out, gifWrite, &error);
    if (!gif) return "cannot start the GIF encoder";
    ColorMapObject* map = GifMakeMapObject(1 << bits, colours.data());
    bool ok = map && EGifPutScreenDesc(gif, image.width, image.height, bits, 0, map) == GIF_OK &&
              EGifPutImageDesc(gif, 0, 0, image.width, image.height, false, nullptr) == GIF_OK;
    for (int y = 0; ok && y < image.height; ++y)
        ok = EGifPutLine(gif, indices.data() + static_cast<size_t>(y) * image.width, image.width) == GIF_OK;
    if (map) GifFreeMapObject(map);
    if (EGifCloseFile(gif, &error) != GIF_OK) ok = false;
    return ok ? std::string() : std::string("GIF encoding failed");
}

// --- BMP ---

void putLe16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void putLe32(std::vector<uint8_t>& out, uint32_t v) {
    putLe16(out, v & 0xFFFF);
    putLe16(out, v >> 16);
}

// Bottom-up rows, each padded to four bytes: 1 bit per pixel with a black/white palette for
// two-colour pictures, 24 bits (blue, green, red) otherwise.
std::string encodeBmp(const RgbImage& image, std::vector<uint8_t>& out) {
    const bool mono = isBlackAndWhite(image);
    const uint32_t bitsPerPixel = mono ? 1 : 24;
    const uint32_t stride = ((static_cast<uint32_t>(image.width) * bitsPerPixel + 31) / 32) * 4;
    const uint32_t paletteBytes = mono ? 8 : 0;
    const uint32_t offset = 14 + 40 + paletteBytes;
    const uint64_t fileSize = offset + static_cast<uint64_t>(stride) * image.height;
    if (fileSize > 0x7FFFFFFF) return "picture too large for BMP";
    out.clear();
    out.reserve(static_cast<size_t>(fileSize));
    out.push_back('B');
    out.push_back('M');
    putLe32(out, static_cast<uint32_t>(fileSize));
    putLe32(out, 0);
    putLe32(out, offset);
    putLe32(out, 40);
    putLe32(out, static_cast<uint32_t>(image.width));
    putLe32(out, static_cast<uint32_t>(image.height));
    putLe16(out, 1);
    putLe16(out, bitsPerPixel);
    putLe32(out, 0);  // no compression
    putLe32(out, stride * static_cast<uint32_t>(image.height));
    putLe32(out, 3780);  // 96 dots per inch
    putLe32(out, 3780);
    putLe32(out, mono ? 2 : 0);
    putLe32(out, 0);
    if (mono) {
        putLe32(out, 0x00000000);  // index 0 black
        putLe32(out, 0x00FFFFFF);  // index 1 white
    }
    for (int y = image.height - 1; y >= 0; --y) {
        const size_t rowStart = out.size();
        if (mono) {
            const std::vector<uint8_t> row = packRow(image, y, [&](int x, int yy) { return isWhite(image, x, yy); });
            out.insert(out.end(), row.begin(), row.end());
        } else {
            for (int x = 0; x < image.width; ++x) {
                const uint8_t* px = image.pixel(x, y);
                out.push_back(px[2]);
                out.push_back(px[1]);
                out.push_back(px[0]);
            }
        }
        out.resize(rowStart + stride, 0);
    }
    return {};
}

}  // namespace

bool imageFormatFromExtension(std::string_view extension, ImageFormat& format) {
    std::string lower(extension);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    if (lower == "png") format = ImageFormat::Png;
    else if (lower == "jpg" || lower == "jpeg") format = ImageFormat::Jpeg;
    else if (lower == "gif") format = ImageFormat::Gif;
    else if (lower == "bmp") format = ImageFormat::Bmp;
    else return false;
    return true;
}

std::string encodeImage(const RgbImage& image, ImageFormat format, std::vector<uint8_t>& out) {
    out.clear();
    if (image.width <= 0 || image.height <= 0 ||
        image.rgb.size() != static_cast<size_t>(image.width) * image.height * 3) {
        return "empty or inconsistent picture";
    }
    if (image.width > 65535 || image.height > 65535) return "picture too large";
    switch (format) {
        case ImageFormat::Png: return encodePng(image, out);
        case ImageFormat::Jpeg: return encodeJpeg(image, out);
        case ImageFormat::Gif: return encodeGif(image, out);
        case ImageFormat::Bmp: return encodeBmp(image, out);
    }
    return "unknown image format";
}

std::string writeFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes) {
    const std::string temporary = path + ".tmp" + std::to_string(::getpid());
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (!file) return "cannot create " + path + ": " + std::strerror(errno);
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        std::remove(temporary.c_str());
        return "cannot write " + path;
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        const std::string reason = std::strerror(errno);
        std::remove(temporary.c_str());
        return "cannot write " + path + ": " + reason;
    }
    return {};
}

}  // namespace platform
