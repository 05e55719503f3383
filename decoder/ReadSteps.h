// The pieces the reader's loop (PictureReader.cpp) is made of, each a plain function: the retry
// ladder of binarisations, the finder patterns of a triple as the grid needs them, the grids to
// try for a triple, and the verified symbol placed in the picture.
#pragma once

#include <vector>

#include "decoder/BitMatrix.h"
#include "decoder/ContentDecoder.h"
#include "decoder/FinderTriples.h"
#include "decoder/GreyImage.h"
#include "decoder/SamplingGrid.h"

// One rung of the retry ladder: a bit image of the picture, and how many picture pixels one of
// its pixels stands for.
struct Rung {
    const char* name;
    BitMatrix bits;
    double scale = 1;
    int rowStep = 1;     // rows of the finder scan: every rowStep-th
    GreyImage ownGrey;   // the grey picture the bits come from, when not the picture's own
};

// The grey picture a rung's bit image was made from.
inline const GreyImage& greyOf(const Rung& rung, const GreyImage& picture) {
    return rung.ownGrey.pixels.empty() ? picture : rung.ownGrey;
}

// The ladder, tried in order while nothing verified has been found: one global threshold (the
// cheapest, and enough for screens, scans and evenly lit photos), local thresholds (shadows,
// uneven light), local thresholds on a smoothed copy (print grain, sensor noise, faint contrast)
// and, for large photos, on a half-size copy. `step` 0, 1, ...; an empty bit image means the rung does
// not apply; nullopt past the last.
std::optional<Rung> retryRung(const GreyImage& grey, int step);

// The candidates' traced and oriented geometry for one triple, tracing each ring at most once.
class FinderGeometries {
public:
    FinderGeometries(const BitMatrix& bits, const std::vector<FinderCandidate>& candidates)
        : bits(bits), candidates(candidates), traced(candidates.size()), done(candidates.size(), false) {}
    SymbolFinders forTriple(const FinderTriple& t);

private:
    const BitMatrix& bits;
    const std::vector<FinderCandidate>& candidates;
    std::vector<std::optional<std::array<PicturePoint, 4>>> traced;
    std::vector<bool> done;
};

// The grids worth refining and sampling for a triple, one at a time, most likely first: the
// version its version information states, then the estimated version and its neighbours, each
// laid both ways (GridShape); only those that step along the timing patterns. A grid is fitted
// only when the ones before it did not verify.
class GridChoices {
public:
    GridChoices(const BitMatrix& bits, const SymbolFinders& finders, int estimatedVersion);
    std::optional<GridFit> next();

private:
    const BitMatrix& bits;
    const SymbolFinders& finders;
    std::vector<int> versions;
    size_t nextVersion = 0;
    std::vector<GridFit> pending;  // of the version at hand, the best last
};

// The grid's modules sampled from the bit image, and where that does not verify, from the grey
// levels module by module (sampleGridByGrey); each read as seen, else transposed (a symbol seen
// from behind). `mirrored` tells which; `failure` keeps the furthest stage any failed read
// reached.
ContentReading readGrid(const BitMatrix& bits, const GreyImage& grey, const GridFit& grid, bool inverted, bool& mirrored,
                        ReadFailure& failure);

// Marks as used the candidates a verified symbol accounts for: its own three, and those inside it
// that fit the finder ratio clearly worse than its own and either have modules of its size or fit
// poorly (patterns its data happens to draw). A symbol nested inside it keeps its patterns: they
// fit well, and their modules differ in size or they are as true as the outer one's.
void markPatternsOf(const GridFit& grid, const FinderTriple& triple, const std::vector<FinderCandidate>& candidates,
                    std::vector<bool>& used);

// The verified symbol with its corners in the picture.
DecodedSymbol placedSymbol(DecodedSymbol symbol, const GridFit& grid, bool mirrored, bool inverted, double scale);

// Top to bottom, then left to right within a row of symbols that overlap vertically; the second
// reading of one symbol (same place, same data) dropped.
void putInReadingOrder(std::vector<DecodedSymbol>& symbols);
