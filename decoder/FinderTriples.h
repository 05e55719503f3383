// Triples of finder pattern candidates that could be one symbol's three corners, best first.
#pragma once

#include <vector>

#include "decoder/FinderPattern.h"

struct FinderTriple {
    // Indexes into the candidates. Seen from the front, the symbol reads with topRight to the
    // right of topLeft and bottomLeft below it (a mirrored symbol shows the other way round).
    int topLeft = 0;
    int topRight = 0;
    int bottomLeft = 0;
    int estimatedVersion = 0;  // from the centres' distance in modules
    double score = 0;
};

struct TripleRanking {
    std::vector<FinderTriple> triples;  // best score first
    int dropped = 0;                    // plausible triples beyond each corner's best few
};

// Every triple of candidates[0, to) with at least one of candidates[from, to) whose geometry fits
// a symbol: modules of similar size, a corner angle near a right one (tilt allows 45 to 135
// degrees), legs of similar length in modules, and a size of a version 1..40; the corner's two
// legs go to two of its nearest such partners (tuning::kNeighbours), and each corner keeps its
// best few (tuning::kTriplesPerCorner), so the count grows with the candidates. (Candidates come best first: [0, k) then [k, n) ranks the strongest candidates' triples
// first and the others after them, each triple once.)
// True when the triple's legs from its corner are of one length and at a right angle in the picture
// itself, within tuning::kSquareTripleTolerance: a symbol seen face on.
bool isSquareInPicture(const std::vector<FinderCandidate>& candidates, const FinderTriple& triple);

TripleRanking rankTriples(const std::vector<FinderCandidate>& candidates, size_t from, size_t to);
