#include "decoder/FinderPattern.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

#include "decoder/ReaderTuning.h"
#include "decoder/RunScan.h"

namespace {

using Runs = std::array<int, 5>;

// The cell value a pattern is drawn in: 1 (dark) for an ordinary symbol, 0 for a light-on-dark
// one. Outside the picture there is no ink.
bool inkAt(const BitMatrix& bits, int x, int y, uint8_t ink) {
    return x >= 0 && y >= 0 && x < bits.width() && y < bits.height() && bits.get(x, y) == (ink != 0);
}

double total(const Runs& r) { return r[0] + r[1] + r[2] + r[3] + r[4]; }

// How far the five runs are from 1:1:3:1:1: the largest deviation of a run from its expected
// width, relative to that width. A run's edges fall on whole pixels: modules of one to three
// pixels round to runs up to a pixel off (none at exactly one), which is forgiven; from three
// pixels on the tolerance itself covers it.
double ratioDeviation(const Runs& r) {
    const double module = total(r) / 7;
    const double rounding = std::clamp(std::min(module - 1, 3 - module), 0.0, 1.0);
    double worst = 0;
    for (int i = 0; i < 5; ++i) {
        const double expected = (i == 2 ? 3 : 1) * module;
        worst = std::max(worst, std::max(0.0, std::abs(r[i] - expected) - rounding) / expected);
    }
    return worst;
}

bool fitsRatio(const Runs& r, double tolerance) { return total(r) >= 7 && ratioDeviation(r) < tolerance; }

// fitsRatio(r, 0.5), as most readers hold rows to it, in integers for the row scan's inner
// loop (in sevenths of a pixel, the rounding 7 min(m - 1, 3 - m) = min(T - 7, 21 - T) up to 7):
// 2 (|7 r - T| - rounding) < T for the narrow runs, 2 (|7 r - 3 T| - rounding) < 3 T for the middle.
bool fitsRowRatio(const Runs& r) {
    const int t = r[0] + r[1] + r[2] + r[3] + r[4];
    if (t < 7) return false;
    const int rounding = std::clamp(std::min(t - 7, 21 - t), 0, 7);
    // The middle run first: texture and print cross a row as runs of about one width, which
    // pass as the narrow ones.
    if (2 * (std::abs(7 * r[2] - 3 * t) - rounding) >= 3 * t) return false;
    for (const int i : {0, 1, 3, 4})
        if (2 * (std::abs(7 * r[i] - t) - rounding) >= t) return false;
    return true;
}

// Stripes, weaves and knits cross a row as runs of about one width, which the ratio test lets
// pass with a middle run only a little wider than the gaps beside it. A finder pattern's centre
// square is three times its light ring, and a threshold that widens the ring as far as the ratio
// test still allows leaves it at least one and a half times as wide. Patterns of a pixel or two
// per module, whose runs are rounded to whole pixels, are left to the ratio test alone.
bool stripeLike(const Runs& r) {
    return total(r) >= tuning::kCentreRatioFrom && r[2] < tuning::kLeastCentreToRing * std::max(r[1], r[3]);
}

// The five runs ink, gap, ink, gap, ink around the ink cell (x, y) along (dx, dy), none of the
// outer four longer than `limit` nor either half of the middle one longer than twice that.
// `centre` gets the middle of the central run, in steps from (x, y).
bool crossRuns(const BitMatrix& bits, int x, int y, int dx, int dy, int limit, uint8_t ink, Runs& runs, double& centre) {
    if (!inkAt(bits, x, y, ink)) return false;
    // Steps from (x, y) that stay inside the picture, each way.
    const auto room = [&](int sign) {
        int steps = 1 << 30;
        if (sign * dx > 0) steps = std::min(steps, bits.width() - 1 - x);
        if (sign * dx < 0) steps = std::min(steps, x);
        if (sign * dy > 0) steps = std::min(steps, bits.height() - 1 - y);
        if (sign * dy < 0) steps = std::min(steps, y);
        return steps;
    };
    const int roomBefore = room(-1), roomAfter = room(1);
    const uint8_t* origin = bits.row(y) + x;
    const ptrdiff_t stride = static_cast<ptrdiff_t>(dy) * bits.width() + dx;
    // Cells of one kind from step `from` on, at most cap + 1 of them.
    const auto along = [&](int sign, int from, bool wantInk, int cap) {
        const int last = std::min(sign > 0 ? roomAfter : roomBefore, from + cap);
        const uint8_t want = wantInk ? ink : static_cast<uint8_t>(ink ^ 1);
        int step = from;
        while (step <= last && origin[sign * step * stride] == want) ++step;
        return step - from;
    };
    const int before = along(-1, 1, true, 2 * limit), after = along(1, 1, true, 2 * limit);
    if (before > 2 * limit || after > 2 * limit) return false;
    runs[1] = along(-1, before + 1, false, limit);
    runs[0] = along(-1, before + 1 + runs[1], true, limit);
    runs[3] = along(1, after + 1, false, limit);
    runs[4] = along(1, after + 1 + runs[3], true, limit);
    for (const int k : {0, 1, 3, 4})
        if (runs[k] == 0 || runs[k] > limit) return false;
    runs[2] = before + after + 1;
    centre = (after - before) / 2.0;
    return true;
}

// Checks a row hit at (x, y) with `rowTotal` pixels across: down the column, back across the
// row, and along the diagonals. Fills the candidate on success.
bool confirm(const BitMatrix& bits, double x, int y, double rowTotal, uint8_t ink, FinderCandidate& found) {
    const int limit = static_cast<int>(rowTotal);
    Runs down, across, diagonal, antidiagonal;
    double offset;
    if (!crossRuns(bits, static_cast<int>(x), y, 0, 1, limit, ink, down, offset) || !fitsRatio(down, tuning::kCrossTolerance)) return false;
    // Tilt shortens one direction.
    const double ratio = total(down) / rowTotal;
    if (ratio < 1 / tuning::kMostFinderStretch || ratio > tuning::kMostFinderStretch) return false;
    const double cy = y + offset + 0.5;
    if (!crossRuns(bits, static_cast<int>(x), static_cast<int>(cy), 1, 0, limit, ink, across, offset) ||
        !fitsRatio(across, tuning::kCrossTolerance))
        return false;
    const double cx = static_cast<int>(x) + offset + 0.5;
    const int ix = static_cast<int>(cx), iy = static_cast<int>(cy);
    const int diagonalLimit = static_cast<int>(std::max(total(down), total(across)));
    const bool d1 = crossRuns(bits, ix, iy, 1, 1, diagonalLimit, ink, diagonal, offset) && fitsRatio(diagonal, tuning::kDiagonalTolerance);
    const bool d2 = crossRuns(bits, ix, iy, 1, -1, diagonalLimit, ink, antidiagonal, offset) && fitsRatio(antidiagonal, tuning::kDiagonalTolerance);
    if (!d1 && !d2) return false;
    found.centre = {cx, cy};
    // A line crosses the square at its width only along the square's own axes, longer at any
    // other angle: of the four directions, the two nearest the axes give the module.
    double widths[4] = {total(down), total(across), d1 ? total(diagonal) * std::sqrt(2.0) : 1e300,
                        d2 ? total(antidiagonal) * std::sqrt(2.0) : 1e300};
    std::sort(widths, widths + 4);
    found.moduleSize = (widths[0] + widths[1]) / 14;
    found.widths = {static_cast<float>(total(across)), static_cast<float>(d1 ? total(diagonal) * std::sqrt(2.0) : 0),
                    static_cast<float>(total(down)), static_cast<float>(d2 ? total(antidiagonal) * std::sqrt(2.0) : 0)};
    double deviation = ratioDeviation(down) + ratioDeviation(across);
    deviation += d1 ? ratioDeviation(diagonal) : 1;
    deviation += d2 ? ratioDeviation(antidiagonal) : 1;
    found.fit = std::max(0.0, 1 - deviation / 4);
    found.hits = 1;
    return true;
}

// The candidates found so far, looked up by position in cells of 64 pixels. A picture made to
// hold more patterns than any symbol needs stops adding them at `limit`.
class CandidateList {
public:
    CandidateList(int width, int height, size_t limit)
        : limit(limit), columns(cell(width) + 1), rows(cell(height) + 1), cells(static_cast<size_t>(columns) * rows) {}

