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

// Per column of `count` pixels, over the rows a, b, ... (eight of them): the least, the greatest
// and the sum of the grey levels.
void columnStatistics(const uint8_t* const* rows, int rowCount, size_t count, uint8_t* lo, uint8_t* hi, uint16_t* sum);
// Per column, the sum of three rows.
void columnSums3(const uint8_t* up, const uint8_t* mid, const uint8_t* down, uint16_t* sum, size_t count);
// out[x] = the rounded mean of the nine pixels around x, from sums of three rows per column
// (the row's ends repeat their border columns).
void boxRow(const uint16_t* columnSums, uint8_t* out, size_t count);

}  // namespace kernels
