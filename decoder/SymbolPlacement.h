// Where verified symbols lie in the picture: the finder candidates a symbol accounts for, its
// corners, and one list of symbols in reading order, each symbol once.
#pragma once

#include <vector>

#include "decoder/DecodedSymbol.h"
#include "decoder/FinderTriples.h"
#include "decoder/SamplingGrid.h"

// Marks as used the candidates a verified symbol accounts for: its own three, and those inside it
// that fit the finder ratio clearly worse than its own and either have modules of its size or fit
// poorly (patterns its data happens to draw). A symbol nested inside it keeps its patterns: they
// fit well, and their modules differ in size or they are as true as the outer one's.
void markPatternsOf(const GridFit& grid, const FinderTriple& triple, const std::vector<FinderCandidate>& candidates,
                    std::vector<bool>& used);

// Marks as used the candidates that a symbol read before (on an earlier rung) accounts for:
// those inside it with modules of its size. `scale`: picture pixels per pixel of the candidates.
void markPatternsOfRead(const std::vector<DecodedSymbol>& symbols, double scale,
                        const std::vector<FinderCandidate>& candidates, std::vector<bool>& used);

// The verified symbol with its corners in the picture.
DecodedSymbol placedSymbol(DecodedSymbol symbol, const GridFit& grid, bool mirrored, bool inverted, double scale);

// Top to bottom, then left to right within a row of symbols that overlap vertically; a second
// reading of one symbol (same place, same size) dropped.
void putInReadingOrder(std::vector<DecodedSymbol>& symbols);
