#include "decoder/Line.h"

#include <cmath>
#include <cstdlib>

int32_t Line::length() const {
    const double dx = std::abs(static_cast<double>(p2.x) - p1.x);
    const double dy = std::abs(static_cast<double>(p2.y) - p1.y);
    return static_cast<int32_t>(std::sqrt(dx * dx + dy * dy));
}

bool Line::touches(const Line& a, const Line& b) {
    return std::abs(a.p1.x - b.p1.x) <= 1 && std::abs(a.p1.y - b.p1.y) <= 1 && std::abs(a.p2.x - b.p2.x) <= 1 &&
           std::abs(a.p2.y - b.p2.y) <= 1;
}

bool Line::crosses(const Line& a, const Line& b) {
    if (a.horizontal() && b.vertical()) {
        return b.p1.y < a.p1.y && a.p1.y < b.p2.y && a.p1.x < b.p1.x && b.p1.x < a.p2.x;
    }
    if (a.vertical() && b.horizontal()) {
        return a.p1.y < b.p1.y && b.p1.y < a.p2.y && b.p1.x < a.p1.x && a.p1.x < b.p2.x;
    }
    return false;
}

Line Line::longestOf(const std::vector<Line>& lines) {
    Line longest;
    int32_t best = longest.length();
    for (const Line& line : lines) {
        const int32_t l = line.length();
        if (l > best) {
            longest = line;
            best = l;
        }
    }
    return longest;
}
