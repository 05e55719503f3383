// Reads a sampled module matrix into a verified symbol: format information, version information
// (versions 7 and up), unmasking, codewords, Reed-Solomon correction of every block, then the
// data segments. Any stage that cannot vouch for its result ends the read with its reason; a
// damaged symbol never becomes text.
//
//   ContentReading r = ContentDecoder::read(modules);   // side x side, side = 4 * version + 17
//   if (r.failure == ReadFailure::None) { r.symbol.text, r.symbol.version, r.symbol.ecLevel }
#pragma once

#include "decoder/BitMatrix.h"
#include "decoder/DecodedSymbol.h"

struct ContentReading {
    ReadFailure failure = ReadFailure::NotFound;
    DecodedSymbol symbol;          // when failure is None; corners are left to the caller
    int blockCount = 0;
    int correctedCodewords = 0;    // over all blocks
    int uncorrectableBlocks = 0;   // blocks beyond correction (failure Damaged)
};

struct DecodedContent;
// The symbol that a well-formed stream's content makes (format, version, level and mask left to
// the caller).
DecodedSymbol symbolOf(DecodedContent content);

class ContentDecoder {
public:
    // `modules`: 1 = dark, column x from the left, row y from the top. A matrix that is not
    // 4 * version + 17 modules square for a version 1..40 gives NotFound. The version is the
    // one the side gives; from version 7 on, version information that decodes to another
    // version makes the read FormatUnreadable (the matrix was sampled at the wrong size), and
    // unreadable version information leaves the correction of every block to confirm it.
    static ContentReading read(const BitMatrix& modules);
};