    // The candidate that a hit at (x, y) of `moduleSize` belongs to, if any.
    FinderCandidate* near(double x, double y, double moduleSize) {
        const double reach = 3 * moduleSize;  // merged candidates are at most twice the size apart
        const int x0 = std::max(0, cell(x - reach)), x1 = std::min(columns - 1, cell(x + reach));
        const int y0 = std::max(0, cell(y - reach)), y1 = std::min(rows - 1, cell(y + reach));
        for (int cy = y0; cy <= y1; ++cy)
            for (int cx = x0; cx <= x1; ++cx) {
                for (const size_t i : cells[static_cast<size_t>(cy) * columns + cx]) {
                    FinderCandidate& c = list[i];
                    const double r = 1.5 * std::max(c.moduleSize, moduleSize);
                    if (std::abs(c.centre.x - x) < r && std::abs(c.centre.y - y) < r && c.moduleSize < 2 * moduleSize &&
                        moduleSize < 2 * c.moduleSize)
                        return &c;
                }
            }
        return nullptr;
    }

    // Whether the list takes no more patterns: a hit outside those tracked is not worth checking.
    bool full() const { return list.size() >= limit; }

    void add(const FinderCandidate& hit) {
        FinderCandidate* c = near(hit.centre.x, hit.centre.y, hit.moduleSize);
        if (c == nullptr) {
            if (full()) {
                ++untracked;
                return;
            }
            const int cx = std::clamp(cell(hit.centre.x), 0, columns - 1), cy = std::clamp(cell(hit.centre.y), 0, rows - 1);
            cells[static_cast<size_t>(cy) * columns + cx].push_back(list.size());
            list.push_back(hit);
            return;
        }
        const double n = c->hits;
        c->centre = (c->centre * n + hit.centre) * (1 / (n + 1));
        c->moduleSize = (c->moduleSize * n + hit.moduleSize) / (n + 1);
        c->fit = (c->fit * n + hit.fit) / (n + 1);
        for (size_t k = 0; k < c->widths.size(); ++k)
            if (c->widths[k] <= 0 || hit.widths[k] <= 0) c->widths[k] = std::max(c->widths[k], hit.widths[k]);
            else c->widths[k] = static_cast<float>((c->widths[k] * n + hit.widths[k]) / (n + 1));
        c->hits += 1;
    }

