// Constant tables of the QR Code model 2 standard (ISO/IEC 18004) that the decoder reads:
// error-correction characteristics and alignment positions per version, and the BCH code words
// of the format and version information.
#pragma once

#include <cstdint>

namespace qrdec {

// One kind of Reed-Solomon block of a level: how many blocks, their length and their data
// codewords. Reading uses only the block count; lengths follow from the totals.
struct BlockKind {
    int32_t blockCount;
    int32_t codewordsPerBlock;
    int32_t dataCodewordsPerBlock;
};

// Per-level entries are indexed 0 = L, 1 = M, 2 = Q, 3 = H. The alignment coordinates leave out
// the always-present 6. Version 1 has no alignment pattern; its single coordinate 14 is only the
// corner of the sampling area.
struct DecoderVersionInfo {
    int32_t totalCodewords;
    int32_t dataCodewords[4];
    int32_t alignCount;
    int32_t alignPositions[6];
    BlockKind firstBlocks[4];
    BlockKind secondBlocks[4];  // one data codeword longer than firstBlocks; zero when absent
};

// Indexed by version - 1.
extern const DecoderVersionInfo kDecoderVersions[40];

// Returns the entry of `version`, or nullptr when it is not 1..40.
const DecoderVersionInfo* decoderVersionInfo(int version);

// BCH (15, 5) code word of each 5-bit format value (level indicator in bits 4-3, mask pattern in
// bits 2-0), before the 0x5412 mask.
extern const uint16_t kFormatCodewords[32];

// BCH (18, 6) version-information code words for versions 7..40 in ascending order.
extern const uint32_t kVersionCodewords[34];

}  // namespace qrdec
