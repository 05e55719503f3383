// Where a run of equal cells ends in a row of one-byte cells, eight cells at a time: the inner
// loop of every run scan over a bit image.
#pragma once

#include <cstdint>
#include <cstring>

// The first index from `x` on (up to `end`) whose cell differs from row[x].
inline int runEnd(const uint8_t* row, int x, int end) {
    const uint8_t value = row[x];
    const uint64_t same = 0x0101010101010101ull * value;
    int i = x + 1;
    while (i + 8 <= end) {
        uint64_t word;
        std::memcpy(&word, row + i, 8);
        if (const uint64_t differ = word ^ same; differ != 0) return i + __builtin_ctzll(differ) / 8;  // little-endian
        i += 8;
    }
    while (i < end && row[i] == value) ++i;
    return i;
}