    std::vector<FinderCandidate> list;
    int untracked = 0;

private:
    // Negative positions (a reach past the picture's edge) all fall before the first cell.
    static int cell(double v) { return v < 0 ? -1 : static_cast<int>(v) / 64; }
    size_t limit;
    int columns, rows;
    std::vector<std::vector<size_t>> cells;  // row by row
};

// Runs of one row; every time a run closes five runs in the ratio, the hit is checked: a dark
// run closes a dark-on-light pattern, a light run a light-on-dark one.
void scanRow(const BitMatrix& bits, int y, CandidateList (&found)[2]) {
    const uint8_t* row = bits.row(y);
    const int width = bits.width();
    Runs runs{};
    int starts[5] = {};
    int count = 0;
    for (int x = 0; x < width;) {
        const uint8_t colour = row[x];
        const int start = x;
        x = runEnd(row, x, width);
        for (int k = 0; k < 4; ++k) runs[k] = runs[k + 1], starts[k] = starts[k + 1];
        runs[4] = x - start;
        starts[4] = start;
        if (++count < 5 || !fitsRowRatio(runs)) continue;
        if (stripeLike(runs)) continue;
        const double rowTotal = total(runs);
        const double cx = starts[2] + runs[2] / 2.0;
        CandidateList& list = found[colour];
        if (FinderCandidate* known = list.near(cx, y + 0.5, rowTotal / 7)) {
            known->hits += 1;  // another row through a pattern already confirmed
            continue;
        }
        if (list.full()) {
            ++list.untracked;
            continue;
        }
        FinderCandidate hit;
        if (confirm(bits, cx, y, rowTotal, colour, hit)) list.add(hit);
    }
}

// Ranks by score, best first, and keeps at most `cap`.
std::vector<FinderCandidate> ranked(std::vector<FinderCandidate> list, int rowStep, size_t cap, int& dropped) {
    for (FinderCandidate& c : list) {
        // A true pattern is crossed by about as many scanned rows as its centre square is high.
        const double expectedRows = std::max(1.0, 3 * c.moduleSize / rowStep);
        c.score = c.fit * std::min(1.0, c.hits / expectedRows) + 0.1 * c.fit;
    }
    std::sort(list.begin(), list.end(), [](const FinderCandidate& a, const FinderCandidate& b) { return a.score > b.score; });
    if (list.size() > cap) {
        dropped += static_cast<int>(list.size() - cap);
        list.resize(cap);
    }
    return list;
}

}  // namespace

