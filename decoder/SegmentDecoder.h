// The data codewords of a corrected symbol as a bit stream of segments: numeric, alphanumeric,
// byte, kanji (Shift JIS) and Hanzi (GB 2312) data, ECI designators, FNC1 in first or second
// position and structured-append headers, up to the terminator and the padding after it.
//
// A stream is accepted only when it is well formed: known mode indicators, character counts
// that fit the remaining bits, values inside their modes' ranges, and nothing after the
// terminator but zero bits to the byte boundary and pad codewords.
#pragma once

#include <array>
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

// How a symbology writes its bit stream: QR, Micro QR (shorter mode indicators, a longer
// terminator, four modes only) and rMQR (three-bit mode indicators, no Hanzi or structured
// append), with character-count widths by version.
struct StreamSyntax {
    enum class Family : uint8_t { Qr, Micro, Rmqr };
    Family family = Family::Qr;
    int modeBits = 4;
    int terminatorBits = 4;
    std::array<int, 4> countBits{};  // numeric, alphanumeric, byte, kanji (and Hanzi); 0 = no such mode
    size_t dataBits = 0;             // the stream's length in bits when its last codeword is short; 0 = all
};
StreamSyntax qrSyntax(int version);                     // 1..40
StreamSyntax microSyntax(int version, int dataBits);    // 1..4 for M1..M4
StreamSyntax rmqrSyntax(int sizeIndex);                 // 0..31

// Decodes the data codewords of a symbol of `version` (1..40). Returns ReadFailure::None and
// fills `out`, or Malformed / Unsupported.
ReadFailure decodeSegments(const std::vector<uint8_t>& data, int version, DecodedContent& out);
ReadFailure decodeSegments(const std::vector<uint8_t>& data, const StreamSyntax& syntax, DecodedContent& out);
