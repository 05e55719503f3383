// Writing pictures as PNG (libpng), JPEG (libjpeg-turbo), GIF (giflib) and BMP (by hand).
#include "platform/imaging.h"

#include <fcntl.h>
#include <gif_lib.h>
#include <jpeglib.h>
#include <limits.h>
#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
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

BilevelImage toBilevel(const RgbImage& image) {
    BilevelImage out(image.width, image.height);
    for (int y = 0; y < image.height; ++y) {
        uint8_t* row = out.row(y);
        for (int x = 0; x < image.width; ++x)
            if (image.pixel(x, y)[0] == 0) row[x >> 3] |= static_cast<uint8_t>(0x80 >> (x & 7));
    }
    return out;
}

// One byte per pixel of a two-tone row: `black` and `white` as given.
void expandRow(const BilevelImage& image, int y, uint8_t black, uint8_t white, std::vector<uint8_t>& out) {
    out.resize(static_cast<size_t>(image.width));
    const uint8_t* bits = image.row(y);
    for (int x = 0; x < image.width; ++x) out[static_cast<size_t>(x)] = (bits[x >> 3] >> (7 - (x & 7))) & 1 ? black : white;
}

// --- PNG ---

void pngWrite(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void pngFlush(png_structp) {}

// Rows come from `rowAt`: 1-bit grey (1 = black, written inverted as PNG has 0 = black) or
// 8-bit RGB.
template <typename RowAt>
std::string encodePng(int width, int height, bool bilevel, RowAt rowAt, std::vector<uint8_t>& out) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png) return "cannot start the PNG encoder";
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return "cannot start the PNG encoder";
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return "PNG encoding failed";
    }
    png_set_write_fn(png, &out, pngWrite, pngFlush);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), bilevel ? 1 : 8,
                 bilevel ? PNG_COLOR_TYPE_GRAY : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (bilevel) {
        // A symbol's pixel rows repeat scale times: the "up" filter turns each repeat into zeros.
        png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_UP);
        png_set_invert_mono(png);
    }
    png_write_info(png, info);
    for (int y = 0; y < height; ++y) png_write_row(png, const_cast<png_bytep>(rowAt(y)));
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

// Two-tone pictures go in greyscale at quality 100, so that module edges stay as sharp as JPEG
// allows; colour pictures at 92.
constexpr int kBilevelJpegQuality = 100;
constexpr int kColourJpegQuality = 92;

