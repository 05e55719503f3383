// One call from a picture to the QR symbols in it, for the read page, the command-line tool and
// any other caller that needs no stage of its own.
//
//   platform::RgbImage picture = ...;
//   PictureReading r = readPicture(picture);
//   for (const DecodedSymbol& s : r.symbols) { s.textUtf8, s.bytes, s.version, s.ecLevel, s.corners }
//   if (r.symbols.empty()) { failureMessage(r.failure) }
//
// A symbol is only ever returned verified: its format information within its code's reach, every
// Reed-Solomon block clean or corrected, and a well-formed bit stream. Anything else is a
// failure with its reason; nothing is guessed. detectionFailed is left cleared.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/imaging.h"

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

struct PicturePoint {
    double x = 0;
    double y = 0;
};

// The header of one part of a structured-append sequence.
struct StructuredAppend {
    int index = 0;   // 0-based position of this symbol in the sequence
    int count = 0;   // symbols in the sequence (1..16)
    int parity = 0;  // XOR of all the sequence's data bytes
};

enum class Fnc1 : uint8_t { None, Gs1, Aim };

struct DecodedSymbol {
    // The data as it stands in the symbol's segments: numeric and alphanumeric characters as
    // ASCII, byte segments unchanged, kanji as Shift JIS pairs, Hanzi as GB 2312 pairs.
    std::string bytes;
    std::u16string text;   // the data as text (character sets from ECI, else as the program shows it)
    std::string textUtf8;  // the same text in UTF-8
    int version = 0;       // 1..40
    int ecLevel = 0;       // 0 = L, 1 = M, 2 = Q, 3 = H
    int mask = 0;          // 0..7
    int eci = -1;          // the first ECI designator in the symbol, -1 without one
    std::optional<StructuredAppend> sequence;
    Fnc1 fnc1 = Fnc1::None;
    bool mirrored = false;  // read from its back (the matrix transposed)
    bool inverted = false;  // light modules on dark
    // The symbol's outer corners in the picture, in the symbol's own order: top-left, top-right,
    // bottom-right, bottom-left.
    std::array<PicturePoint, 4> corners{};
};

struct PictureReading {
    std::vector<DecodedSymbol> symbols;  // reading order: top to bottom, then left to right
    ReadFailure failure = ReadFailure::NotFound;  // None exactly when symbols is not empty
};

PictureReading readPicture(const platform::RgbImage& picture);

// The symbol that covers most of the picture, or nullptr when none was read.
const DecodedSymbol* largestSymbol(const PictureReading& reading);

// 'L', 'M', 'Q' or 'H' for a level index 0..3.
char levelLetter(int ecLevel);

// --- The single-symbol form used so far by the command line and the benchmarks ---

struct SymbolReading {
    bool found = false;
    std::u16string text;
    std::string textUtf8;
    int version = 0;
    int ecLevel = 0;
    std::string failure;
};

SymbolReading readSymbol(const platform::RgbImage& picture);
// Reads the picture from a file (PNG, JPEG, GIF or BMP) first.
SymbolReading readSymbolFile(const std::string& utf8Path);
