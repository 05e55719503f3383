// Positions and directions in a picture (pixels) or in a symbol's own frame (modules).
#pragma once

#include <cmath>

struct PicturePoint {
    double x = 0;
    double y = 0;
};

inline PicturePoint operator+(PicturePoint a, PicturePoint b) { return {a.x + b.x, a.y + b.y}; }
inline PicturePoint operator-(PicturePoint a, PicturePoint b) { return {a.x - b.x, a.y - b.y}; }
inline PicturePoint operator*(PicturePoint a, double s) { return {a.x * s, a.y * s}; }
inline double dot(PicturePoint a, PicturePoint b) { return a.x * b.x + a.y * b.y; }
// The z component of the cross product: positive when b turns clockwise from a on a picture
// (y pointing down).
inline double cross(PicturePoint a, PicturePoint b) { return a.x * b.y - a.y * b.x; }
inline double length(PicturePoint a) { return std::sqrt(a.x * a.x + a.y * a.y); }
inline double distance(PicturePoint a, PicturePoint b) { return length(a - b); }

// Where the line through a1 and a2 meets the line through b1 and b2; false when they are
// (nearly) parallel.
inline bool intersect(PicturePoint a1, PicturePoint a2, PicturePoint b1, PicturePoint b2, PicturePoint& at) {
    const PicturePoint da = a2 - a1, db = b2 - b1;
    const double denominator = cross(da, db);
    if (std::abs(denominator) < 1e-9 * (length(da) * length(db) + 1e-12)) return false;
    at = a1 + da * (cross(b1 - a1, db) / denominator);
    return true;
}
