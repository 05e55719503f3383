// Constant tables of Micro QR (versions M1 to M4) used by the encoder.
#pragma once

#include <cstdint>

namespace microqr {

// One version and level, indexed by its symbol number (the number the format information
// carries). The last data codeword of M1 and M3 is 4 bits long: dataBits is not always a
// multiple of 8.
struct SymbolInfo {
    int32_t version;  // 1..4 for M1..M4
    int32_t level;    // 0 = L, 1 = M, 2 = Q; M1 detects errors only and stands as L
    int32_t dataBits;
    int32_t dataCodewords;
    int32_t ecCodewords;
};

inline constexpr SymbolInfo kSymbols[8] = {
    {1, 0, 20, 3, 2},                                        // M1
    {2, 0, 40, 5, 5},   {2, 1, 32, 4, 6},                    // M2-L, M2-M
    {3, 0, 84, 11, 6},  {3, 1, 68, 9, 8},                    // M3-L, M3-M
    {4, 0, 128, 16, 8}, {4, 1, 112, 14, 10}, {4, 2, 80, 10, 14},  // M4-L, M4-M, M4-Q
};

// The symbol number of a version and level, or -1 when the version lacks the level.
constexpr int symbolNumber(int version, int level) {
    for (int n = 0; n < 8; ++n)
        if (kSymbols[n].version == version && kSymbols[n].level == level) return n;
    return -1;
}

// Mode indicator width, its values (numeric, alphanumeric, byte, kanji) and the character-count
// widths, by version; a zero count width means the version lacks the mode (M1 is numeric only,
// M2 numeric and alphanumeric).
inline constexpr int32_t kIndicatorBits[5] = {0, 0, 1, 2, 3};
inline constexpr int32_t kCountBits[5][4] = {{0, 0, 0, 0}, {3, 0, 0, 0}, {4, 3, 0, 0}, {5, 4, 4, 3}, {6, 5, 5, 4}};

// Zero bits that end the data: 3, 5, 7 and 9 for M1..M4.
inline constexpr int32_t kTerminatorBits[5] = {0, 3, 5, 7, 9};

}  // namespace microqr
