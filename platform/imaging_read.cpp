// Reading pictures: PNG (libpng), JPEG (libjpeg-turbo), GIF (giflib) and BMP (by hand).
//
// Every reader checks the picture's size against kMaxImageSide / kMaxImagePixels before it
// takes pixel memory, and hands finished rows to a RowSink, which either keeps the alpha
// channel or composites the pixels over white. A reader that fails leaves the output empty.
#include <cstdio>  // before jpeglib.h, which uses FILE

#include <gif_lib.h>
#include <jerror.h>
#include <jpeglib.h>
#include <png.h>

#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <cstring>
#include <new>

#include "platform/imaging.h"

namespace platform {

namespace {

// --- Where decoded rows go ---

class RowSink {
public:
    virtual ~RowSink() = default;
    // Takes the picture's memory. Called once, after the size has been checked.
    virtual void start(int width, int height) = 0;
    // One row of `width` pixels, four bytes each, straight alpha.
    virtual void rgbaRow(int y, const uint8_t* rgba) = 0;
    // One row of `width` opaque pixels, three bytes each.
    virtual void rgbRow(int y, const uint8_t* rgb) = 0;
    // Forgets a half-read picture.
    virtual void clear() = 0;
};

// Composites over white: a pixel of alpha a shows a / 255 of its colour and the rest white.
inline uint8_t overWhite(uint8_t colour, uint8_t alpha) {
    return static_cast<uint8_t>((colour * alpha + 255 * (255 - alpha) + 127) / 255);
}

class RgbSink final : public RowSink {
public:
    explicit RgbSink(RgbImage& out) : out_(out) {}
    void start(int width, int height) override {
        out_.width = width;
        out_.height = height;
        out_.rgb.assign(static_cast<size_t>(width) * height * 3, 0xFF);
    }
    void rgbaRow(int y, const uint8_t* rgba) override {
        uint8_t* dst = out_.pixel(0, y);
        for (int x = 0; x < out_.width; ++x, rgba += 4, dst += 3) {
            const uint8_t a = rgba[3];
            if (a == 0xFF) {
                dst[0] = rgba[0], dst[1] = rgba[1], dst[2] = rgba[2];
            } else {
                dst[0] = overWhite(rgba[0], a), dst[1] = overWhite(rgba[1], a), dst[2] = overWhite(rgba[2], a);
            }
        }
    }
    void rgbRow(int y, const uint8_t* rgb) override {
        std::memcpy(out_.pixel(0, y), rgb, static_cast<size_t>(out_.width) * 3);
    }
    void clear() override { out_ = RgbImage(); }

private:
    RgbImage& out_;
};

class RgbaSink final : public RowSink {
public:
    explicit RgbaSink(RgbaImage& out) : out_(out) {}
    void start(int width, int height) override {
        out_.width = width;
        out_.height = height;
        out_.rgba.assign(static_cast<size_t>(width) * height * 4, 0);
    }
    void rgbaRow(int y, const uint8_t* rgba) override {
        std::memcpy(row(y), rgba, static_cast<size_t>(out_.width) * 4);
    }
    void rgbRow(int y, const uint8_t* rgb) override {
        uint8_t* dst = row(y);
        for (int x = 0; x < out_.width; ++x, rgb += 3, dst += 4)
            dst[0] = rgb[0], dst[1] = rgb[1], dst[2] = rgb[2], dst[3] = 0xFF;
    }
    void clear() override { out_ = RgbaImage(); }

private:
    uint8_t* row(int y) { return out_.rgba.data() + static_cast<size_t>(y) * out_.width * 4; }
    RgbaImage& out_;
};

// Writes the reason a picture of that size may not be read into `message` and returns true, or
// returns false when it may be read. No allocation, so it is safe between setjmp and longjmp.
bool sizeRefused(int64_t width, int64_t height, char* message, size_t capacity) {
    if (width <= 0 || height <= 0) {
        std::snprintf(message, capacity, "the picture has no pixels (%lld x %lld)", static_cast<long long>(width),
                      static_cast<long long>(height));
        return true;
    }
    if (width > kMaxImageSide || height > kMaxImageSide || width * height > kMaxImagePixels) {
        std::snprintf(message, capacity,
                      "the picture is too large (%lld x %lld pixels; at most %d on a side and %lld in all)",
                      static_cast<long long>(width), static_cast<long long>(height), kMaxImageSide,
                      static_cast<long long>(kMaxImagePixels));
        return true;
    }
    return false;
}

std::string checkSize(int64_t width, int64_t height) {
    char message[160];
    return sizeRefused(width, height, message, sizeof message) ? std::string(message) : std::string();
}

// Runs `take`, which takes memory, and tells whether it could. Between setjmp and longjmp no
// exception may pass through the C libraries' frames, so running out is turned into a value.
template <typename Take>
bool allocated(Take&& take) {
    try {
        take();
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

// --- PNG ---

struct PngInput {
    const uint8_t* data;
    size_t size;
    size_t position;
    jmp_buf jump;
    char message[160];
};

[[noreturn]] void pngError(png_structp png, png_const_charp message) {
    auto* input = static_cast<PngInput*>(png_get_error_ptr(png));
    std::snprintf(input->message, sizeof input->message, "corrupt PNG file (%s)", message);
    std::longjmp(input->jump, 1);
}

void pngWarning(png_structp, png_const_charp) {}

void pngRead(png_structp png, png_bytep out, png_size_t length) {
    auto* input = static_cast<PngInput*>(png_get_io_ptr(png));
    if (length > input->size - input->position) png_error(png, "the file ends too early");
    std::memcpy(out, input->data + input->position, length);
    input->position += length;
}

// Reads the PNG into `sink`. Everything with a destructor lives outside the setjmp frame, so a
// longjmp from libpng skips no destructor.
std::string readPngInto(const uint8_t* data, size_t size, RowSink& sink, std::vector<uint8_t>& rows) {
    PngInput input{data, size, 0, {}, {}};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &input, pngError, pngWarning);
    if (!png) return "out of memory";
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return "out of memory";
    }
    if (setjmp(input.jump)) {
        png_destroy_read_struct(&png, &info, nullptr);
        sink.clear();
        return input.message;
    }
    png_set_read_fn(png, &input, pngRead);
    // Our own limit, checked below, is the one that counts.
    png_set_user_limits(png, PNG_UINT_31_MAX, PNG_UINT_31_MAX);
    png_read_info(png, info);

    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    if (sizeRefused(width, height, input.message, sizeof input.message)) std::longjmp(input.jump, 1);
    // Deflate packs at most 1032 bytes into one, so a file smaller than its pixels' bytes / 1032
    // is cut short: say so before taking memory for all of them.
    const uint64_t pixelBytes = static_cast<uint64_t>(width) * height * png_get_channels(png, info) *
                                png_get_bit_depth(png, info) / 8;
    if (pixelBytes / 1032 > size) {
        std::snprintf(input.message, sizeof input.message, "truncated PNG file (too little data for %u x %u pixels)",
                      static_cast<unsigned>(width), static_cast<unsigned>(height));
        std::longjmp(input.jump, 1);
    }

    // Every colour type and depth becomes 8-bit RGBA: palettes through their colours, tRNS as
    // alpha, greys widened to RGB, 16 bits scaled down to 8.
    const int colourType = png_get_color_type(png, info);
    const int depth = png_get_bit_depth(png, info);
    if (colourType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (colourType == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
    if (depth == 16) png_set_scale_16(png);
    if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != static_cast<size_t>(width) * 4) png_error(png, "unexpected row layout");

    const size_t stride = static_cast<size_t>(width) * 4;
    if (!allocated([&] {
            sink.start(static_cast<int>(width), static_cast<int>(height));
            rows.assign(passes == 1 ? stride : stride * height, 0);
        })) {
        std::snprintf(input.message, sizeof input.message, "out of memory");
        std::longjmp(input.jump, 1);
    }
    if (passes == 1) {
        for (png_uint_32 y = 0; y < height; ++y) {
            png_read_row(png, rows.data(), nullptr);
            sink.rgbaRow(static_cast<int>(y), rows.data());
        }
    } else {
        // Interlaced: the passes refine the whole picture, so it is held whole until the last.
        for (int pass = 0; pass < passes; ++pass)
            for (png_uint_32 y = 0; y < height; ++y) png_read_row(png, rows.data() + stride * y, nullptr);
        for (png_uint_32 y = 0; y < height; ++y) sink.rgbaRow(static_cast<int>(y), rows.data() + stride * y);
    }
    // The chunks after the pixels must be there too, or the file was cut short.
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return std::string();
}

std::string readPng(const uint8_t* data, size_t size, RowSink& sink) {
    std::vector<uint8_t> rows;
    return readPngInto(data, size, sink, rows);
}

// --- JPEG ---

struct JpegError {
    jpeg_error_mgr manager;
    jmp_buf jump;
    char message[JMSG_LENGTH_MAX + 32];
};

[[noreturn]] void jpegErrorExit(j_common_ptr cinfo) {
    auto* error = reinterpret_cast<JpegError*>(cinfo->err);
    char text[JMSG_LENGTH_MAX];
    error->manager.format_message(cinfo, text);
    std::snprintf(error->message, sizeof error->message, "corrupt JPEG file (%s)", text);
    std::longjmp(error->jump, 1);
}

// Warnings that mean pixels are missing or made up (libjpeg fills them with grey and goes on)
// end the read; the others (a stray byte before a marker, an unknown JFIF revision) do not.
void jpegMessage(j_common_ptr cinfo, int level) {
    if (level >= 0) return;
    switch (cinfo->err->msg_code) {
        case JWRN_JPEG_EOF:
        case JWRN_HIT_MARKER:
        case JWRN_HUFF_BAD_CODE:
        case JWRN_MUST_RESYNC:
        case JWRN_BOGUS_PROGRESSION:
            jpegErrorExit(cinfo);
        default:
            break;
    }
}

// A progressive file may hold any number of scans, each a pass over the whole picture; real
// files hold about ten, so many more is an attack on our time.
constexpr int kMaxJpegScans = 500;

void jpegProgress(j_common_ptr cinfo) {
    auto* decompress = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (decompress->input_scan_number > kMaxJpegScans) {
        auto* error = reinterpret_cast<JpegError*>(cinfo->err);
        std::snprintf(error->message, sizeof error->message, "corrupt JPEG file (more than %d scans)", kMaxJpegScans);
        std::longjmp(error->jump, 1);
    }
}

std::string readJpegInto(const uint8_t* data, size_t size, RowSink& sink, std::vector<uint8_t>& row) {
    jpeg_decompress_struct cinfo;
    JpegError error;
    jpeg_progress_mgr progress;
    cinfo.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = jpegErrorExit;
    error.manager.emit_message = jpegMessage;
    error.message[0] = '\0';
    if (setjmp(error.jump)) {
        jpeg_destroy_decompress(&cinfo);
        sink.clear();
        return error.message;
    }
    jpeg_create_decompress(&cinfo);
    progress.progress_monitor = jpegProgress;
    cinfo.progress = &progress;
    jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(&cinfo, TRUE);

    if (sizeRefused(cinfo.image_width, cinfo.image_height, error.message, sizeof error.message))
        std::longjmp(error.jump, 1);
    // CMYK and YCCK files (from print tools) come out as CMYK and are turned to RGB below.
    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    // Adobe's writers store CMYK inverted (0 = full ink).
    const bool inverted = cinfo.saw_Adobe_marker;
    jpeg_start_decompress(&cinfo);

    const int width = static_cast<int>(cinfo.output_width);
    if (!allocated([&] {
            sink.start(width, static_cast<int>(cinfo.output_height));
            row.resize(static_cast<size_t>(width) * cinfo.output_components);
        })) {
        std::snprintf(error.message, sizeof error.message, "out of memory");
        std::longjmp(error.jump, 1);
    }
    while (cinfo.output_scanline < cinfo.output_height) {
        const int y = static_cast<int>(cinfo.output_scanline);
        JSAMPROW rowPointer = row.data();
        if (jpeg_read_scanlines(&cinfo, &rowPointer, 1) != 1) {
            std::snprintf(error.message, sizeof error.message, "truncated JPEG file");
            std::longjmp(error.jump, 1);
        }
        if (cmyk) {
            for (int x = 0; x < width; ++x) {
                const uint8_t* p = row.data() + x * 4;
                const int c = inverted ? p[0] : 255 - p[0], m = inverted ? p[1] : 255 - p[1];
                const int yl = inverted ? p[2] : 255 - p[2], k = inverted ? p[3] : 255 - p[3];
                // In place: pixel x's three bytes never overtake pixel x's four.
                row[x * 3] = static_cast<uint8_t>((c * k + 127) / 255);
                row[x * 3 + 1] = static_cast<uint8_t>((m * k + 127) / 255);
                row[x * 3 + 2] = static_cast<uint8_t>((yl * k + 127) / 255);
            }
        }
        sink.rgbRow(y, row.data());
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return std::string();
}

std::string readJpeg(const uint8_t* data, size_t size, RowSink& sink) {
    std::vector<uint8_t> row;
    return readJpegInto(data, size, sink, row);
}

// --- GIF ---

struct GifInput {
    const uint8_t* data;
    size_t size;
    size_t position;
};

int gifRead(GifFileType* gif, GifByteType* out, int length) {
    auto* input = static_cast<GifInput*>(gif->UserData);
    const size_t count = std::min(static_cast<size_t>(length), input->size - input->position);
    std::memcpy(out, input->data + input->position, count);
    input->position += count;
    return static_cast<int>(count);
}

std::string gifReason(int code) {
    switch (code) {
        case D_GIF_ERR_READ_FAILED:
        case D_GIF_ERR_EOF_TOO_SOON: return "truncated GIF file";
        case D_GIF_ERR_NOT_ENOUGH_MEM: return "out of memory";
        default: {
            const char* text = GifErrorString(code);
            return std::string("corrupt GIF file (") + (text ? text : "unknown error") + ")";
        }
    }
}

// Reads the first frame of an opened GIF onto a canvas the size of the logical screen; the
// canvas outside the frame and the frame's transparent index are transparent.
std::string readGifFrame(GifFileType* gif, RowSink& sink) {
    int transparentIndex = NO_TRANSPARENT_COLOR;
    for (;;) {
        GifRecordType record;
        if (DGifGetRecordType(gif, &record) != GIF_OK) return gifReason(gif->Error);
        if (record == TERMINATE_RECORD_TYPE) return "the GIF file holds no picture";
        if (record == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* block = nullptr;
            if (DGifGetExtension(gif, &code, &block) != GIF_OK) return gifReason(gif->Error);
            if (code == GRAPHICS_EXT_FUNC_CODE && block && block[0] >= 4) {
                GraphicsControlBlock control;
                if (DGifExtensionToGCB(block[0], block + 1, &control) == GIF_OK)
                    transparentIndex = control.TransparentColor;
            }
            while (block) {
                if (DGifGetExtensionNext(gif, &block) != GIF_OK) return gifReason(gif->Error);
            }
            continue;
        }
        if (record != IMAGE_DESC_RECORD_TYPE) continue;

        if (DGifGetImageDesc(gif) != GIF_OK) return gifReason(gif->Error);
        const GifImageDesc& frame = gif->Image;
        const int64_t left = frame.Left, top = frame.Top, frameWidth = frame.Width, frameHeight = frame.Height;
        // Some writers leave the logical screen 0 x 0 or smaller than the frame.
        const int64_t width = std::max<int64_t>(gif->SWidth, left + frameWidth);
        const int64_t height = std::max<int64_t>(gif->SHeight, top + frameHeight);
        std::string reason = checkSize(width, height);
        if (reason.empty()) reason = checkSize(frameWidth, frameHeight);
        if (!reason.empty()) return reason;
        const ColorMapObject* map = frame.ColorMap ? frame.ColorMap : gif->SColorMap;
        if (!map || map->ColorCount <= 0) return "corrupt GIF file (no colour table)";

        std::vector<uint8_t> indexes(static_cast<size_t>(frameWidth * frameHeight));
        auto readLine = [&](int64_t y) {
            return DGifGetLine(gif, indexes.data() + y * frameWidth, static_cast<int>(frameWidth)) == GIF_OK;
        };
        if (frame.Interlace) {
            static constexpr int kStart[] = {0, 4, 2, 1}, kStep[] = {8, 8, 4, 2};
            for (int pass = 0; pass < 4; ++pass)
                for (int64_t y = kStart[pass]; y < frameHeight; y += kStep[pass])
                    if (!readLine(y)) return gifReason(gif->Error);
        } else {
            for (int64_t y = 0; y < frameHeight; ++y)
                if (!readLine(y)) return gifReason(gif->Error);
        }

        sink.start(static_cast<int>(width), static_cast<int>(height));
        std::vector<uint8_t> row(static_cast<size_t>(width) * 4);
        for (int64_t y = 0; y < height; ++y) {
            std::fill(row.begin(), row.end(), 0);
            if (y >= top && y < top + frameHeight) {
                const uint8_t* line = indexes.data() + (y - top) * frameWidth;
                for (int64_t x = 0; x < frameWidth; ++x) {
                    const int index = line[x];
                    uint8_t* p = row.data() + (left + x) * 4;
                    if (index == transparentIndex) continue;
                    if (index < map->ColorCount) {
                        const GifColorType& colour = map->Colors[index];
                        p[0] = colour.Red, p[1] = colour.Green, p[2] = colour.Blue;
                    }
                    p[3] = 0xFF;  // an index past the table reads as black
                }
            }
            sink.rgbaRow(static_cast<int>(y), row.data());
        }
        return std::string();
    }
}

std::string readGif(const uint8_t* data, size_t size, RowSink& sink) {
    GifInput input{data, size, 0};
    int error = 0;
    GifFileType* gif = DGifOpen(&input, gifRead, &error);
    if (!gif) return gifReason(error);
    std::string reason;
    if (!allocated([&] { reason = readGifFrame(gif, sink); })) reason = "out of memory";
    DGifCloseFile(gif, &error);
    if (!reason.empty()) sink.clear();
    return reason;
}

// --- BMP ---

uint32_t le16(const uint8_t* p) { return p[0] | (p[1] << 8); }
uint32_t le32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24); }

// One colour channel held in a bit field of a 16- or 32-bit pixel, scaled to 0-255.
struct BitField {
    uint32_t mask = 0;
    int shift = 0;
    int bits = 0;

