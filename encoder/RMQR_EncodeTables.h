// Constant tables of rMQR (rectangular Micro QR, sizes R7x43 to R17x139) used by the encoder.
#pragma once

#include <cstdint>

namespace rmqr {

inline constexpr int kSizeCount = 32;

// One size, indexed by its number in the format information (0 = R7x43 .. 31 = R17x139).
// Per-level entries are indexed 0 = M, 1 = H. Every block of a size and level has the same
// number of check codewords; the last (totalCodewords mod blocks) blocks hold one data codeword
// more than the others.
struct SizeInfo {
    int32_t height;
    int32_t width;
    int32_t totalCodewords;
    int32_t dataCodewords[2];
    int32_t blocks[2];
    int32_t countBits[4];  // character-count width: numeric, alphanumeric, byte, kanji
};

inline constexpr SizeInfo kSizes[kSizeCount] = {
    {7, 43, 13, {6, 3}, {1, 1}, {4, 3, 3, 2}},
    {7, 59, 21, {12, 7}, {1, 1}, {5, 5, 4, 3}},
    {7, 77, 32, {20, 10}, {1, 1}, {6, 5, 5, 4}},
    {7, 99, 44, {28, 14}, {1, 1}, {7, 6, 5, 5}},
    {7, 139, 68, {44, 24}, {1, 2}, {7, 6, 6, 5}},
    {9, 43, 21, {12, 7}, {1, 1}, {5, 5, 4, 3}},
    {9, 59, 33, {21, 11}, {1, 1}, {6, 5, 5, 4}},
    {9, 77, 49, {31, 17}, {1, 2}, {7, 6, 5, 5}},
    {9, 99, 66, {42, 22}, {1, 2}, {7, 6, 6, 5}},
    {9, 139, 99, {63, 33}, {2, 3}, {8, 7, 6, 6}},
    {11, 27, 15, {7, 5}, {1, 1}, {4, 4, 3, 2}},
    {11, 43, 31, {19, 11}, {1, 1}, {6, 5, 5, 4}},
    {11, 59, 47, {31, 15}, {1, 2}, {7, 6, 5, 5}},
    {11, 77, 67, {43, 23}, {1, 2}, {7, 6, 6, 5}},
    {11, 99, 89, {57, 29}, {2, 2}, {8, 7, 6, 6}},
    {11, 139, 132, {84, 42}, {2, 3}, {8, 7, 7, 6}},
    {13, 27, 21, {12, 7}, {1, 1}, {5, 5, 4, 3}},
    {13, 43, 41, {27, 13}, {1, 1}, {6, 6, 5, 5}},
    {13, 59, 60, {38, 20}, {1, 2}, {7, 6, 6, 5}},
    {13, 77, 85, {53, 29}, {2, 2}, {7, 7, 6, 6}},
    {13, 99, 113, {73, 35}, {2, 3}, {8, 7, 7, 6}},
    {13, 139, 166, {106, 54}, {3, 4}, {8, 8, 7, 7}},
    {15, 43, 51, {33, 15}, {1, 2}, {7, 6, 6, 5}},
    {15, 59, 74, {48, 26}, {1, 2}, {7, 7, 6, 5}},
    {15, 77, 103, {67, 31}, {2, 3}, {8, 7, 7, 6}},
    {15, 99, 136, {88, 48}, {2, 4}, {8, 7, 7, 6}},
    {15, 139, 199, {127, 69}, {3, 5}, {9, 8, 7, 7}},
    {17, 43, 61, {39, 21}, {1, 2}, {7, 6, 6, 5}},
    {17, 59, 88, {56, 28}, {2, 2}, {8, 7, 6, 6}},
    {17, 77, 122, {78, 38}, {2, 3}, {8, 7, 7, 6}},
    {17, 99, 160, {100, 56}, {3, 4}, {8, 8, 7, 6}},
    {17, 139, 232, {152, 76}, {4, 6}, {9, 8, 8, 7}},
};

// Columns of the alignment patterns' centres by symbol width (none in width 27).
struct AlignmentColumns {
    int32_t width;
    int32_t count;
    int32_t columns[4];
};

inline constexpr AlignmentColumns kAlignmentColumns[6] = {
    {27, 0, {}}, {43, 1, {21}}, {59, 2, {19, 39}}, {77, 2, {25, 51}}, {99, 3, {23, 49, 75}}, {139, 4, {27, 55, 83, 111}},
};

// Mode indicators are 3 bits: numeric 001, alphanumeric 010, byte 011, kanji 100; the
// terminator is 000.
inline constexpr int32_t kIndicatorBits = 3;
inline constexpr int32_t kIndicators[4] = {1, 2, 3, 4};
inline constexpr int32_t kTerminatorBits = 3;

// The format information's masks: one for the copy beside the finder, one for the copy beside
// the sub-finder.
inline constexpr int32_t kFormatMaskFinderSide = 0x1FAB2;
inline constexpr int32_t kFormatMaskSubFinderSide = 0x20A7B;

}  // namespace rmqr
