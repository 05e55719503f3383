// The data codewords of a corrected symbol as a bit stream of segments: numeric, alphanumeric,
// byte, kanji (Shift JIS) and Hanzi (GB 2312) data, ECI designators, FNC1 in first or second
// position and structured-append headers, up to the terminator and the padding after it.
//
// A stream is accepted only when it is well formed: known mode indicators, character counts
// that fit the remaining bits, values inside their modes' ranges, and nothing after the
// terminator but zero bits to the byte boundary and pad codewords.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "decoder/DecodedSymbol.h"

struct DecodedContent {
    std::string bytes;     // as DecodedSymbol::bytes
    std::u16string text;
    int eci = -1;          // the first ECI designator, -1 without one
    const char* charset = nullptr;  // as DecodedSymbol::charset
    std::optional<StructuredAppend> sequence;
    Fnc1 fnc1 = Fnc1::None;
};

// Decodes the data codewords of a symbol of `version` (1..40). Returns ReadFailure::None and
// fills `out`, or Malformed / Unsupported.
ReadFailure decodeSegments(const std::vector<uint8_t>& data, int version, DecodedContent& out);
