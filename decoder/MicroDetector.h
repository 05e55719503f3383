// Micro QR and rMQR symbols in a picture, each from its one finder pattern.
//
// The finder pattern's traced ring gives four ways round and two sides (as seen or from behind);
// each is tried where its separator is light, row 0 steps on from the pattern and its format
// information decodes: Micro QR's beside the pattern names the version (so the side), rMQR's the
// height and width. The grid then follows the symbol's own edges outwards from the pattern, one
// dark timing module after another (Micro QR: row and column 0; rMQR: the top and bottom rows),
// each found edge point refining the fit before the next is looked for, and rMQR's sub-finder
// pins the far corner. The sampled modules are read as MicroGrids reads them: verified or not at
// all.
#pragma once

#include <array>
#include <optional>

#include "decoder/BitMatrix.h"
#include "decoder/DecodedSymbol.h"
#include "decoder/FinderPattern.h"
#include "decoder/GreyImage.h"

struct MicroSymbolReading {
    std::optional<DecodedSymbol> symbol;  // corners in the bit image's pixels
    // NotFound unless a grid was a symbol: format information with at most one wrong bit, and
    // its timing modules as they should be.
    ReadFailure failure = ReadFailure::NotFound;
};

// `ring`: the candidate's traced outer corners (traceFinderRing). `inverted`: light modules are the
// symbol's dark ones (the bit image is already flipped; the grey levels are not).
MicroSymbolReading readMicroSymbol(const BitMatrix& bits, const GreyImage& grey, const FinderCandidate& candidate,
                                   const std::array<PicturePoint, 4>& ring, bool inverted);
