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
// failure with its reason; nothing is guessed. "Found" means a symbol: a failure other than
// NotFound is only reported for a grid whose modules step along both timing patterns and hold the
// three finder patterns with their separators, whose format information decodes with few errors
// and whose version information (from version 7 on) agrees.
#pragma once

#include <array>
#include <atomic>
#include <string>
#include <vector>

#include "decoder/DecodedSymbol.h"
#include "platform/imaging.h"

struct PictureReading {
    std::vector<DecodedSymbol> symbols;  // reading order: top to bottom, then left to right
    ReadFailure failure = ReadFailure::NotFound;  // None exactly when symbols is not empty
};

// What the reader did on one picture, stage by stage, for people tuning it: each attempt (a
// binarisation of the picture, one polarity) with its finder candidates, the triples tried and
// the grids fitted and sampled.
struct ReadTrace {
    struct Attempt {
        const char* binariser = "";
        bool inverted = false;
        int candidates = 0;
        int candidatesDropped = 0;  // left out by the cap on candidates
        int triples = 0;            // plausible triples ranked
        int triplesDropped = 0;     // beyond each corner candidate's best few
        int triplesTried = 0;
        int gridsFitted = 0;
        int verified = 0;
        int microTried = 0;  // candidates tried as a Micro QR or rMQR finder pattern
        // Triples tried that did not read, by the furthest stage any of their grids reached.
        int failedTiming = 0;       // no grid stepped along both timing patterns with its finders whole
        int failedFormat = 0;       // no format information with few errors
        int failedVersion = 0;      // version information not agreeing (version 7 on)
        int failedReedSolomon = 0;  // a symbol, with a block beyond correction
        int failedBitStream = 0;    // a symbol, its corrected data malformed or unsupported
        std::vector<PicturePoint> finderCentres;              // in picture pixels
        std::vector<std::array<PicturePoint, 4>> gridCorners;  // each grid fitted
    };
    std::vector<Attempt> attempts;
};

// `stop`, when given, is watched between the reader's steps: once it is set the read ends early
// with whatever it has verified so far (for a caller whose picture has been superseded).
PictureReading readPicture(const platform::RgbImage& picture, ReadTrace* trace = nullptr,
                           const std::atomic<bool>* stop = nullptr);

// The symbol that covers most of the picture, or nullptr when none was read.
const DecodedSymbol* largestSymbol(const PictureReading& reading);

// 'L', 'M', 'Q' or 'H' for a level index 0..3.
char levelLetter(int ecLevel);

// --- One symbol, for callers that want only the largest ---

struct SymbolReading {
    bool found = false;
    ReadFailure reason = ReadFailure::NotFound;
    // The text as the desktop program shows it: shownText().
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
