#include "decoder/PixelKernels.h"

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

}  // namespace kernels
