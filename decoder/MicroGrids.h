// Reads sampled module matrices of Micro QR and rMQR into verified symbols, as ContentDecoder does
// for QR: format information, unmasking, codewords, Reed-Solomon correction of every block, then
// the data segments. Any stage that cannot vouch for its result ends the read with its reason.
//
//   ContentReading r = MicroGrids::readMicroQr(modules);  // 11, 13, 15 or 17 modules square
//   ContentReading r = MicroGrids::readRmqr(modules);     // one of the 32 rMQR sizes
#pragma once

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "decoder/BitMatrix.h"
#include "decoder/ContentDecoder.h"

// The format information of one symbol as read from its modules.
struct MicroFormat {
    int symbolNumber = 0;  // Micro QR: 0..7 (version and level); rMQR: the size index 0..31
    int ecLevel = 0;       // rMQR: 1 = M, 3 = H; Micro QR: from the symbol number
    int mask = 0;          // Micro QR: 0..3
    int errors = 0;        // bits that differ from the nearest code word
};

namespace MicroGrids {

// --- Micro QR: one finder pattern in the upper-left corner, timing along row and column 0 ---

// The 15 format bits beside the finder pattern (bit 14 first, the 0x4445 mask still on), and the
// format they decode to within three wrong bits.
uint32_t microFormatBits(const BitMatrix& modules);
std::optional<MicroFormat> decodeMicroFormat(uint32_t bits);
// True for Micro QR mask pattern 0..3's modules at column x, row y.
bool microMaskCovers(int mask, int x, int y);
// The data modules of version 1..4 in placement order, (x, y) pairs.
std::vector<std::pair<int, int>> microDataPositions(int version);
ContentReading readMicroQr(const BitMatrix& modules);

// --- rMQR: finder pattern upper left, sub-finder lower right, timing around the edge ---

// Every module of the size that is not a data module, as a width x height grid.
BitMatrix rmqrFunctionModules(int height, int width);
// The 18 format bits of copy 0 (beside the finder pattern) or 1 (beside the sub-finder), bit 17
// first, their masks still on; and the format they decode to within three wrong bits.
uint32_t rmqrFormatBits(const BitMatrix& modules, int copy);
std::optional<MicroFormat> decodeRmqrFormat(uint32_t bits, int copy);
// The data modules in placement order, (x, y) pairs.
std::vector<std::pair<int, int>> rmqrDataPositions(int height, int width);
ContentReading readRmqr(const BitMatrix& modules);

}  // namespace MicroGrids
