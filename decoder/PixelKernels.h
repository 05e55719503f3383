// The reader's per-pixel loops, compiled twice: for AVX2 where the processor has it, and for any
// x86-64. Everything else in the reader is plain portable code.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kernels {

// Luma of `count` RGB pixels with weights 30/59/11 percent.
void rgbToGrey(const uint8_t* rgb, uint8_t* grey, size_t count);
// out[i] = 1 where grey[i] <= level[i] (dark), else 0.
void thresholdEach(const uint8_t* grey, const uint8_t* level, uint8_t* out, size_t count);
// out[i] = 1 where grey[i] <= level, else 0.
void thresholdAll(const uint8_t* grey, uint8_t level, uint8_t* out, size_t count);

}  // namespace kernels
