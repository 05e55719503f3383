#include "decoder/FormatInformation.h"

#include <bit>

#include "decoder/DecoderTables.h"

namespace {

constexpr uint32_t kFormatMask = 0x5412;
constexpr int kCorrectableBits = 3;

// Level indicators 01, 00, 11, 10 stand for L, M, Q, H.
constexpr int kLevelOfIndicator[4] = {1, 0, 3, 2};

int distance(uint32_t a, uint32_t b) { return std::popcount(a ^ b); }

}  // namespace

std::optional<FormatInformation> decodeFormatBits(uint32_t bits) {
    const uint32_t unmasked = bits ^ kFormatMask;
    for (int value = 0; value < 32; ++value) {
        if (distance(unmasked, qrdec::kFormatCodewords[value]) <= kCorrectableBits)
            return FormatInformation{kLevelOfIndicator[value >> 3], value & 7};
    }
    return std::nullopt;
}

FormatMatch nearestFormat(uint32_t bits) {
    const uint32_t unmasked = bits ^ kFormatMask;
    FormatMatch best{0, 16};
    for (int value = 0; value < 32; ++value)
        if (const int d = distance(unmasked, qrdec::kFormatCodewords[value]); d < best.errors) best = {value, d};
    return best;
}

uint32_t formatBitsOfCopy(const BitMatrix& m, int copy) {
    const int n = m.width();
    uint32_t bits = 0;
    for (int i = 0; i < 15; ++i) {
        int x, y;
        if (copy == 0) {
            // Down column 8 (skipping the timing row), then left along row 8.
            if (i < 6) x = 8, y = i;
            else if (i == 6) x = 8, y = 7;
            else if (i == 7) x = 8, y = 8;
            else if (i == 8) x = 7, y = 8;
            else x = 14 - i, y = 8;
        } else {
            // Along row 8 from the right edge, then down column 8 to the bottom edge.
            if (i < 8) x = n - 1 - i, y = 8;
            else x = 8, y = n - 15 + i;
        }
        if (m.get(x, y)) bits |= 1u << i;
    }
    return bits;
}

std::optional<FormatInformation> readFormatInformation(const BitMatrix& modules) {
    if (modules.width() < 21 || modules.height() != modules.width()) return std::nullopt;
    for (int copy = 0; copy < 2; ++copy)
        if (auto format = decodeFormatBits(formatBitsOfCopy(modules, copy))) return format;
    return std::nullopt;
}

std::optional<int> decodeVersionBits(uint32_t bits) {
    for (int k = 0; k < 34; ++k) {
        if (distance(bits, qrdec::kVersionCodewords[k]) <= kCorrectableBits) return k + 7;
    }
    return std::nullopt;
}

uint32_t versionBitsOfCopy(const BitMatrix& m, int copy) {
    const int n = m.width();
    uint32_t bits = 0;
    for (int k = 0; k < 18; ++k) {
        // Bit k lies at column k / 3, row n - 11 + k % 3 in the lower-left block; the upper-right
        // block is its mirror image.
        const int a = k / 3, b = n - 11 + k % 3;
        const bool dark = copy == 0 ? m.get(a, b) : m.get(b, a);
        if (dark) bits |= 1u << k;
    }
    return bits;
}

std::optional<int> readVersionInformation(const BitMatrix& modules) {
    if (modules.width() < 45 || modules.height() != modules.width()) return std::nullopt;
    for (int copy = 0; copy < 2; ++copy)
        if (auto version = decodeVersionBits(versionBitsOfCopy(modules, copy))) return version;
    return std::nullopt;
}
