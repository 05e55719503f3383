// One grid read into a verified symbol, or how far it got: the stage a failed read stopped at
// tells a symbol damaged beyond correction from a grid laid over something that is no symbol.
#pragma once

#include "decoder/BitMatrix.h"
#include "decoder/ContentDecoder.h"
#include "decoder/GreyImage.h"
#include "decoder/SamplingGrid.h"

// The stages of a read in order. A grid is a symbol found only when it passed Timing, Format
// and Version: its modules step along both timing patterns and hold the three finder patterns
// with their light separators, its format information decodes with few errors, and from version
// 7 on its version information states its size.
enum class ReadStage { Timing, Format, Version, ReedSolomon, BitStream, Read };
constexpr int kFailedStages = 5;  // Timing .. BitStream

struct GridReading {
    ReadStage reached = ReadStage::Timing;  // Read when verified, else the stage that failed
    ContentReading content;                 // the verified symbol, when Read
    bool mirrored = false;                  // read from the transposed matrix (seen from behind)
    // How the picture reports the failure: NotFound unless the grid is a symbol found.
    ReadFailure failure() const;
};

// The grid's modules sampled from the bit image, and where that does not verify, from the grey
// levels module by module (sampleGridByGrey); each read as seen, else transposed. A failure is
// the furthest stage any of the four reached.
GridReading readGrid(const BitMatrix& bits, const GreyImage& grey, const GridFit& grid, bool inverted);

// Whether the format information, sampled through the grid as first laid (beside the finder
// patterns, where that grid is right already), reads as a symbol's does (one copy within a bit of
// a code word, or both naming the same format), as seen or transposed, from the bit image or from
// the grey levels against the timing patterns' mean. A cheap test before the grid is refined and
// every module sampled: a grid laid over texture or another symbology that steps along its timing
// lines by chance rarely passes it too, where "within reach" (three bits) passes almost always
// over the eight readings.
// `inverted`: light modules are the symbol's dark ones.
bool formatWithinReach(const BitMatrix& bits, const GreyImage& grey, const GridFit& grid, bool inverted);

// The stage a sampled matrix of a failed read stands at, from its own modules: Timing, Format,
// Version when the evidence of a symbol stops there, else ReedSolomon.
ReadStage symbolEvidence(const BitMatrix& modules);