    explicit BitField(uint32_t m = 0) : mask(m) {
        if (!mask) return;
        while (!((mask >> shift) & 1)) ++shift;
        while (shift + bits < 32 && ((mask >> (shift + bits)) & 1)) ++bits;
    }
    uint8_t read(uint32_t pixel, uint8_t absent) const {
        if (!bits) return absent;
        const uint32_t value = (pixel & mask) >> shift;
        const uint32_t top = (bits >= 32) ? 0xFFFFFFFFu : ((1u << bits) - 1);
        return static_cast<uint8_t>((static_cast<uint64_t>(std::min(value, top)) * 255 + top / 2) / top);
    }
};

// The layouts this reader knows, by the size of the information header.
constexpr uint32_t kCoreHeader = 12, kInfoHeader = 40, kOs2Header = 64;
constexpr uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6;

// Expands run-length-coded pixels (RLE8 or RLE4) into one palette index per pixel, rows from
// the bottom as stored. Pixels the codes skip keep index 0.
std::string expandRle(const uint8_t* p, const uint8_t* end, bool four, int64_t width, int64_t height,
                      std::vector<uint8_t>& indexes) {
    indexes.assign(static_cast<size_t>(width * height), 0);
    int64_t x = 0, y = 0;
    auto put = [&](uint8_t index) {
        if (x < width && y < height) indexes[static_cast<size_t>(y * width + x)] = index;
        ++x;
    };
    while (y < height) {
        if (end - p < 2) return "truncated BMP file (run-length data ends too early)";
        const uint8_t count = p[0], value = p[1];
        p += 2;
        if (count) {
            for (int i = 0; i < count; ++i) put(four ? ((i & 1) ? value & 0x0F : value >> 4) : value);
        } else if (value == 0) {
            x = 0, ++y;
        } else if (value == 1) {
            return std::string();
        } else if (value == 2) {
            if (end - p < 2) return "truncated BMP file (run-length data ends too early)";
            x += p[0], y += p[1];
            p += 2;
        } else {
            const size_t bytes = four ? (value + 1) / 2 : value;
            const size_t padded = (bytes + 1) & ~size_t(1);
            if (static_cast<size_t>(end - p) < padded) return "truncated BMP file (run-length data ends too early)";
            for (int i = 0; i < value; ++i) put(four ? ((i & 1) ? p[i / 2] & 0x0F : p[i / 2] >> 4) : p[i]);
            p += padded;
        }
    }
    return std::string();
}

std::string readBmp(const uint8_t* data, size_t size, RowSink& sink) {
    if (size < 14 + 4) return "truncated BMP file (no header)";
    const uint32_t pixelOffset = le32(data + 10);
    const uint32_t headerSize = le32(data + 14);
    if (headerSize != kCoreHeader && headerSize < kInfoHeader) return "corrupt BMP file (unknown header size)";
    if (headerSize > size - 14) return "truncated BMP file (header ends too early)";
    const uint8_t* h = data + 14;

    int64_t width, height;
    uint32_t planes, bitCount, compression = kRgb, coloursUsed = 0;
    if (headerSize == kCoreHeader) {
        width = le16(h + 4), height = le16(h + 6), planes = le16(h + 8), bitCount = le16(h + 10);
    } else {
        width = static_cast<int32_t>(le32(h + 4)), height = static_cast<int32_t>(le32(h + 8));
        planes = le16(h + 12), bitCount = le16(h + 14), compression = le32(h + 16), coloursUsed = le32(h + 32);
    }
    const bool topDown = height < 0;
    if (topDown) height = -height;
    std::string reason = checkSize(width, height);
    if (!reason.empty()) return reason;
    if (planes != 1) return "corrupt BMP file (plane count " + std::to_string(planes) + ")";
    if (headerSize == kOs2Header && compression == kBitFields) return "unsupported BMP file (Huffman coding)";
    const bool rle = compression == kRle8 || compression == kRle4;
    if (compression == kRle8 && bitCount != 8) return "corrupt BMP file (RLE8 needs 8 bits per pixel)";
    if (compression == kRle4 && bitCount != 4) return "corrupt BMP file (RLE4 needs 4 bits per pixel)";
    if (rle && topDown) return "corrupt BMP file (run-length pictures are stored from the bottom)";
    const bool bitFields = compression == kBitFields || compression == kAlphaBitFields;
    if (!rle && !bitFields && compression != kRgb)
        return "unsupported BMP file (compression " + std::to_string(compression) + ")";
    switch (bitCount) {
        case 1: case 4: case 8: case 24: if (bitFields) return "corrupt BMP file (bit fields need 16 or 32 bits)"; break;
        case 16: case 32: break;
        default: return "unsupported BMP file (" + std::to_string(bitCount) + " bits per pixel)";
    }

    // Colour masks: inside V2+ headers, or just after a 40-byte header.
    uint32_t masks[4] = {0, 0, 0, 0};
    size_t afterHeader = 14 + headerSize;
    bool alphaMask = false;
    if (bitFields) {
        const int maskCount = compression == kAlphaBitFields ? 4 : 3;
        const uint8_t* m = h + 40;
        if (headerSize == kInfoHeader) {
            if (size - afterHeader < static_cast<size_t>(maskCount) * 4) return "truncated BMP file (colour masks)";
            m = data + afterHeader;
            afterHeader += maskCount * 4;
        } else if (headerSize < 40u + maskCount * 4) {
            return "corrupt BMP file (header too short for its colour masks)";
        }
        for (int i = 0; i < maskCount; ++i) masks[i] = le32(m + 4 * i);
        if (headerSize >= 56 && compression == kBitFields) masks[3] = le32(h + 52);
        alphaMask = masks[3] != 0;
    } else if (bitCount == 16) {
        masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
    } else if (bitCount == 32) {
        masks[0] = 0xFF0000, masks[1] = 0xFF00, masks[2] = 0xFF;
    }

    // Palette: between the headers and the pixels.
    uint8_t palette[256][3] = {};
    uint32_t paletteSize = 0;
    if (bitCount <= 8) {
        const uint32_t entry = headerSize == kCoreHeader ? 3 : 4;
        const uint32_t full = 1u << bitCount;
        paletteSize = coloursUsed ? std::min(coloursUsed, full) : full;
        if (afterHeader > pixelOffset || (pixelOffset - afterHeader) / entry < paletteSize) {
            // A writer that leaves out unused entries: take what lies before the pixels.
            if (pixelOffset < afterHeader) return "corrupt BMP file (pixel offset inside the header)";
            paletteSize = std::min<uint32_t>(paletteSize, (pixelOffset - afterHeader) / entry);
        }
        if (paletteSize == 0) return "corrupt BMP file (no palette)";
        if (afterHeader + static_cast<size_t>(paletteSize) * entry > size) return "truncated BMP file (palette)";
        for (uint32_t i = 0; i < paletteSize; ++i) {
            const uint8_t* e = data + afterHeader + i * entry;
            palette[i][0] = e[2], palette[i][1] = e[1], palette[i][2] = e[0];
        }
    }
    if (pixelOffset < afterHeader || pixelOffset > size) return "corrupt BMP file (pixel offset outside the file)";

    const uint8_t* pixels = data + pixelOffset;
    const size_t available = size - pixelOffset;
    const size_t stride = static_cast<size_t>((width * bitCount + 31) / 32) * 4;
    std::vector<uint8_t> indexes;
    if (rle) {
        reason = expandRle(pixels, data + size, compression == kRle4, width, height, indexes);
        if (!reason.empty()) return reason;
    } else if (available / stride < static_cast<size_t>(height)) {
        return "truncated BMP file (" + std::to_string(available) + " bytes of pixels for " +
               std::to_string(width) + " x " + std::to_string(height) + ")";
    }

    const BitField red(masks[0]), green(masks[1]), blue(masks[2]), alpha(masks[3]);
    // Many writers fill an alpha channel they do not use with zeros: a picture whose alpha is
    // zero everywhere is taken as opaque.
    bool useAlpha = false;
    if (alphaMask && !rle) {
        for (int64_t y = 0; y < height && !useAlpha; ++y) {
            const uint8_t* line = pixels + stride * y;
            for (int64_t x = 0; x < width; ++x) {
                const uint32_t value = bitCount == 16 ? le16(line + x * 2) : le32(line + x * 4);
                if (value & masks[3]) { useAlpha = true; break; }
            }
        }
    }

    sink.start(static_cast<int>(width), static_cast<int>(height));
    std::vector<uint8_t> row(static_cast<size_t>(width) * 4);
    for (int64_t stored = 0; stored < height; ++stored) {
        const int64_t y = topDown ? stored : height - 1 - stored;
        const uint8_t* line = rle ? nullptr : pixels + stride * stored;
        for (int64_t x = 0; x < width; ++x) {
            uint8_t* p = row.data() + x * 4;
            p[3] = 0xFF;
            if (bitCount <= 8) {
                uint32_t index;
                if (rle) index = indexes[static_cast<size_t>(stored * width + x)];
                else if (bitCount == 8) index = line[x];
                else if (bitCount == 4) index = (line[x / 2] >> ((x & 1) ? 0 : 4)) & 0x0F;
                else index = (line[x / 8] >> (7 - (x & 7))) & 1;
                if (index < paletteSize) p[0] = palette[index][0], p[1] = palette[index][1], p[2] = palette[index][2];
                else p[0] = p[1] = p[2] = 0;  // an index past the palette reads as black
            } else if (bitCount == 24) {
                p[0] = line[x * 3 + 2], p[1] = line[x * 3 + 1], p[2] = line[x * 3];
            } else {
                const uint32_t value = bitCount == 16 ? le16(line + x * 2) : le32(line + x * 4);
                p[0] = red.read(value, 0), p[1] = green.read(value, 0), p[2] = blue.read(value, 0);
                if (useAlpha) p[3] = alpha.read(value, 0xFF);
            }
        }
        sink.rgbaRow(static_cast<int>(y), row.data());
    }
    return std::string();
}

// --- Dispatch ---

std::string decodeFormat(const uint8_t* data, size_t size, RowSink& sink) {
    if (size == 0) return "the file is empty";
    static constexpr uint8_t kPngSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (size >= 8 && std::memcmp(data, kPngSignature, 8) == 0) return readPng(data, size, sink);
    if (size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF) return readJpeg(data, size, sink);
    if (size >= 6 && (std::memcmp(data, "GIF87a", 6) == 0 || std::memcmp(data, "GIF89a", 6) == 0))
        return readGif(data, size, sink);
    if (size >= 2 && data[0] == 'B' && data[1] == 'M') return readBmp(data, size, sink);
    return "not a PNG, JPEG, GIF or BMP file";
}

std::string decodeInto(const uint8_t* data, size_t size, RowSink& sink) {
    std::string reason;
    if (!allocated([&] { reason = decodeFormat(data, size, sink); })) reason = "out of memory";
    if (!reason.empty()) sink.clear();
    return reason;
}

// Whole files only; anything larger than the largest picture we read is refused unread.
constexpr long long kMaxFileBytes = 1LL << 30;

// The reason names no path: callers put the file's name in front of it.
std::string readFile(const std::string& path, std::vector<uint8_t>& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return std::strerror(errno);
    std::string reason;
    uint8_t buffer[65536];
    size_t count;
    while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        if (bytes.size() + count > static_cast<size_t>(kMaxFileBytes)) {
            reason = "the file is larger than 1 GiB";
            break;
        }
        if (!allocated([&] { bytes.insert(bytes.end(), buffer, buffer + count); })) {
            reason = "out of memory";
            break;
        }
    }
    if (reason.empty() && std::ferror(file)) reason = std::strerror(errno);
    std::fclose(file);
    return reason;
}

}  // namespace

std::string decodeImageBytes(const uint8_t* data, size_t size, RgbImage& out) {
    out = RgbImage();
    RgbSink sink(out);
    return decodeInto(data, size, sink);
}

std::string decodeImageFile(const std::string& path, RgbImage& out) {
    out = RgbImage();
    std::vector<uint8_t> bytes;
    const std::string reason = readFile(path, bytes);
    if (!reason.empty()) return reason;
    return decodeImageBytes(bytes.data(), bytes.size(), out);
}

std::string decodePngBytes(const uint8_t* data, size_t size, RgbaImage& out) {
    out = RgbaImage();
    static constexpr uint8_t kPngSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (size < 8 || std::memcmp(data, kPngSignature, 8) != 0) return "not a PNG file";
    RgbaSink sink(out);
    std::string reason;
    if (!allocated([&] { reason = readPng(data, size, sink); })) reason = "out of memory";
    if (!reason.empty()) sink.clear();
    return reason;
}

}  // namespace platform
