// Reed-Solomon decoding of arbitrary blocks. Input: one byte of parity count, then the block.
// A refused block must be unchanged; a corrected one must be a code word (all syndromes zero)
// that differs from the input in at most the reported number of bytes.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "decoder/Galois.h"
#include "decoder/RsDecode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 || size > 400) return 0;
    const int parity = data[0] % 80;
    std::vector<uint8_t> block(data + 1, data + size);
    const int length = static_cast<int>(block.size());
    const std::vector<uint8_t> original = block;
    const int result = RsDecode(parity).correct(block.data(), length);

    if ((parity < 1 || length < parity || length > 255) != (result == RsDecode::kBadLength)) __builtin_trap();
    if (result < 0) {
        if (block != original) __builtin_trap();
        return 0;
    }
    if (result > parity / 2) __builtin_trap();
    int changed = 0;
    for (int i = 0; i < length; ++i) changed += block[i] != original[i];
    if (changed > result) __builtin_trap();
    int32_t syndromes[256];
    if (!Galois().computeSyndromes(block.data(), length, syndromes, parity)) __builtin_trap();
    return 0;
}