template <typename RowAt>
std::string encodeJpeg(int width, int height, bool grey, RowAt rowAt, std::vector<uint8_t>& out) {
    jpeg_compress_struct cinfo;
    JpegError error;
    cinfo.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = jpegErrorExit;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    if (setjmp(error.jump)) {
        jpeg_destroy_compress(&cinfo);
        std::free(buffer);
        return "JPEG encoding failed";
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = grey ? 1 : 3;
    cinfo.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, grey ? kBilevelJpegQuality : kColourJpegQuality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(rowAt(static_cast<int>(cinfo.next_scanline)));
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

// `colours` (a power of two, at least 2) and one palette index per pixel from `rowAt`.
template <typename RowAt>
std::string encodeGif(int width, int height, std::vector<GifColorType> colours, int bits, RowAt rowAt,
                      std::vector<uint8_t>& out) {
    int error = 0;
    GifFileType* gif = EGifOpen(&out, gifWrite, &error);
    if (!gif) return "cannot start the GIF encoder";
    ColorMapObject* map = GifMakeMapObject(1 << bits, colours.data());
    bool ok = map && EGifPutScreenDesc(gif, width, height, bits, 0, map) == GIF_OK &&
              EGifPutImageDesc(gif, 0, 0, width, height, false, nullptr) == GIF_OK;
    for (int y = 0; ok && y < height; ++y) ok = EGifPutLine(gif, const_cast<GifPixelType*>(rowAt(y)), width) == GIF_OK;
    if (map) GifFreeMapObject(map);
    if (EGifCloseFile(gif, &error) != GIF_OK) ok = false;
    return ok ? std::string() : std::string("GIF encoding failed");
}

std::string encodeColourGif(const RgbImage& image, std::vector<uint8_t>& out) {
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
    return encodeGif(image.width, image.height, std::move(colours), bits,
                     [&](int y) { return indices.data() + static_cast<size_t>(y) * image.width; }, out);
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

// Bottom-up rows, each padded to four bytes: 1 bit per pixel with a white/black palette for
// two-tone pictures, 24 bits (blue, green, red) otherwise. `putRow` appends one row's pixels.
template <typename PutRow>
std::string encodeBmp(int width, int height, bool bilevel, PutRow putRow, std::vector<uint8_t>& out) {
    const uint32_t bitsPerPixel = bilevel ? 1 : 24;
    const uint32_t stride = ((static_cast<uint32_t>(width) * bitsPerPixel + 31) / 32) * 4;
    const uint32_t paletteBytes = bilevel ? 8 : 0;
    const uint32_t offset = 14 + 40 + paletteBytes;
    const uint64_t fileSize = offset + static_cast<uint64_t>(stride) * height;
    if (fileSize > 0x7FFFFFFF) return "picture too large for BMP";
    out.clear();
    out.reserve(static_cast<size_t>(fileSize));
    out.push_back('B');
    out.push_back('M');
    putLe32(out, static_cast<uint32_t>(fileSize));
    putLe32(out, 0);
    putLe32(out, offset);
    putLe32(out, 40);
    putLe32(out, static_cast<uint32_t>(width));
    putLe32(out, static_cast<uint32_t>(height));
    putLe16(out, 1);
    putLe16(out, bitsPerPixel);
    putLe32(out, 0);  // no compression
    putLe32(out, stride * static_cast<uint32_t>(height));
    putLe32(out, 3780);  // 96 dots per inch
    putLe32(out, 3780);
    putLe32(out, bilevel ? 2 : 0);
    putLe32(out, 0);
    if (bilevel) {
        putLe32(out, 0x00FFFFFF);  // index 0 white
        putLe32(out, 0x00000000);  // index 1 black
    }
    for (int y = height - 1; y >= 0; --y) {
        const size_t rowStart = out.size();
        putRow(y, out);
        out.resize(rowStart + stride, 0);
    }
    return {};
}

std::string checkSize(int width, int height) {
    if (width <= 0 || height <= 0) return "empty picture";
    if (width > 65535 || height > 65535) return "picture too large";
    return {};
}

}  // namespace

BilevelImage BilevelImage::fromCells(const uint8_t* dark, int cellsAcross, int cellPixels, int border) {
    return fromCells(dark, cellsAcross, cellsAcross, cellPixels, border);
}

BilevelImage BilevelImage::fromCells(const uint8_t* dark, int cellsAcross, int cellsDown, int cellPixels, int border) {
    BilevelImage image((cellsAcross + 2 * border) * cellPixels, (cellsDown + 2 * border) * cellPixels);
    for (int cy = 0; cy < cellsDown; ++cy) {
        // One pixel row of this row of cells, copied down cellPixels - 1 times.
        const int top = (cy + border) * cellPixels;
        uint8_t* first = image.row(top);
        for (int cx = 0; cx < cellsAcross; ++cx) {
            if (!dark[static_cast<size_t>(cy) * cellsAcross + cx]) continue;
            const int left = (cx + border) * cellPixels;
            for (int x = left; x < left + cellPixels; ++x) first[x >> 3] |= static_cast<uint8_t>(0x80 >> (x & 7));
        }
        for (int k = 1; k < cellPixels; ++k) std::memcpy(image.row(top + k), first, image.stride);
    }
    return image;
}

std::string svgFromCells(const uint8_t* dark, int cellsAcross, int cellPixels, int border) {
    return svgFromCells(dark, cellsAcross, cellsAcross, cellPixels, border);
}

std::string svgFromCells(const uint8_t* dark, int cellsAcross, int cellsDown, int cellPixels, int border) {
    const std::string across = std::to_string(cellsAcross + 2 * border);
    const std::string down = std::to_string(cellsDown + 2 * border);
    const std::string width = std::to_string((cellsAcross + 2 * border) * cellPixels);
    const std::string height = std::to_string((cellsDown + 2 * border) * cellPixels);
    std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
                      width + "\" height=\"" + height + "\" viewBox=\"0 0 " + across + " " + down +
                      "\" shape-rendering=\"crispEdges\">\n<rect width=\"100%\" height=\"100%\" fill=\"#fff\"/>\n"
                      "<path fill=\"#000\" d=\"";
    for (int y = 0; y < cellsDown; ++y) {
        const uint8_t* row = dark + static_cast<size_t>(y) * cellsAcross;
        for (int x = 0; x < cellsAcross;) {
            if (!row[x]) {
                ++x;
                continue;
            }
            int end = x;
            while (end < cellsAcross && row[end]) ++end;
            svg += "M" + std::to_string(x + border) + " " + std::to_string(y + border) + "h" + std::to_string(end - x) +
                   "v1h-" + std::to_string(end - x) + "z";
            x = end;
        }
    }
    svg += "\"/>\n</svg>\n";
    return svg;
}

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

std::string encodeImage(const BilevelImage& image, ImageFormat format, std::vector<uint8_t>& out) {
    out.clear();
    if (std::string problem = checkSize(image.width, image.height); !problem.empty()) return problem;
    if (image.stride != static_cast<size_t>(image.width + 7) / 8 || image.bits.size() != image.stride * image.height) {
        return "inconsistent picture";
    }
    std::vector<uint8_t> row;
    switch (format) {
        case ImageFormat::Png:
            return encodePng(image.width, image.height, true, [&](int y) { return image.row(y); }, out);
        case ImageFormat::Jpeg:
            return encodeJpeg(image.width, image.height, true, [&](int y) {
                expandRow(image, y, 0x00, 0xFF, row);
                return row.data();
            }, out);
        case ImageFormat::Gif:
            return encodeGif(image.width, image.height, {GifColorType{0xFF, 0xFF, 0xFF}, GifColorType{0, 0, 0}}, 1,
                             [&](int y) {
                                 expandRow(image, y, 1, 0, row);
                                 return row.data();
                             }, out);
        case ImageFormat::Bmp:
            return encodeBmp(image.width, image.height, true, [&](int y, std::vector<uint8_t>& bytes) {
                bytes.insert(bytes.end(), image.row(y), image.row(y) + image.stride);
            }, out);
    }
    return "unknown image format";
}

std::string encodeImage(const RgbImage& image, ImageFormat format, std::vector<uint8_t>& out) {
    out.clear();
    if (std::string problem = checkSize(image.width, image.height); !problem.empty()) return problem;
    if (image.rgb.size() != static_cast<size_t>(image.width) * image.height * 3) return "inconsistent picture";
    if (isBlackAndWhite(image)) return encodeImage(toBilevel(image), format, out);
    const auto rowAt = [&](int y) { return image.pixel(0, y); };
    switch (format) {
        case ImageFormat::Png: return encodePng(image.width, image.height, false, rowAt, out);
        case ImageFormat::Jpeg: return encodeJpeg(image.width, image.height, false, rowAt, out);
        case ImageFormat::Gif: return encodeColourGif(image, out);
        case ImageFormat::Bmp:
            return encodeBmp(image.width, image.height, false, [&](int y, std::vector<uint8_t>& bytes) {
                for (int x = 0; x < image.width; ++x) {
                    const uint8_t* px = image.pixel(x, y);
                    bytes.push_back(px[2]);
                    bytes.push_back(px[1]);
                    bytes.push_back(px[0]);
                }
            }, out);
    }
    return "unknown image format";
}

namespace {

// `path` with the symbolic links of its last part followed (relative targets from the link's
// folder). A dangling link gives the path it points at; a loop stops after 40 steps and fails
// later, when the file is opened.
std::string followLinks(const std::string& path) {
    std::string current = path;
    for (int step = 0; step < 40; ++step) {
        struct stat st;
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
        std::vector<char> target(static_cast<size_t>(st.st_size > 0 ? st.st_size : PATH_MAX) + 1);
        const ssize_t n = ::readlink(current.c_str(), target.data(), target.size());
        if (n <= 0 || static_cast<size_t>(n) >= target.size()) return current;
        std::string next(target.data(), static_cast<size_t>(n));
        const size_t slash = current.find_last_of('/');
        if (next[0] != '/' && slash != std::string::npos) next = current.substr(0, slash + 1) + next;
        current = next;
    }
    return current;
}

std::string folderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// A new file beside `target`, made with the usual permissions (0666 less the umask). Returns
// its descriptor and name, or -1 with errno set.
int createTemporaryBeside(const std::string& target, std::string& name) {
    static std::atomic<unsigned> counter{0};
    const size_t slash = target.find_last_of('/');
    const std::string prefix = target.substr(0, slash == std::string::npos ? 0 : slash + 1) + "." +
                               target.substr(slash == std::string::npos ? 0 : slash + 1) + ".tmp-" +
                               std::to_string(::getpid()) + "-";
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = prefix + std::to_string(counter++);
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

bool writeAll(int fd, const std::vector<uint8_t>& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = EIO;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

std::string writeFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes, int* errorNumber) {
    const auto failed = [&](const std::string& what, int error) {
        if (errorNumber) *errorNumber = error;
        return what + " " + path + ": " + std::strerror(error);
    };
    if (errorNumber) *errorNumber = 0;
    const std::string target = followLinks(path);
    std::string temporary;
    const int fd = createTemporaryBeside(target, temporary);
    if (fd < 0) return failed("cannot create", errno);

    // A file that is replaced keeps its owner and permissions (the owner first: changing it may
    // clear the set-id bits).
    struct stat old;
    if (::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
        // Without the right to give it away the new file stays ours, with the old permissions.
        [[maybe_unused]] const int ownerKept = ::fchown(fd, old.st_uid, old.st_gid);
        [[maybe_unused]] const int modeKept = ::fchmod(fd, old.st_mode & 07777);
    }
    int error = 0;
    if (!writeAll(fd, bytes) || ::fsync(fd) != 0) error = errno;
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error == 0 && ::rename(temporary.c_str(), target.c_str()) != 0) error = errno;
    if (error != 0) {
        ::unlink(temporary.c_str());
        return failed("cannot write", error);
    }
    // The rename itself reaches the disk with the folder.
    const int folder = ::open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return {};
}

}  // namespace platform
