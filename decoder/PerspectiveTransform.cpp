#include "decoder/PerspectiveTransform.h"

#include <algorithm>
#include <cmath>

namespace {

// Solves the n x n system a x = b (a row-major, modified in place) by Gaussian elimination with
// partial pivoting; false when it is singular.
template <int N>
bool solve(std::array<double, N * N>& a, std::array<double, N>& b, std::array<double, N>& x) {
    for (int col = 0; col < N; ++col) {
        int pivot = col;
        for (int r = col + 1; r < N; ++r)
            if (std::abs(a[r * N + col]) > std::abs(a[pivot * N + col])) pivot = r;
        if (std::abs(a[pivot * N + col]) < 1e-12) return false;
        if (pivot != col) {
            for (int c = 0; c < N; ++c) std::swap(a[col * N + c], a[pivot * N + c]);
            std::swap(b[col], b[pivot]);
        }
        for (int r = col + 1; r < N; ++r) {
            const double f = a[r * N + col] / a[col * N + col];
            for (int c = col; c < N; ++c) a[r * N + c] -= f * a[col * N + c];
            b[r] -= f * b[col];
        }
    }
    for (int r = N - 1; r >= 0; --r) {
        double sum = b[r];
        for (int c = r + 1; c < N; ++c) sum -= a[r * N + c] * x[c];
        x[r] = sum / a[r * N + r];
    }
    return true;
}

// Points moved to their centroid and scaled to an average distance of sqrt(2) from it, which
// keeps the normal equations well conditioned for pictures of any size.
struct Normalisation {
    double cx = 0, cy = 0, scale = 1;
    PicturePoint apply(PicturePoint p) const { return {(p.x - cx) * scale, (p.y - cy) * scale}; }
};

template <typename Get>
Normalisation normalisationOf(const std::vector<PerspectiveTransform::Pair>& pairs, Get get) {
    Normalisation n;
    double total = 0;
    for (const auto& p : pairs) {
        n.cx += get(p).x * p.weight;
        n.cy += get(p).y * p.weight;
        total += p.weight;
    }
    n.cx /= total;
    n.cy /= total;
    double spread = 0;
    for (const auto& p : pairs) spread += p.weight * length(get(p) - PicturePoint{n.cx, n.cy});
    spread /= total;
    n.scale = spread > 1e-12 ? std::sqrt(2.0) / spread : 1;
    return n;
}

using Matrix = std::array<double, 9>;

double determinant(const Matrix& m) {
    return m[0] * (m[4] * m[8] - m[5] * m[7]) - m[1] * (m[3] * m[8] - m[5] * m[6]) + m[2] * (m[3] * m[7] - m[4] * m[6]);
}

// The transform taking the unit square's corners (0, 0), (1, 0), (1, 1), (0, 1) to q[0..3], in
// closed form; nullopt when three of them lie on a line.
std::optional<Matrix> fromUnitSquare(const std::array<PicturePoint, 4>& q) {
    const double dx1 = q[1].x - q[2].x, dx2 = q[3].x - q[2].x, dx3 = q[0].x - q[1].x + q[2].x - q[3].x;
    const double dy1 = q[1].y - q[2].y, dy2 = q[3].y - q[2].y, dy3 = q[0].y - q[1].y + q[2].y - q[3].y;
    const double den = dx1 * dy2 - dx2 * dy1;
    const double size = dx1 * dx1 + dy1 * dy1 + dx2 * dx2 + dy2 * dy2;
    if (!(std::abs(den) > 1e-12 * size)) return std::nullopt;
    // The perspective terms make the image of (1, 1) land on q[2].
    const double g = (dx3 * dy2 - dx2 * dy3) / den, h = (dx1 * dy3 - dx3 * dy1) / den;
    const Matrix m = {q[1].x - q[0].x + g * q[1].x, q[3].x - q[0].x + h * q[3].x, q[0].x,
                      q[1].y - q[0].y + g * q[1].y, q[3].y - q[0].y + h * q[3].y, q[0].y,
                      g, h, 1};
    // Three corners on a line give a map onto that line.
    double largest = 0;
    for (const double v : m) largest = std::max(largest, std::abs(v));
    if (!(std::abs(determinant(m)) > 1e-12 * largest * largest * largest)) return std::nullopt;
    return m;
}

std::optional<Matrix> inverse(const Matrix& m) {
    const double det = determinant(m);
    if (!(std::abs(det) > 0)) return std::nullopt;
    const Matrix adjugate = {m[4] * m[8] - m[5] * m[7], m[2] * m[7] - m[1] * m[8], m[1] * m[5] - m[2] * m[4],
                             m[5] * m[6] - m[3] * m[8], m[0] * m[8] - m[2] * m[6], m[2] * m[3] - m[0] * m[5],
                             m[3] * m[7] - m[4] * m[6], m[1] * m[6] - m[0] * m[7], m[0] * m[4] - m[1] * m[3]};
    Matrix result;
    for (int i = 0; i < 9; ++i) result[i] = adjugate[i] / det;
    return result;
}

}  // namespace

