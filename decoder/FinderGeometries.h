// The finder patterns of a triple as the grid needs them: each candidate's traced ring, oriented
// to the triple's axes.
#pragma once

#include <array>
#include <optional>
#include <vector>

#include "decoder/BitMatrix.h"
#include "decoder/FinderTriples.h"
#include "decoder/SamplingGrid.h"

// Traces each candidate's ring at most once, however many triples it is part of.
class FinderGeometries {
public:
    FinderGeometries(const BitMatrix& bits, const std::vector<FinderCandidate>& candidates)
        : bits(bits), candidates(candidates), traced(candidates.size()), done(candidates.size(), false) {}
    SymbolFinders forTriple(const FinderTriple& t);
    // Candidate i's traced ring (finderCorners), traced on first use.
    const std::optional<std::array<PicturePoint, 4>>& ring(size_t i);

private:
    const BitMatrix& bits;
    const std::vector<FinderCandidate>& candidates;
    std::vector<std::optional<std::array<PicturePoint, 4>>> traced;
    std::vector<bool> done;
};
