// Finds the three finder patterns of a QR symbol in a two-valued picture, orders them as
// upper-left, upper-right and lower-left in the symbol's own frame, measures the symbol's
// direction and module size, and determines the version (from the pattern distance and, from
// version 7 on, from the version-information blocks).
//
// Fixed-point values carry `precisionBits` fraction bits; products are formed in 64 bits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "decoder/Line.h"
#include "decoder/Point.h"

class FinderPattern {
public:
    // Side codes of the extreme-point search.
    static constexpr int kRight = 1;
    static constexpr int kBottom = 2;
    static constexpr int kLeft = 4;
    static constexpr int kTop = 8;
    FinderPattern() = default;
    virtual ~FinderPattern() = default;

    // `bitmap` holds the picture row by row (index y * width + x), nonzero = dark. Sets
    // detectionFailed when no symbol can be located.
    void locate(const uint8_t* bitmap, int width, int height, int precisionBits);

    // --- The steps of locate, public so that tests can drive them one by one ---

    // Uses `bitmap`, `width`, `height` and `precisionBits` as stored.
    void findRunLines();
    // One representative for each group of adjacent run lines.
    void findThroughLines();
    void findCentres();
    // With more than three centres (other square marks in the picture, or one pattern found
    // twice), moves to the front the three that lie as a symbol's finder patterns do: similar
    // pattern sizes at the corners of a right isosceles triangle. Keeps the order when no
    // three do.
    void chooseCentres();
    void findDirection();
    void orderCentres();
    void measurePatternWidths();
    void estimateVersion();
    void readVersionInformation();

    // The finder-ratio test of five runs, `k` the index of the run just ended.
    static bool matchesFinderRatio(const int32_t* runs, int k, int precisionBits);
    // The extreme point of `points` towards (first, second) side codes.
    static Point extremePoint(const std::vector<Point>& points, int first, int second);
    // Version from the distance estimate a (rounding a / 4 half up, truncated toward zero).
    static int versionFromEstimate(int a);

    // --- Results ---

    std::vector<Line> runLines;
    std::vector<Line> throughLines;
    std::vector<Point> centres;  // after ordering: upper-left, upper-right, lower-left
    int32_t version = 0;
    int32_t direction[2] = {0, 0};  // sin, cos
    int32_t patternWidths[3] = {0, 0, 0};
    int32_t modulePitches[3] = {0, 0, 0};

    // Borrowed picture.
    const uint8_t* bitmap = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    int32_t precisionBits = 21;

private:
    bool dark(int x, int y) const { return bitmap[static_cast<size_t>(y) * width + x] != 0; }
    // The width along the picture row of the pattern around `centre`: between the outer edges
    // of its dark rings, the second light-to-dark edge on each side (the picture's edge when
    // there is none).
    int rowPatternWidth(const Point& centre) const;
    // A version-information sample; outside the picture reads as light.
    int sampleBit(const Point& p) const;
    int matchVersionBits(int bits) const;

    size_t rowLineCount = 0;  // runLines[0, rowLineCount) come from rows, the rest from columns
};
