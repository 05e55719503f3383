#include "decoder/Point.h"

Point::~Point() = default;

void Point::set(int32_t nx, int32_t ny) {
    x = nx;
    y = ny;
}

void Point::move(int32_t dx, int32_t dy) {
    x += dx;
    y += dy;
}
