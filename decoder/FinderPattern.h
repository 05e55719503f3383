// The three finder patterns of a QR symbol: a dark 3 x 3 square in a light ring in a dark ring,
// 7 x 7 modules. Any line through the centre crosses them as dark, light, dark, light, dark in
// the ratio 1:1:3:1:1, whatever the symbol's rotation, so the picture is scanned row by row for
// that ratio and every hit is checked across the other directions.
#pragma once

#include <array>
#include <optional>
#include <vector>

#include "decoder/BitMatrix.h"
#include "decoder/Point.h"

struct FinderCandidate {
    PicturePoint centre;
    double moduleSize = 0;  // pixels per module, from the pattern's width across and down
    int hits = 0;           // scan rows that found it
    double fit = 0;         // 0..1: how closely its runs keep 1:1:3:1:1 in four directions
    double score = 0;       // for ranking: fit, confirmed by rows in proportion to its size
    // The pattern's width through its centre along the row, the falling diagonal, the column and
    // the rising diagonal (0, 45, 90 and 135 degrees, picture y pointing down), in pixels; 0
    // where it was not measured.
    std::array<float, 4> widths{};

    // Pixels per module along `direction`: tilt shortens the modules one way only, so the
    // distance to another pattern is measured in the modules along it. moduleSize where the
    // widths were not measured.
    double moduleAlong(PicturePoint direction) const;
};

struct FinderSearch {
    std::vector<FinderCandidate> candidates;          // dark on light, best score first
    std::vector<FinderCandidate> invertedCandidates;  // light on dark: finders of the flipped image
    int dropped = 0;                                  // weaker candidates left out by the cap
    int invertedDropped = 0;
};

// The finder pattern candidates of a bit image, at most `cap` of each polarity, from every
// `rowStep`-th row (a pattern is found when its centre square is at least that high).
FinderSearch findFinderPatterns(const BitMatrix& bits, size_t cap, int rowStep = 1);

// The pattern's dark ring as traced: a shape of about the pattern's size standing clear of what
// is around it.
struct FinderRing {
    // Its four outer corners, going round clockwise (in picture view) from any one of them; none
    // for a round ring (a designer's circular pattern), whose extreme points are anywhere on it.
    std::optional<std::array<PicturePoint, 4>> corners;
};

// The pattern's ring; nullopt when it cannot be traced as a square-like or round shape of its size.
std::optional<FinderRing> traceFinderRing(const BitMatrix& bits, const FinderCandidate& candidate);
