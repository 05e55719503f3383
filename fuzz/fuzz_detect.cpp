// Detection and decoding of arbitrary small pictures. Input: width and height bytes (1..128
// pixels), a byte choosing how pixels are given (bit 0: one bit per pixel, else one grey byte),
// then the pixels row by row (missing ones are light).
#include <cstddef>
#include <cstdint>

#include "decoder/SymbolReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    const int width = 1 + data[0] % 128, height = 1 + data[1] % 128;
    const bool bits = (data[2] & 1) != 0;
    platform::RgbImage picture(width, height, 0xFF);
    const uint8_t* pixels = data + 3;
    const size_t available = size - 3;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const size_t i = static_cast<size_t>(y) * width + x;
            uint8_t grey = 0xFF;
            if (bits && i / 8 < available) grey = (pixels[i / 8] >> (7 - i % 8)) & 1 ? 0x00 : 0xFF;
            else if (!bits && i < available) grey = pixels[i];
            uint8_t* p = picture.pixel(x, y);
            p[0] = p[1] = p[2] = grey;
        }
    const PictureReading r = readPicture(picture);
    if (r.symbols.empty() == (r.failure == ReadFailure::None)) __builtin_trap();
    for (const DecodedSymbol& s : r.symbols)
        if (s.version < 1 || s.version > (s.format == SymbolFormat::QR ? 40 : s.format == SymbolFormat::MicroQR ? 4 : 32) ||
            s.ecLevel < 0 || s.ecLevel > 3)
            __builtin_trap();
    return 0;
}
