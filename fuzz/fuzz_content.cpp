// Symbol reading of arbitrary module matrices. Input: one byte choosing the version (side
// 21..177), then the modules as bits, row after row of columns (missing bits are light).
#include <cstddef>
#include <cstdint>
#include <memory>

#include "decoder/ContentDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const int version = 1 + data[0] % 40;
    const int side = 4 * version + 17;
    auto matrix = std::make_unique<uint8_t[][177]>(177);
    size_t bit = 0;
    for (int x = 0; x < side; ++x)
        for (int y = 0; y < side; ++y, ++bit) {
            const size_t byte = 1 + bit / 8;
            matrix[x][y] = byte < size ? (data[byte] >> (7 - bit % 8)) & 1 : 0;
        }
    auto decoder = std::make_unique<ContentDecoder>();
    if (decoder->run(side, version, matrix.get()) != 1) __builtin_trap();
    if (decoder->ecLevel < 0 || decoder->ecLevel > 3 || decoder->maskPattern < 0 || decoder->maskPattern > 7)
        __builtin_trap();
    return 0;
}
