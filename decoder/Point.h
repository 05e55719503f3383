// A pixel position (or a module position in a symbol's own frame).
#pragma once

#include <cstdint>

class Point {
public:
    Point() = default;
    Point(int32_t x, int32_t y) : x(x), y(y) {}
    virtual ~Point();
    Point(const Point&) = default;
    Point& operator=(const Point&) = default;

    void set(int32_t nx, int32_t ny);
    // Adds (dx, dy) to the position.
    void move(int32_t dx, int32_t dy);
    bool operator==(const Point& other) const { return x == other.x && y == other.y; }

    int32_t x = 0;
    int32_t y = 0;
};
