// A plane projective transform (homography) in doubles: from a symbol's module coordinates to
// picture coordinates. Straight lines stay straight, so a tilted symbol maps exactly.
#pragma once

#include <array>
#include <optional>
#include <utility>
#include <vector>

#include "decoder/Point.h"

class PerspectiveTransform {
public:
    // The identity.
    PerspectiveTransform() = default;

    // The transform that takes from[i] to to[i] for four points, no three of them on a line.
    static std::optional<PerspectiveTransform> fromQuads(const std::array<PicturePoint, 4>& from,
                                                         const std::array<PicturePoint, 4>& to);
    // The least-squares transform of four or more pairs (from, to), each with its weight;
    // nullopt when the points do not determine one.
    struct Pair {
        PicturePoint from;
        PicturePoint to;
        double weight = 1;
    };
    static std::optional<PerspectiveTransform> fit(const std::vector<Pair>& pairs);

    PicturePoint map(PicturePoint p) const {
        const double w = m[6] * p.x + m[7] * p.y + m[8];
        return {(m[0] * p.x + m[1] * p.y + m[2]) / w, (m[3] * p.x + m[4] * p.y + m[5]) / w};
    }

private:
    explicit PerspectiveTransform(const std::array<double, 9>& values) : m(values) {}

    // Row-major 3 x 3, last entry normalised to 1 where possible.
    std::array<double, 9> m{1, 0, 0, 0, 1, 0, 0, 0, 1};
};
