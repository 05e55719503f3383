// Penalty score of a finished-looking matrix, computed on bitsets: every row and every column
// of the symbol as a line of bits (bit x of a row is column x; dark = 1), so that the four
// rules look at 64 modules per operation.
#pragma once

#include <cstdint>

namespace qrenc {

inline constexpr int kLineWords = 3;  // 192 bits: a 177-module line plus the light margin rules 1 and 3 read

struct ModuleLines {
    int side = 0;
    uint64_t rows[177][kLineWords];     // rows[y]: bit x = M(x, y)
    uint64_t columns[177][kLineWords];  // columns[x]: bit y = M(x, y)
};

inline void setLineBit(uint64_t* line, int bit) { line[bit >> 6] |= uint64_t{1} << (bit & 63); }

// Runs of five or more (length - 2 each), 2 x 2 blocks of one colour (3 each), 1:1:3:1:1
// finder-like patterns with four light modules on one side (40 each; outside the symbol is
// light), and the balance of light modules (10 for every 5% away from half).
int penaltyOf(const ModuleLines& lines);

}  // namespace qrenc
