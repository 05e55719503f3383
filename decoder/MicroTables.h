// The constant tables of Micro QR (versions M1 to M4) and of rectangular Micro QR (rMQR, 32 sizes
// from 7 x 43 to 17 x 139 modules), as data.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

// --- Micro QR ---

// Modules along each side of version M1..M4: 11, 13, 15, 17.
constexpr int microSide(int version) { return 2 * version + 9; }

// What the three-bit symbol number in the format information stands for.
struct MicroSymbolType {
    int version;         // 1..4 for M1..M4
    int ecLevel;         // 0 = L, 1 = M, 2 = Q; M1 (error detection only) counts as L
    int dataCodewords;
    int checkCodewords;
    int dataBits;        // M1 and M3 end their data with a codeword of four bits
    int mostCorrections; // codewords a read may correct: the rest of the check codewords guard
                         // against miscorrection
};
extern const std::array<MicroSymbolType, 8> kMicroSymbolTypes;

// Character-count bits by version (M1..M4) and mode (numeric, alphanumeric, byte, kanji); 0
// where the version has no such mode.
extern const std::array<std::array<int, 4>, 4> kMicroCountBits;

// --- rMQR ---

struct RmqrSize {
    int height;
    int width;
};
// By size index 0..31, the order of the format information: heights 7 to 17, widths ascending.
extern const std::array<RmqrSize, 32> kRmqrSizes;
// The size index of height x width, or -1 when there is no such size.
int rmqrSizeIndex(int height, int width);

struct RmqrBlocks {
    int blocks;
    int checkPerBlock;
};
// Codewords in the symbol, and the blocks at level M ([0]) and H ([1]), by size index.
extern const std::array<int, 32> kRmqrCodewords;
extern const std::array<std::array<RmqrBlocks, 2>, 32> kRmqrBlocks;

// Character-count bits by size index and mode (numeric, alphanumeric, byte, kanji).
extern const std::array<std::array<int, 4>, 32> kRmqrCountBits;

// The columns of the alignment patterns (and the vertical timing lines through them) of a symbol
// `width` modules wide.
std::vector<int> rmqrAlignmentColumns(int width);