double FinderCandidate::moduleAlong(PicturePoint direction) const {
    // Between the two measured directions nearest, linearly. The angle, in eighths of a turn, is
    // a pseudo-angle without trigonometry (this runs for every pair of partners): monotonic in
    // the true one, exact at multiples of 45 degrees and within 4 degrees between.
    const double ax = std::abs(direction.x), ay = std::abs(direction.y);
    if (!(ax + ay > 0)) return moduleSize;
    double angle = ay / (ax + ay) * 2;  // 0..2 over the first quarter turn
    if ((direction.x < 0) != (direction.y < 0) && angle > 0) angle = 4 - angle;  // the second, as lines
    const int k = std::min(static_cast<int>(angle), 3), next = (k + 1) % 4;
    if (widths[k] <= 0 || widths[next] <= 0) return moduleSize;
    const double share = angle - k;
    const double module = (widths[k] * (1 - share) + widths[next] * share) / 7;
    // A ring merged with the data beside it in one direction: not this pattern's width.
    if (module < moduleSize / 3 || module > 3 * moduleSize) return moduleSize;
    return module;
}

FinderSearch findFinderPatterns(const BitMatrix& bits, size_t cap, int rowStep) {
    const size_t limit = std::max<size_t>(tuning::kLeastTrackedFinders, tuning::kTrackedPerCandidate * cap);
    CandidateList found[2] = {{bits.width(), bits.height(), limit}, {bits.width(), bits.height(), limit}};  // [0]: light on dark, [1]: dark on light
    rowStep = std::max(1, rowStep);
    for (int y = rowStep / 2; y < bits.height(); y += rowStep) scanRow(bits, y, found);
    FinderSearch search;
    search.dropped = found[1].untracked;
    search.invertedDropped = found[0].untracked;
    search.candidates = ranked(std::move(found[1].list), rowStep, cap, search.dropped);
    search.invertedCandidates = ranked(std::move(found[0].list), rowStep, cap, search.invertedDropped);
    return search;
}

namespace {

// The ends of the row spans of the dark region through (x, y), within `radius` of `centre`:
// only the ends matter, as the extreme point of a row in any direction is one of them. Empty when
// the region holds more than `most` pixels.
std::vector<PicturePoint> spanEnds(const BitMatrix& bits, int x, int y, PicturePoint centre, double radius, double most) {
    const int y0 = std::max(0, static_cast<int>(centre.y - radius));
    const int y1 = std::min(bits.height() - 1, static_cast<int>(centre.y + radius));
    if (y1 < y0) return {};
    // Each row's columns within the circle, and which of them the region's spans so far cover.
    const int rows = y1 - y0 + 1;
    std::vector<int> rowLo(static_cast<size_t>(rows)), rowHi(static_cast<size_t>(rows));
    int left = bits.width(), right = -1;
    for (int k = 0; k < rows; ++k) {
        const double dy = y0 + k + 0.5 - centre.y, half = std::sqrt(std::max(0.0, radius * radius - dy * dy));
        rowLo[k] = std::max(0, static_cast<int>(std::ceil(centre.x - half - 0.5)));
        rowHi[k] = std::min(bits.width() - 1, static_cast<int>(std::floor(centre.x + half - 0.5)));
        if (rowLo[k] <= rowHi[k]) left = std::min(left, rowLo[k]), right = std::max(right, rowHi[k]);
    }
    if (right < left) return {};
    const int boxWidth = right - left + 1;
    std::vector<uint8_t> filled(static_cast<size_t>(rows) * boxWidth, 0);
    std::vector<std::pair<int, int>> seeds{{x, y}};
    std::vector<PicturePoint> ends;
    double area = 0;
    while (!seeds.empty()) {
        const auto [sx, sy] = seeds.back();
        seeds.pop_back();
        const int lo = rowLo[sy - y0], hi = rowHi[sy - y0];
        uint8_t* covered = filled.data() + static_cast<size_t>(sy - y0) * boxWidth;  // from column `left` on
        if (sx < lo || sx > hi || covered[sx - left]) continue;
        const uint8_t* row = bits.row(sy);
        int a = sx, b = sx;
        while (a > lo && row[a - 1]) --a;
        while (b < hi && row[b + 1]) ++b;
        std::fill(covered + (a - left), covered + (b - left + 1), uint8_t{1});
        if ((area += b - a + 1) > most) return {};
        ends.push_back({a + 0.5, sy + 0.5});
        ends.push_back({b + 0.5, sy + 0.5});
        // A seed where each dark run of the next row begins below or above the span; those
        // outside that row's limits or covered already would only be dropped when taken.
        for (const int ny : {sy - 1, sy + 1}) {
            if (ny < y0 || ny > y1) continue;
            const uint8_t* next = bits.row(ny);
            const uint8_t* nextCovered = filled.data() + static_cast<size_t>(ny - y0) * boxWidth;
            const int from = std::max(a, rowLo[ny - y0]), to = std::min(b, rowHi[ny - y0]);
            for (int nx = from; nx <= to; ++nx)
                if (next[nx] && (nx == a || !next[nx - 1]) && !nextCovered[nx - left]) seeds.emplace_back(nx, ny);
        }
    }
    return ends;
}

// The four corners of a square-like region from its boundary points: the farthest from the
// centre, then the farthest along the other three diagonal directions; out to the pixels' edges.
std::array<PicturePoint, 4> extremeCorners(const std::vector<PicturePoint>& points, PicturePoint centre) {
    PicturePoint u{1, 0};
    double farthest = -1;
    for (const PicturePoint& p : points)
        if (const double d2 = dot(p - centre, p - centre); d2 > farthest) farthest = d2, u = p - centre;
    u = u * (1 / std::max(length(u), 1e-9));
    const PicturePoint directions[4] = {u, {-u.y, u.x}, u * -1, {u.y, -u.x}};
    PicturePoint extremes[4];
    double best[4] = {-1e300, -1e300, -1e300, -1e300};
    for (const PicturePoint& p : points)
        for (int k = 0; k < 4; ++k)
            if (const double v = dot(p - centre, directions[k]); v > best[k]) best[k] = v, extremes[k] = p - centre;
    std::array<PicturePoint, 4> corners;
    for (int k = 0; k < 4; ++k)
        corners[k] = centre + extremes[k] + PicturePoint{extremes[k].x > 0 ? 0.5 : -0.5, extremes[k].y > 0 ? 0.5 : -0.5};
    return corners;
}

// Whether the region's outline is round rather than a quadrilateral: about as wide in every
// direction, with a different farthest point in each (tuning::kRoundWidthRatio, kRoundExtremes).
bool roundOutline(const std::vector<PicturePoint>& points, PicturePoint centre, double moduleSize) {
    constexpr int kDirections = 16;
    std::array<double, kDirections> reach{};
    std::vector<PicturePoint> distinct;
    for (int d = 0; d < kDirections; ++d) {
        const double angle = d * 2 * std::numbers::pi / kDirections;
        const PicturePoint u{std::cos(angle), std::sin(angle)};
        PicturePoint farthest = centre;
        reach[d] = -1e300;
        for (const PicturePoint& p : points)
            if (const double v = dot(p - centre, u); v > reach[d]) reach[d] = v, farthest = p;
        if (std::none_of(distinct.begin(), distinct.end(), [&](PicturePoint q) { return distance(q, farthest) <= moduleSize; }))
            distinct.push_back(farthest);
    }
    double narrowest = 1e300, widest = 0;
    for (int d = 0; d < kDirections / 2; ++d) {
        const double width = reach[d] + reach[d + kDirections / 2];
        narrowest = std::min(narrowest, width), widest = std::max(widest, width);
    }
    return narrowest >= tuning::kRoundWidthRatio * widest && static_cast<int>(distinct.size()) > tuning::kRoundExtremes;
}

}  // namespace

