// Places every alignment pattern of the symbol's version in the picture (plus three virtual
// points next to the finder patterns): first by stepping from the finder patterns in module
// units, then, from version 2 on, by finding the pattern itself in the two-valued picture.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "decoder/Point.h"

class FinderPattern;

class AlignmentPattern {
public:
    AlignmentPattern() = default;
    virtual ~AlignmentPattern() = default;

    // `bitmap` as for FinderPattern::locate (row by row). Sets detectionFailed when the version has no
    // alignment coordinates (version 0 after unreadable version information, or beyond 40).
    void locate(const uint8_t* bitmap, int width, int height, const FinderPattern& finder, int precisionBits);

    // Coordinates 6, then the version's own: (6, 14) for version 1, whose (14, 14) is only the
    // corner of the sampling area. count = 1 when the version has no entry.
    void buildLogicalCentres(const FinderPattern& finder);

    // The middle of the light ring around the dark pixel at or nearest to p; (-1, -1) when the
    // search leaves the picture.
    Point refine(Point p) const;
    // refine(), checked: when its result is not surrounded by the alignment pattern's light and
    // dark rings (the search from a light pixel can land on the outer dark ring or a data
    // module at small scales), the centre is taken from the nearest dark pixel around p that is
    // one; when none is, refine()'s result stands.
    Point refineChecked(Point p) const;
    // The middle of the light ring found by scanning out from the dark pixel p, and whether an
    // alignment pattern (dark, light, dark at about one module each) surrounds it at `pitch`.
    bool ringCentre(const Point& p, int32_t pitch, Point& centre) const;

    Point& logicalCentre(int i, int j) { return logicalCentres[static_cast<size_t>(i) * count + j]; }
    const Point& logicalCentre(int i, int j) const { return logicalCentres[static_cast<size_t>(i) * count + j]; }
    // [i][j]: i along the symbol's x axis.
    Point& centre(int i, int j) { return centres[static_cast<size_t>(i) * count + j]; }
    const Point& centre(int i, int j) const { return centres[static_cast<size_t>(i) * count + j]; }

    int32_t precisionBits = 21;
    const uint8_t* bitmap = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    const FinderPattern* finder = nullptr;
    std::vector<Point> logicalCentres;
    int32_t count = 0;
    std::vector<Point> centres;

private:
    bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
    bool dark(int x, int y) const { return bitmap[static_cast<size_t>(y) * width + x] != 0; }
    void estimateCentres();
    bool looksLikeAlignmentCentre(const Point& c, int32_t pitch) const;
    void ringExtents(int x, int y, int& lx, int& rx, int& uy, int& dy) const;
};
