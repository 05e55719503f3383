// Symbol reading of arbitrary module matrices, and segment decoding of arbitrary data
// codewords. Input: one byte choosing the version (side 21..177), then the modules as bits, column
// after column (missing bits are light); the same bytes after the first are also decoded as the
// version's data codewords.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "decoder/ContentDecoder.h"
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
    return 0;
}
