// Symbol reading of arbitrary module matrices, and segment decoding of arbitrary data
// codewords. Input: one byte choosing the version (side 21..177), then the modules as bits, column
// after column (missing bits are light); the same bytes after the first are also decoded as the
// version's data codewords, and read as a Micro QR and an rMQR matrix of the size the first byte
// picks.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "decoder/ContentDecoder.h"
#include "decoder/MicroGrids.h"
#include "decoder/MicroTables.h"
#include "decoder/SegmentDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const int version = 1 + data[0] % 40;
    const int side = 4 * version + 17;
    BitMatrix modules(side, side);
    size_t bit = 0;
    for (int x = 0; x < side; ++x)
        for (int y = 0; y < side; ++y, ++bit) {
            const size_t byte = 1 + bit / 8;
            modules.set(x, y, byte < size && ((data[byte] >> (7 - bit % 8)) & 1) != 0);
        }
    const ContentReading r = ContentDecoder::read(modules);
    if (r.failure == ReadFailure::None &&
        (r.symbol.version != version || r.symbol.ecLevel < 0 || r.symbol.ecLevel > 3 || r.symbol.mask < 0 ||
         r.symbol.mask > 7))
        __builtin_trap();
    if (r.failure == ReadFailure::NotFound) __builtin_trap();  // the side is always a version's

    const std::vector<uint8_t> codewords(data + 1, data + size);
    DecodedContent content;
    if (decodeSegments(codewords, version, content) == ReadFailure::None) {
        // No segment can give more bytes than the stream has bits for (a digit takes 10/3 bits).
        if (content.bytes.size() > 8 * codewords.size() / 3 + 3) __builtin_trap();
    }

    const auto matrix = [&](int width, int height) {
        BitMatrix m(width, height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const size_t at = static_cast<size_t>(y) * width + x, byte = 1 + at / 8;
                m.set(x, y, byte < size && ((data[byte] >> (7 - at % 8)) & 1) != 0);
            }
        return m;
    };
    const int microVersion = 1 + data[0] % 4;
    const ContentReading micro = MicroGrids::readMicroQr(matrix(microSide(microVersion), microSide(microVersion)));
    if (micro.failure == ReadFailure::None && (micro.symbol.version != microVersion || micro.symbol.mask > 3)) __builtin_trap();
    const RmqrSize rmqr = kRmqrSizes[data[0] % 32];
    const ContentReading rect = MicroGrids::readRmqr(matrix(rmqr.width, rmqr.height));
    if (rect.failure == ReadFailure::None && rect.symbol.version != 1 + data[0] % 32) __builtin_trap();
    return 0;
}
