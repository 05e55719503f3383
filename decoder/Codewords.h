// From a module matrix to Reed-Solomon blocks: the data modules read in placement order with the
// mask removed, then the interleaved codewords split back into their blocks.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "decoder/BitMatrix.h"

// True for the data mask pattern's modules at column x, row y.
bool maskCovers(int mask, int x, int y);

// Every module of the version that is not a data module (finder patterns and separators, timing,
// alignment patterns, format and version information, the dark module), as a side x side grid.
BitMatrix functionModules(int version);

// The version's data modules in placement order: column pairs from the right edge, up and down
// in turn, the right module of a pair first; codeword k is made of entries 8k to 8k + 7, most
// significant bit first. (x, y) pairs.
std::vector<std::pair<int, int>> dataModulePositions(int version);

// The version's codewords in placement order, each module unmasked; the remainder bits are
// left out. `modules` must be 4 * version + 17 modules square.
std::vector<uint8_t> readCodewords(const BitMatrix& modules, int version, int mask);

struct CodewordBlock {
    std::vector<uint8_t> codewords;  // data codewords, then check codewords
    int dataCount = 0;
};

// The blocks of the version at the level, in block order (shorter blocks first), taken from the
// interleaved codewords. Returns no blocks when the count of codewords does not fit the version.
std::vector<CodewordBlock> deinterleave(const std::vector<uint8_t>& codewords, int version, int ecLevel);
