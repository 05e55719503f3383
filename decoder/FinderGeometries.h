// The finder patterns of a triple as the grid needs them: each candidate's traced ring, oriented
// to the triple's axes.
#pragma once

#include <array>
#include <optional>
#include <vector>

#include "decoder/BitMatrix.h"
#include "decoder/FinderTriples.h"
#include "decoder/PerspectiveTransform.h"
#include "decoder/SamplingGrid.h"

// Traces each candidate's ring at most once, however many triples it is part of.
class FinderGeometries {
public:
    FinderGeometries(const BitMatrix& bits, const std::vector<FinderCandidate>& candidates)
        : bits(bits), candidates(candidates), traced(candidates.size()), toFrame(candidates.size()),
          ringFound(candidates.size(), false), done(candidates.size(), false) {}

    // The triple as the patterns' own outlines see it. The two sides of a symbol run along its
    // patterns' edges and its diagonal across them, which tilt does not change; the corner is
    // where the sides meet, however far its angle in the picture is from a right one. nullopt
    // when the outlines show no side and diagonal (three patterns of no one symbol); the triple
    // unchanged where a ring could not be traced.
    std::optional<FinderTriple> byOutlines(FinderTriple t);
    SymbolFinders forTriple(const FinderTriple& t);
    // The corners of candidate i's traced ring (traceFinderRing), traced on first use; none for
    // a round ring.
    const std::optional<std::array<PicturePoint, 4>>& ring(size_t i);
    // How many of the triple's patterns have a ring that traces, square or round.
    int ringsTraced(const FinderTriple& t);

private:
    std::optional<double> offAxis(int from, int to) const;

    const BitMatrix& bits;
    const std::vector<FinderCandidate>& candidates;
    std::vector<std::optional<std::array<PicturePoint, 4>>> traced;
    std::vector<std::optional<PerspectiveTransform>> toFrame;  // picture to the traced ring's frame
    std::vector<bool> ringFound;
    std::vector<bool> done;
};
