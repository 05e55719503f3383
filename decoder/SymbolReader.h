// One call from a picture to the symbol's content, for the command-line tool and other callers
// that need no stage of their own.
//
//   platform::RgbImage picture = ...;
//   SymbolReading r = readSymbol(picture);
//   if (r.found) { r.textUtf8, r.version (1..40), r.ecLevel (0 = L .. 3 = H), levelLetter(r.ecLevel) }
//   else         { r.failure: "no symbol found" or the reason the file could not be read }
//
// It runs QRcodeImage detection and ContentDecoder exactly as the read page does, and leaves
// detectionFailed cleared. A symbol that is found but damaged is still "found": its text may
// then be partial or garbled (the reader never fails after detection).
#pragma once

#include <string>

#include "platform/imaging.h"

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

// 'L', 'M', 'Q' or 'H' for a level index 0..3.
char levelLetter(int ecLevel);
