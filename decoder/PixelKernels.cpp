#include "decoder/PixelKernels.h"

#include <algorithm>

#if defined(__x86_64__) && defined(__has_attribute)
#if __has_attribute(target_clones)
#define MEROVASK_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#endif
#endif
#ifndef MEROVASK_VECTOR_CLONES
#define MEROVASK_VECTOR_CLONES
#endif

namespace kernels {

MEROVASK_VECTOR_CLONES
void rgbToGrey(const uint8_t* __restrict rgb, uint8_t* __restrict grey, size_t count) {
    for (size_t i = 0; i < count; ++i)
        grey[i] = static_cast<uint8_t>((77u * rgb[3 * i] + 151u * rgb[3 * i + 1] + 28u * rgb[3 * i + 2]) >> 8);
}

MEROVASK_VECTOR_CLONES
void thresholdEach(const uint8_t* __restrict grey, const uint8_t* __restrict level, uint8_t* __restrict out, size_t count) {
    for (size_t i = 0; i < count; ++i) out[i] = grey[i] <= level[i];
}

MEROVASK_VECTOR_CLONES
void thresholdAll(const uint8_t* __restrict grey, uint8_t level, uint8_t* __restrict out, size_t count) {
    for (size_t i = 0; i < count; ++i) out[i] = grey[i] <= level;
}

namespace {

MEROVASK_VECTOR_CLONES
void accumulateRow(const uint8_t* __restrict row, uint8_t* __restrict lo, uint8_t* __restrict hi,
                   uint16_t* __restrict sum, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        lo[i] = row[i] < lo[i] ? row[i] : lo[i];
        hi[i] = row[i] > hi[i] ? row[i] : hi[i];
        sum[i] = static_cast<uint16_t>(sum[i] + row[i]);
    }
}

}  // namespace

void columnStatistics(const uint8_t* const* rows, int rowCount, size_t count, uint8_t* lo, uint8_t* hi, uint16_t* sum) {
    std::fill(lo, lo + count, uint8_t{255});
    std::fill(hi, hi + count, uint8_t{0});
    std::fill(sum, sum + count, uint16_t{0});
    for (int r = 0; r < rowCount; ++r) accumulateRow(rows[r], lo, hi, sum, count);
}

MEROVASK_VECTOR_CLONES
void columnSums3(const uint8_t* __restrict up, const uint8_t* __restrict mid, const uint8_t* __restrict down,
                 uint16_t* __restrict sum, size_t count) {
    for (size_t i = 0; i < count; ++i) sum[i] = static_cast<uint16_t>(up[i] + mid[i] + down[i]);
}

MEROVASK_VECTOR_CLONES
void boxRow(const uint16_t* __restrict columnSums, uint8_t* __restrict out, size_t count) {
    if (count == 0) return;
    if (count == 1) {
        out[0] = static_cast<uint8_t>((3 * columnSums[0] + 4) / 9);
        return;
    }
    out[0] = static_cast<uint8_t>((2 * columnSums[0] + columnSums[1] + 4) / 9);
    for (size_t i = 1; i + 1 < count; ++i)
        out[i] = static_cast<uint8_t>((columnSums[i - 1] + columnSums[i] + columnSums[i + 1] + 4) / 9);
    out[count - 1] = static_cast<uint8_t>((columnSums[count - 2] + 2 * columnSums[count - 1] + 4) / 9);
}

}  // namespace kernels