std::optional<FinderRing> traceFinderRing(const BitMatrix& bits, const FinderCandidate& c) {
    // The outer ring: from the centre along the row, past the centre square and the light ring.
    const int cy = static_cast<int>(c.centre.y);
    int x = static_cast<int>(c.centre.x);
    const int reach = static_cast<int>(7 * c.moduleSize) + 2;
    int steps = 0;
    while (bits.getOrLight(x, cy) && steps < reach) ++x, ++steps;
    while (!bits.getOrLight(x, cy) && steps < reach && x < bits.width()) ++x, ++steps;
    if (!bits.getOrLight(x, cy)) return std::nullopt;
    // The ring within a radius of 7 modules: beyond the corners of even a tilted pattern, short
    // of most of the symbol's data.
    // A ring fills less than the square it bounds (with a pixel of blur round it); a region that
    // fills more runs on into something else (texture, print), whose extremes are no corners.
    const double outer = 7 * c.moduleSize + 2;
    const std::vector<PicturePoint> ends = spanEnds(bits, x, cy, c.centre, outer, outer * outer);
    if (ends.empty()) return std::nullopt;
    const std::array<PicturePoint, 4> corners = extremeCorners(ends, c.centre);
    // A square-like quadrilateral of about the pattern's size.
    double area = 0;
    for (int i = 0; i < 4; ++i) area += cross(corners[i] - c.centre, corners[(i + 1) % 4] - c.centre) / 2;
    const double expected = 49 * c.moduleSize * c.moduleSize;
    if (area < expected / 4 || area > expected * 4) return std::nullopt;
    if (roundOutline(ends, c.centre, c.moduleSize)) return FinderRing{};
    return FinderRing{corners};
}
