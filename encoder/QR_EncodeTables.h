// Constant tables of the QR Code model 2 standard (ISO/IEC 18004) used by the encoder.
#pragma once

#include <array>
#include <cstdint>

namespace qrenc {

// One kind of Reed-Solomon block: how many blocks, their length and their data codewords.
struct RsBlockInfo {
    int32_t blockCount;
    int32_t codewordsPerBlock;
    int32_t dataCodewordsPerBlock;
};

// One row of the error-correction characteristics and alignment-pattern tables. Per-level
// entries are indexed by level 0 = L, 1 = M, 2 = Q, 3 = H. The always-present alignment
// coordinate 6 is left out of alignPositions.
struct VersionInfo {
    int32_t version;
    int32_t totalCodewords;
    int32_t dataCodewords[4];
    int32_t alignCount;
    int32_t alignPositions[6];
    RsBlockInfo blockInfo1[4];
    RsBlockInfo blockInfo2[4];  // one data codeword longer than blockInfo1; all zero when absent
};

// Indexed by version; record 0 is all zeros and never used.
extern const VersionInfo kVersionTable[41];

// Character-count indicator widths in bits, [mode][version group].
// Modes: 0 numeric, 1 alphanumeric, 2 8-bit byte, 3 kanji. Groups: versions 1-9, 10-26, 27-40.
inline constexpr int32_t kCountIndicatorBits[4][3] = {
    {10, 12, 14},
    {9, 11, 13},
    {8, 16, 16},
    {8, 10, 12},
};

// Finder pattern (7 rows of 7 bits) and alignment pattern (5 rows of 5 bits); the most
// significant used bit is the first module of a row, a set bit is dark.
inline constexpr uint8_t kFinderRows[7] = {0x7F, 0x41, 0x5D, 0x5D, 0x5D, 0x41, 0x7F};
inline constexpr uint8_t kAlignmentRows[5] = {0x1F, 0x11, 0x15, 0x11, 0x1F};

// GF(256) with primitive polynomial x^8 + x^4 + x^3 + x^2 + 1 and alpha = 2.
struct GaloisTables {
    std::array<uint8_t, 256> power{};  // power[i] = alpha^i; power[255] = 1 again
    std::array<uint8_t, 256> log{};    // log[alpha^i] = i; log[0] = 0 and never used
};

constexpr GaloisTables makeGaloisTables() {
    GaloisTables t;
    unsigned v = 1;
    for (int i = 0; i < 255; ++i) {
        t.power[i] = static_cast<uint8_t>(v);
        t.log[v] = static_cast<uint8_t>(i);
        v <<= 1;
        if (v & 0x100) v ^= 0x11D;
    }
    t.power[255] = 1;
    return t;
}

inline constexpr GaloisTables kGalois = makeGaloisTables();

// Generator polynomials g(x) = (x - a^0)(x - a^1)...(x - a^(n-1)) for every count n from 2 to 68
// (QR uses 7 to 30 per block, Micro QR 2 to 14, rMQR 7 to 30, all within). Each is stored as
// the logarithms of its coefficients from x^(n-1) down to x^0; the leading 1 of x^n is left out.
struct GeneratorTable {
    std::array<std::array<uint8_t, 68>, 69> logCoefficients{};
    std::array<bool, 69> present{};
};

constexpr bool generatorCountIsUsed(int n) { return n >= 2 && n <= 68; }

constexpr GeneratorTable makeGeneratorTable() {
    GeneratorTable t;
    for (int n = 1; n <= 68; ++n) {
        if (!generatorCountIsUsed(n)) continue;
        // coeff[k] is the coefficient of x^k; multiply by (x - a^i) for i = 0..n-1.
        std::array<uint8_t, 69> coeff{};
        coeff[0] = 1;
        for (int i = 0; i < n; ++i) {
            const uint8_t root = kGalois.power[i];
            for (int k = i + 1; k >= 1; --k) {
                uint8_t product = 0;
                if (coeff[k] != 0) product = kGalois.power[(kGalois.log[coeff[k]] + kGalois.log[root]) % 255];
                coeff[k] = static_cast<uint8_t>(coeff[k - 1] ^ product);
            }
            coeff[0] = coeff[0] == 0 ? 0 : kGalois.power[(kGalois.log[coeff[0]] + kGalois.log[root]) % 255];
        }
        for (int j = 0; j < n; ++j) t.logCoefficients[n][j] = kGalois.log[coeff[n - 1 - j]];
        t.present[n] = true;
    }
    return t;
}

inline constexpr GeneratorTable kGenerators = makeGeneratorTable();

}  // namespace qrenc
