// A segment between two pixel positions. The run lines of the finder stage always run left to
// right or top to bottom.
#pragma once

#include <cstdint>
#include <vector>

#include "decoder/Point.h"

class Line {
public:
    Line() = default;
    Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2) : p1(x1, y1), p2(x2, y2) {}
    Line(const Point& a, const Point& b) : p1(a), p2(b) {}
    virtual ~Line() = default;
    Line(const Line&) = default;
    Line& operator=(const Line&) = default;

    bool horizontal() const { return p1.y == p2.y; }
    bool vertical() const { return p1.x == p2.x; }
    // Euclidean length, truncated.
    int32_t length() const;
    Point middle() const { return Point((p1.x + p2.x) / 2, (p1.y + p2.y) / 2); }
    bool operator==(const Line& other) const { return p1 == other.p1 && p2 == other.p2; }

    // Every end coordinate of a within one pixel of the same one of b.
    static bool touches(const Line& a, const Line& b);
    // A horizontal and a vertical line that cross strictly inside both.
    static bool crosses(const Line& a, const Line& b);
    // The first of the longest lines (an all-zero line for an empty list).
    static Line longestOf(const std::vector<Line>& lines);

    Point p1;
    Point p2;
};
