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

#include <string>
#include <vector>

#include "decoder/DecodedSymbol.h"
#include "platform/imaging.h"

struct PictureReading {
    std::vector<DecodedSymbol> symbols;  // reading order: top to bottom, then left to right
    ReadFailure failure = ReadFailure::NotFound;  // None exactly when symbols is not empty
};

PictureReading readPicture(const platform::RgbImage& picture);

// The symbol that covers most of the picture, or nullptr when none was read.
const DecodedSymbol* largestSymbol(const PictureReading& reading);

// 'L', 'M', 'Q' or 'H' for a level index 0..3.
char levelLetter(int ecLevel);

// --- One symbol, for callers that want only the largest ---

struct SymbolReading {
    bool found = false;
    ReadFailure reason = ReadFailure::NotFound;
    // The text as the desktop program shows it: up to its first zero character (the program's
    // own symbols end their data with a zero byte).
    std::u16string text;
    std::string textUtf8;
    int version = 0;
    int ecLevel = 0;
    std::string failure;  // failureMessage(reason), or why the file could not be read
};

// The largest symbol of readPicture().
SymbolReading readSymbol(const platform::RgbImage& picture);
// Reads the picture from a file (PNG, JPEG, GIF or BMP) first.
SymbolReading readSymbolFile(const std::string& utf8Path);
