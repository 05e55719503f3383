// What the reader gives back for one symbol, and why it gives nothing when it fails.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "decoder/Point.h"

// Why a picture gave no symbol, by the furthest stage any candidate reached.
enum class ReadFailure : uint8_t {
    None,              // at least one symbol was read
    NotFound,          // nothing that looks like a symbol
    FormatUnreadable,  // a symbol's format or version information is beyond its code's reach
    Damaged,           // a Reed-Solomon block is beyond correction
    Malformed,         // the corrected bit stream is not well-formed
    Unsupported,       // a well-formed stream uses a feature this reader does not know
};

// "no symbol found", "symbol found but damaged beyond correction", ...: one line for users.
const char* failureMessage(ReadFailure failure);

// The later of two stages reached: the failure that tells most about a picture.
inline ReadFailure furthest(ReadFailure a, ReadFailure b) { return a > b ? a : b; }

// The header of one part of a structured-append sequence.
struct StructuredAppend {
    int index = 0;   // 0-based position of this symbol in the sequence
    int count = 0;   // symbols in the sequence (1..16)
    int parity = 0;  // XOR of all the sequence's data bytes
};

enum class Fnc1 : uint8_t { None, Gs1, Aim };

// The symbology a symbol belongs to: QR, Micro QR (M1 to M4) or rectangular Micro QR.
enum class SymbolFormat : uint8_t { QR, MicroQR, RMQR };

// "QR", "MicroQR" or "rMQR".
const char* formatName(SymbolFormat format);
// A version as users name it: "7" (QR), "M3" (Micro QR), "R13x77" (rMQR height x width).
std::string versionName(SymbolFormat format, int version);
// A symbol's size in modules.
struct ModuleCount {
    int width = 0;
    int height = 0;
};
ModuleCount symbolModules(SymbolFormat format, int version);

struct DecodedSymbol {
    // The data as it stands in the symbol's segments: numeric and alphanumeric characters as
    // ASCII, byte segments unchanged, kanji as Shift JIS pairs, Hanzi as GB 2312 pairs.
    std::string bytes;
    std::u16string text;   // the data as text (character sets from ECI, else chooseCharset's)
    std::string textUtf8;  // the same text in UTF-8
    SymbolFormat format = SymbolFormat::QR;
    // QR 1..40; Micro QR 1..4 for M1..M4; rMQR 1..32, the sizes from R7x43 to R17x139 in the
    // order of kRmqrSizes (versionName spells them out).
    int version = 0;
    int ecLevel = 0;       // 0 = L, 1 = M, 2 = Q, 3 = H
    int mask = 0;          // QR 0..7, Micro QR 0..3, rMQR always 4
    int eci = -1;          // the first ECI designator in the symbol, -1 without one
    // The character set chosen for byte and kanji data outside any ECI designator (chooseCharset:
    // "UTF-8", "GBK", "Shift_JIS" or "ISO-8859-1"); nullptr when no such data has a byte of 0x80
    // or above.
    const char* charset = nullptr;
    std::optional<StructuredAppend> sequence;
    Fnc1 fnc1 = Fnc1::None;
    bool mirrored = false;  // read from its back (the matrix transposed)
    bool inverted = false;  // light modules on dark
    // The symbol's outer corners in the picture, in the symbol's own order: top-left, top-right,
    // bottom-right, bottom-left.
    std::array<PicturePoint, 4> corners{};
};

// The text a user is shown for `symbol`: its text without the one zero byte that closes the data
// of the desktop program's own symbols. Any other zero character is data and stays.
std::u16string_view shownText(const DecodedSymbol& symbol);