std::optional<PerspectiveTransform> PerspectiveTransform::fromQuads(const std::array<PicturePoint, 4>& from,
                                                                    const std::array<PicturePoint, 4>& to) {
    // Through the unit square: to's map after the inverse of from's. Every ring traced and every
    // orientation tried as a Micro QR origin takes one, so no equations are solved for it.
    const std::optional<Matrix> squareToFrom = fromUnitSquare(from), squareToTo = fromUnitSquare(to);
    if (!squareToFrom || !squareToTo) return std::nullopt;
    const std::optional<Matrix> fromToSquare = inverse(*squareToFrom);
    if (!fromToSquare) return std::nullopt;
    Matrix m{};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            for (int k = 0; k < 3; ++k) m[r * 3 + c] += (*squareToTo)[r * 3 + k] * (*fromToSquare)[k * 3 + c];
    if (std::abs(m[8]) > 1e-12 * (std::abs(m[6]) + std::abs(m[7]))) {
        const double scale = 1 / m[8];
        for (double& v : m) v *= scale;
    }
    for (const double v : m)
        if (!std::isfinite(v)) return std::nullopt;
    return PerspectiveTransform(m);
}

std::optional<PerspectiveTransform> PerspectiveTransform::fit(const std::vector<Pair>& pairs) {
    if (pairs.size() < 4) return std::nullopt;
    const Normalisation nf = normalisationOf(pairs, [](const Pair& p) { return p.from; });
    const Normalisation nt = normalisationOf(pairs, [](const Pair& p) { return p.to; });
    // Each pair gives two equations in the eight unknowns h0..h7 (h8 = 1):
    //   h0 x + h1 y + h2 - h6 x u - h7 y u = u,  h3 x + h4 y + h5 - h6 x v - h7 y v = v.
    std::array<double, 64> ata{};
    std::array<double, 8> atb{};
    for (const Pair& p : pairs) {
        const PicturePoint f = nf.apply(p.from), t = nt.apply(p.to);
        const double rows[2][9] = {{f.x, f.y, 1, 0, 0, 0, -f.x * t.x, -f.y * t.x, t.x},
                                   {0, 0, 0, f.x, f.y, 1, -f.x * t.y, -f.y * t.y, t.y}};
        for (const auto& row : rows)
            for (int i = 0; i < 8; ++i) {
                for (int j = 0; j < 8; ++j) ata[i * 8 + j] += p.weight * row[i] * row[j];
                atb[i] += p.weight * row[i] * row[8];
            }
    }
    std::array<double, 8> h{};
    if (!solve<8>(ata, atb, h)) return std::nullopt;
    // Undo the normalisations: M = Tto^-1 H Tfrom.
    const double H[9] = {h[0], h[1], h[2], h[3], h[4], h[5], h[6], h[7], 1};
    const double Tf[9] = {nf.scale, 0, -nf.cx * nf.scale, 0, nf.scale, -nf.cy * nf.scale, 0, 0, 1};
    const double TtInv[9] = {1 / nt.scale, 0, nt.cx, 0, 1 / nt.scale, nt.cy, 0, 0, 1};
    double HT[9] = {}, M[9] = {};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            for (int k = 0; k < 3; ++k) HT[r * 3 + c] += H[r * 3 + k] * Tf[k * 3 + c];
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            for (int k = 0; k < 3; ++k) M[r * 3 + c] += TtInv[r * 3 + k] * HT[k * 3 + c];
    std::array<double, 9> values;
    for (int i = 0; i < 9; ++i) {
        if (!std::isfinite(M[i])) return std::nullopt;
        values[i] = M[i];
    }
    return PerspectiveTransform(values);
}
