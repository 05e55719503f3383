#include "decoder/FinderPattern.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "decoder/Axis.h"
#include "decoder/DecoderTables.h"
#include "decoder/DetectionState.h"

namespace {

constexpr int64_t kRatio[5] = {1, 1, 3, 1, 1};

// The finder-ratio test on runs r[(k + 1 + i) mod 5], i = 0..4 (oldest first). A cheap
// necessary condition on the middle run comes first: 2.5 m <= r << s <= 3.5 m with
// S * 2^s / 7 - 1 < m <= S * 2^s / 7 gives 5 S - 35 <= 14 r <= 7 S.
inline bool finderRatio(const int32_t* runs, int k, int precisionBits) {
    const int64_t sum = static_cast<int64_t>(runs[0]) + runs[1] + runs[2] + runs[3] + runs[4];
    const int64_t middle = runs[(k + 3) % 5];
    if (14 * middle > 7 * sum || 14 * middle < 5 * sum - 35) return false;
    const int64_t m = (sum << precisionBits) / 7;
    const int64_t t = m / 2;
    int index = k;
    for (int i = 0; i < 5; ++i) {
        index = index == 4 ? 0 : index + 1;
        const int64_t r = static_cast<int64_t>(runs[index]) << precisionBits;
        if (r < kRatio[i] * m - t || r > kRatio[i] * m + t) return false;
    }
    return true;
}

// Bit j of the result is pixel j of the n <= 64 bytes at p (nonzero = dark).
inline uint64_t packPixels(const uint8_t* p, int n) {
#if defined(__SSE2__)
    alignas(16) uint8_t tail[64];
    if (n < 64) {
        std::memset(tail, 0, sizeof tail);
        std::memcpy(tail, p, static_cast<size_t>(n));
        p = tail;
    }
    const __m128i zero = _mm_setzero_si128();
    uint64_t bits = 0;
    for (int q = 0; q < 4; ++q) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * q));
        const unsigned light = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, zero)));
        bits |= static_cast<uint64_t>(~light & 0xFFFFu) << (16 * q);
    }
    return n < 64 ? bits & ((uint64_t{1} << n) - 1) : bits;
#else
    uint64_t bits = 0;
    for (int j = 0; j < n; ++j) bits |= static_cast<uint64_t>(p[j] != 0) << j;
    return bits;
#endif
}

// Runs of one line as the positions where they begin: runs[i] = boundary[i + 1] - boundary[i],
// the newest ending at the current pixel. Before the first change of a line every boundary is
// 0, which gives the runs of length 0 that a line starts with.
inline bool finderRatioAt(int32_t b0, int32_t b1, int32_t b2, int32_t b3, int32_t b4, int32_t end,
                          int precisionBits) {
    const int32_t r0 = b1 - b0, r1 = b2 - b1, r2 = b3 - b2, r3 = b4 - b3, r4 = end - b4;
    const int32_t sum = end - b0;  // a line length: 14 * sum fits 32 bits
    // Necessary bounds (see finderRatio), tested together so that noise costs one branch:
    // the ones within [S - 7, 3 S] / 14, the middle within [5 S - 35, 7 S] / 14; each range
    // test is one unsigned comparison of the offset from its low end.
    const uint32_t oneSpan = static_cast<uint32_t>(2 * sum + 7), middleSpan = static_cast<uint32_t>(2 * sum + 35);
    auto one = [sum, oneSpan](int32_t r) { return static_cast<uint32_t>(14 * r - sum + 7) <= oneSpan; };
    const bool plausible = one(r0) & one(r1) & one(r3) & one(r4) &
                           (static_cast<uint32_t>(14 * r2 - 5 * sum + 35) <= middleSpan);
    if (__builtin_expect(!plausible, 1)) return false;
    const int32_t runs[5] = {r0, r1, r2, r3, r4};
    return finderRatio(runs, 4, precisionBits);
}

// Transposes a 64 x 64 bit matrix in place: bit j of a[i] moves to bit i of a[j].
void transpose64(uint64_t* a) {
    uint64_t m = 0x00000000FFFFFFFFull;
    for (int j = 32; j != 0; j >>= 1, m ^= m << j) {
        for (int k = 0; k < 64; k = ((k | j) + 1) & ~j) {
            const uint64_t t = ((a[k] >> j) ^ a[k | j]) & m;
            a[k] ^= t << j;
            a[k | j] ^= t;
        }
    }
}

// Scanning state shared by every row and column: the colour carries over from one line to the
// next, the runs start again at 0. (The run index of a ring of five would carry over too, but
// the ratio test reads the runs relative to it, so only their order matters.) Runs are found
// 64 pixels at a time from the positions where the colour changes.
struct RunScanner {
    uint8_t colour = 0;

    static void shift(int32_t& b0, int32_t& b1, int32_t& b2, int32_t& b3, int32_t& b4, int32_t next) {
        b0 = b1;
        b1 = b2;
        b2 = b3;
        b3 = b4;
        b4 = next;
    }

    // Scans a line of `count` pixels packed 64 to a word (bit j of word w is pixel 64 w + j,
    // bits past the end clear); calls found(i, S) at each light pixel i that ends five runs in
    // the finder ratio, S being their sum. The runs are kept as the positions where they begin,
    // all 0 before the line's first change (the runs of length 0 a line starts with).
    template <typename Found>
    void scan(const uint64_t* words, int count, int precisionBits, Found&& found) {
        int32_t b0 = 0, b1 = 0, b2 = 0, b3 = 0, b4 = 0;
        bool dark = colour != 0;
        uint64_t previous = colour;  // the pixel before the first one has the current colour
        for (int base = 0, w = 0; base < count; base += 64, ++w) {
            const int n = std::min(64, count - base);
            const uint64_t pixels = words[w];
            uint64_t changes = pixels ^ ((pixels << 1) | previous);
            if (n < 64) changes &= (uint64_t{1} << n) - 1;
            previous = (pixels >> (n - 1)) & 1;
            // Changes alternate in colour: take them in pairs, a dark run's end first.
            if (!dark && changes != 0) {
                shift(b0, b1, b2, b3, b4, base + __builtin_ctzll(changes));
                changes &= changes - 1;
                dark = true;
            }
            while (changes != 0) {
                const int32_t end = base + __builtin_ctzll(changes);
                changes &= changes - 1;
                if (finderRatioAt(b0, b1, b2, b3, b4, end, precisionBits)) found(end, end - b0);
                shift(b0, b1, b2, b3, b4, end);
                if (changes == 0) {
                    dark = false;
                    break;
                }
                shift(b0, b1, b2, b3, b4, base + __builtin_ctzll(changes));
                changes &= changes - 1;
            }
        }
        colour = dark ? 1 : 0;
    }
};

}  // namespace

bool FinderPattern::matchesFinderRatio(const int32_t* runs, int k, int precisionBits) {
    return finderRatio(runs, k, precisionBits);
}

void FinderPattern::locate(const uint8_t* bitmapIn, int widthIn, int heightIn, int precisionBitsIn) {
    bitmap = bitmapIn;
    width = widthIn;
    height = heightIn;
    precisionBits = precisionBitsIn;
    runLines.clear();
    throughLines.clear();
    centres.clear();
    version = 0;

    findRunLines();
    if (detectionFailed) return;
    findThroughLines();
    findCentres();
    if (centres.size() < 3) {
        detectionFailed = true;
        return;
    }
    chooseCentres();
    findDirection();
    if (detectionFailed) return;
    orderCentres();
    measurePatternWidths();
    if (detectionFailed) return;
    estimateVersion();
    if (version > 6) readVersionInformation();
}

void FinderPattern::findRunLines() {
    runLines.clear();
    if (width <= 0 || height <= 0) {
        detectionFailed = true;
        return;
    }
    const size_t wordsPerRow = (static_cast<size_t>(width) + 63) / 64;
    const size_t wordsPerColumn = (static_cast<size_t>(height) + 63) / 64;
    // Rows packed 64 pixels to a word, padded to whole 64-row blocks for the transposition.
    std::vector<uint64_t> rows(wordsPerRow * wordsPerColumn * 64, 0);
    for (int y = 0; y < height; ++y) {
        const uint8_t* pixels = bitmap + static_cast<size_t>(y) * width;
        uint64_t* out = rows.data() + static_cast<size_t>(y) * wordsPerRow;
        for (size_t w = 0; w < wordsPerRow; ++w) {
            const int n = static_cast<int>(std::min<size_t>(64, static_cast<size_t>(width) - 64 * w));
            out[w] = packPixels(pixels + 64 * w, n);
        }
    }
    RunScanner scanner;
    for (int y = 0; y < height; ++y) {
        scanner.scan(rows.data() + static_cast<size_t>(y) * wordsPerRow, width, precisionBits,
                     [&](int x, int32_t s) { runLines.emplace_back(x - s, y, x - 1, y); });
    }
    rowLineCount = runLines.size();

    // Columns packed the same way, by transposing 64 x 64 blocks.
    std::vector<uint64_t> columns(wordsPerRow * 64 * wordsPerColumn, 0);
    uint64_t block[64];
    for (size_t by = 0; by < wordsPerColumn; ++by) {
        for (size_t bx = 0; bx < wordsPerRow; ++bx) {
            for (size_t i = 0; i < 64; ++i) block[i] = rows[(64 * by + i) * wordsPerRow + bx];
            transpose64(block);
            for (size_t j = 0; j < 64; ++j) columns[(64 * bx + j) * wordsPerColumn + by] = block[j];
        }
    }
    rows.clear();
    rows.shrink_to_fit();
    for (int x = 0; x < width; ++x) {
        scanner.scan(columns.data() + static_cast<size_t>(x) * wordsPerColumn, height, precisionBits,
                     [&](int y, int32_t s) { runLines.emplace_back(x, y - s, x, y - 1); });
    }
    if (runLines.empty()) detectionFailed = true;
}

// Grouping walks the candidates in order; a group grows by the first later candidate that
// touches its last line and closes at the first candidate more than one row (column) away, at
// one that crosses it, or at the last candidate. Taken groups leave the list, and the walk's
// start then advances past the next survivor as well, which is never visited again.
//
// Row lines only touch row lines of the next row (lines of one row end at least two pixels
// apart), and column lines only column lines of the next column, so the first touching
// candidate is found through an index by row and by column, and every closing case reduces to
// "no touching line in the next row or column". This gives the through lines of the plain walk
// over the list in near-linear time.
void FinderPattern::findThroughLines() {
    throughLines.clear();
    const int64_t n = static_cast<int64_t>(runLines.size());
    if (n < 2) return;

    // Start of the lines of each row (row lines) and each column (column lines).
    std::vector<int64_t> rowStart(static_cast<size_t>(height) + 2, 0), columnStart(static_cast<size_t>(width) + 2, 0);
    {
        int64_t i = 0;
        for (int y = 0; y <= height + 1; ++y) {
            while (i < static_cast<int64_t>(rowLineCount) && runLines[i].p1.y < y) ++i;
            rowStart[y] = i;
        }
        i = static_cast<int64_t>(rowLineCount);
        for (int x = 0; x <= width + 1; ++x) {
            while (i < n && runLines[i].p1.x < x) ++i;
            columnStart[x] = i;
        }
    }
    std::vector<uint8_t> removed(static_cast<size_t>(n), 0);

    auto firstTouching = [&](int64_t g) -> int64_t {
        const Line& line = runLines[g];
        const bool isRow = g < static_cast<int64_t>(rowLineCount);
        const int next = isRow ? line.p1.y + 1 : line.p1.x + 1;
        if (next < 0 || next > (isRow ? height : width)) return -1;
        const int64_t begin = isRow ? rowStart[next] : columnStart[next];
        const int64_t end = isRow ? rowStart[next + 1] : columnStart[next + 1];
        const int32_t key = isRow ? line.p2.x : line.p2.y;
        auto endOf = [&](int64_t i) { return isRow ? runLines[i].p2.x : runLines[i].p2.y; };
        int64_t lo = begin, hi = end;
        while (lo < hi) {
            const int64_t mid = (lo + hi) / 2;
            if (endOf(mid) < key - 1) lo = mid + 1;
            else hi = mid;
        }
        for (int64_t i = lo; i < end && endOf(i) <= key + 1; ++i) {
            if (!removed[i] && Line::touches(line, runLines[i])) return i;
        }
        return -1;
    };
    auto nextAlive = [&](int64_t i) {
        do ++i;
        while (i < n && removed[i]);
        return i;
    };

    int64_t last = n - 1;
    int64_t current = 0;
    std::vector<int64_t> members;
    while (current < last) {
        members.assign(1, current);
        int64_t g = current;
        bool taken;
        for (;;) {
            const int64_t t = firstTouching(g);
            if (t < 0) {
                taken = static_cast<int64_t>(members.size()) * 6 > runLines[g].length();
                break;
            }
            members.push_back(t);
            if (t == last) {
                taken = static_cast<int64_t>(members.size()) * 5 > runLines[t].length();
                break;
            }
            g = t;
        }
        if (taken) {
            throughLines.push_back(runLines[members[members.size() / 2]]);
            for (int64_t m : members) removed[m] = 1;
            while (last >= 0 && removed[last]) --last;
            current = nextAlive(nextAlive(current));
        } else {
            current = nextAlive(current);
        }
    }
}

void FinderPattern::findCentres() {
    centres.clear();
    const size_t count = throughLines.size();
    // Horizontal through lines (from rows) come before vertical ones (from columns), so every
    // crossing pair i < j is a horizontal line i and a vertical line j.
    size_t firstVertical = count;
    for (size_t i = 0; i < count; ++i) {
        if (!throughLines[i].horizontal()) {
            firstVertical = i;
            break;
        }
    }
    std::vector<std::vector<uint32_t>> verticalsByColumn(static_cast<size_t>(width) + 1);
    for (size_t j = firstVertical; j < count; ++j) {
        const Line& v = throughLines[j];
        if (!v.vertical()) continue;
        if (v.p1.x >= 0 && v.p1.x <= width) verticalsByColumn[v.p1.x].push_back(static_cast<uint32_t>(j));
    }
    std::vector<uint32_t> crossing;
    for (size_t i = 0; i < firstVertical; ++i) {
        const Line& h = throughLines[i];
        crossing.clear();
        const int from = std::max(h.p1.x + 1, 0), to = std::min(h.p2.x - 1, width);
        for (int x = from; x <= to; ++x) {
            for (uint32_t j : verticalsByColumn[x]) {
                if (Line::crosses(h, throughLines[j])) crossing.push_back(j);
            }
        }
        std::sort(crossing.begin(), crossing.end());
        for (uint32_t j : crossing) centres.emplace_back(h.middle().x, throughLines[j].middle().y);
    }
}

int FinderPattern::rowPatternWidth(const Point& centre) const {
    const int x = centre.x, y = centre.y;
    int lx = -1, edges = 0;
    for (int c = x; c >= 1; --c) {
        if (dark(c, y) && !dark(c - 1, y) && ++edges == 2) {
            lx = c;
            break;
        }
    }
    int rx = width;
    edges = 0;
    for (int c = x; c <= width - 2; ++c) {
        if (dark(c, y) && !dark(c + 1, y) && ++edges == 2) {
            rx = c;
            break;
        }
    }
    return rx - lx + 1;
}

namespace {

// How far three finder patterns may stray from the ideal: module sizes within 40% of each
// other (perspective), the two legs within 25% of each other, the hypotenuse's square within
// 25% of the legs' sum of squares, and legs of 8 to 200 modules (14 to 170 for upright symbols,
// widened for rotation, which stretches row widths, and for perspective).
constexpr double kMaxModuleRatio = 1.4;
constexpr double kMinLegRatio = 0.75;
constexpr double kMaxRightAngleError = 0.25;
constexpr double kMinLegModules = 8;
constexpr double kMaxLegModules = 200;
// Candidates beyond these are not considered (the triples grow with the cube of their count).
constexpr size_t kMaxCandidates = 40;

struct CentreCandidate {
    size_t index;     // in `centres`
    Point centre;
    double module;    // pattern width / 7
};

double squaredDistance(const Point& a, const Point& b) {
    const double dx = a.x - b.x, dy = a.y - b.y;
    return dx * dx + dy * dy;
}

// How far three candidates are from a symbol's finder patterns (0 = exactly), or a negative
// value when they cannot be one.
double finderTripleError(const CentreCandidate& a, const CentreCandidate& b, const CentreCandidate& c) {
    const double largest = std::max({a.module, b.module, c.module});
    const double smallest = std::min({a.module, b.module, c.module});
    if (largest > smallest * kMaxModuleRatio) return -1;
    double sides[3] = {squaredDistance(a.centre, b.centre), squaredDistance(b.centre, c.centre),
                       squaredDistance(c.centre, a.centre)};
    std::sort(std::begin(sides), std::end(sides));
    if (sides[0] <= 0) return -1;
    const double legRatio = std::sqrt(sides[0] / sides[1]);
    if (legRatio < kMinLegRatio) return -1;
    const double rightAngleError = std::abs(sides[2] - (sides[0] + sides[1])) / (sides[0] + sides[1]);
    if (rightAngleError > kMaxRightAngleError) return -1;
    const double module = (a.module + b.module + c.module) / 3;
    const double legModules = std::sqrt(sides[1]) / module;
    if (legModules < kMinLegModules || legModules > kMaxLegModules) return -1;
    return (largest / smallest - 1) + (1 - legRatio) + rightAngleError;
}

}  // namespace

void FinderPattern::chooseCentres() {
    if (centres.size() <= 3) return;
    std::vector<CentreCandidate> candidates;
    for (size_t i = 0; i < centres.size() && candidates.size() < kMaxCandidates; ++i) {
        const Point& p = centres[i];
        if (p.x < 1 || p.y < 1 || p.x >= width || p.y >= height) continue;
        const int patternWidth = rowPatternWidth(p);
        if (patternWidth < 7 || patternWidth >= width) continue;
        const double module = patternWidth / 7.0;
        // A second centre within the pattern's dark core is the same pattern found again.
        const bool again = std::any_of(candidates.begin(), candidates.end(), [&](const CentreCandidate& c) {
            return std::abs(c.centre.x - p.x) < 1.5 * c.module && std::abs(c.centre.y - p.y) < 1.5 * c.module;
        });
        if (!again) candidates.push_back({i, p, module});
    }
    double bestError = -1;
    size_t best[3] = {0, 0, 0};
    for (size_t a = 0; a < candidates.size(); ++a) {
        for (size_t b = a + 1; b < candidates.size(); ++b) {
            for (size_t c = b + 1; c < candidates.size(); ++c) {
                const double error = finderTripleError(candidates[a], candidates[b], candidates[c]);
                if (error >= 0 && (bestError < 0 || error < bestError)) {
                    bestError = error;
                    best[0] = a, best[1] = b, best[2] = c;
                }
            }
        }
    }
    if (bestError < 0) return;
    // The chosen three first, in their own order; the rest after them.
    std::vector<Point> reordered;
    reordered.reserve(centres.size());
    for (size_t k : best) reordered.push_back(candidates[k].centre);
    for (size_t i = 0; i < centres.size(); ++i) {
        if (i != candidates[best[0]].index && i != candidates[best[1]].index && i != candidates[best[2]].index) {
            reordered.push_back(centres[i]);
        }
    }
    centres = std::move(reordered);
}

void FinderPattern::findDirection() {
    const Point c0 = centres[0], c1 = centres[1], c2 = centres[2];
    const Line remote = Line::longestOf({Line(c0, c1), Line(c1, c2), Line(c2, c0)});
    Point origin;
    for (int i = 0; i < 3; ++i) {
        if (!(centres[i] == remote.p1) && !(centres[i] == remote.p2)) {
            origin = centres[i];
            break;
        }
    }
    const Point& p1 = remote.p1;
    const Point& p2 = remote.p2;
    Point far;
    if (origin.y <= p1.y && origin.y <= p2.y) far = p1.x < p2.x ? p2 : p1;
    else if (origin.x >= p1.x && origin.x >= p2.x) far = p1.y < p2.y ? p2 : p1;
    else if (origin.y >= p1.y && origin.y >= p2.y) far = p1.x < p2.x ? p1 : p2;
    else far = p1.y < p2.y ? p1 : p2;

    const int64_t r = Line(origin, far).length();
    if (r <= 0) {
        detectionFailed = true;
        return;
    }
    direction[0] = static_cast<int32_t>((static_cast<int64_t>(far.y - origin.y) << precisionBits) / r);
    direction[1] = static_cast<int32_t>((static_cast<int64_t>(far.x - origin.x) << precisionBits) / r);
}

Point FinderPattern::extremePoint(const std::vector<Point>& points, int first, int second) {
    const bool anyRight = first == kRight || second == kRight;
    const bool anyBottom = first == kBottom || second == kBottom;
    Point best(anyRight ? 0 : 25000, anyBottom ? 0 : 25000);
    for (const Point& p : points) {
        bool take = false;
        switch (first) {
            case kRight:
                take = p.x > best.x || (p.x == best.x && (second == kBottom ? p.y > best.y : p.y < best.y));
                break;
            case kBottom:
                take = p.y > best.y || (p.y == best.y && (second == kRight ? p.x > best.x : p.x < best.x));
                break;
            case kLeft:
                take = p.x < best.x || (p.x == best.x && (second == kBottom ? p.y > best.y : p.y < best.y));
                break;
            case kTop:
                take = p.y < best.y || (p.y == best.y && (second == kRight ? p.x > best.x : p.x < best.x));
                break;
            default:
                break;
        }
        if (take) best = p;
    }
    return best;
}

void FinderPattern::orderCentres() {
    const int32_t sin = direction[0], cos = direction[1];
    int quadrant = 0;
    if (sin >= 0 && cos > 0) quadrant = 1;
    else if (sin > 0 && cos <= 0) quadrant = 2;
    else if (sin <= 0 && cos < 0) quadrant = 3;
    else if (sin < 0 && cos >= 0) quadrant = 4;

    const std::vector<Point> three(centres.begin(), centres.begin() + 3);
    Point upperRight, lowerLeft;
    switch (quadrant) {
        case 1:
            upperRight = extremePoint(three, kRight, kBottom);
            lowerLeft = extremePoint(three, kBottom, kLeft);
            break;
        case 2:
            upperRight = extremePoint(three, kBottom, kLeft);
            lowerLeft = extremePoint(three, kTop, kLeft);
            break;
        case 3:
            upperRight = extremePoint(three, kLeft, kTop);
            lowerLeft = extremePoint(three, kRight, kTop);
            break;
        case 4:
            upperRight = extremePoint(three, kTop, kRight);
            lowerLeft = extremePoint(three, kBottom, kRight);
            break;
        default:
            break;
    }
    Point upperLeft;
    for (const Point& p : three) {
        if (!(p == upperRight) && !(p == lowerLeft)) upperLeft = p;
    }
    centres.assign({upperLeft, upperRight, lowerLeft});
}

void FinderPattern::measurePatternWidths() {
    for (int i = 0; i < 3; ++i) {
        const int x = centres[i].x, y = centres[i].y;
        // A centre on the picture's edge has no pattern around it. (Centres far from the corner
        // are read too: the fixed-point products are 64-bit, so large photos need no limit.)
        if (x < 1 || y < 1 || x >= width || y >= height) {
            detectionFailed = true;
            return;
        }
        patternWidths[i] = rowPatternWidth(centres[i]);
        modulePitches[i] = static_cast<int32_t>((static_cast<int64_t>(patternWidths[i]) << precisionBits) / 7);
    }
}

int FinderPattern::versionFromEstimate(int a) {
    return a / 4 + (a % 4 >= 2 ? 1 : 0);
}

void FinderPattern::estimateVersion() {
    const int64_t d = Line(centres[0], centres[1]).length();
    const int64_t widthSum = static_cast<int64_t>(patternWidths[0]) + patternWidths[1];
    const int64_t pitch = (widthSum << precisionBits) / 14;
    if (pitch <= 0) {
        version = 0;
        return;
    }
    const int64_t a = (d << precisionBits) / pitch - 10;
    version = versionFromEstimate(static_cast<int>(std::clamp<int64_t>(a, -1000000, 1000000)));
}

int FinderPattern::sampleBit(const Point& p) const {
    if (p.x < 0 || p.y < 0 || p.x >= width || p.y >= height) return 0;
    return dark(p.x, p.y) ? 1 : 0;
}

int FinderPattern::matchVersionBits(int bits) const {
    for (int k = 0; k < 34; ++k) {
        if (__builtin_popcount(static_cast<unsigned>(bits) ^ qrdec::kVersionCodewords[k]) <= 3) return 7 + k;
    }
    return 0;
}

void FinderPattern::readVersionInformation() {
    Axis axis(direction[0], direction[1], modulePitches[1], precisionBits);
    axis.moveTo(centres[1]);
    int bits = 0;
    for (int y = 0; y <= 5; ++y)
        for (int x = 0; x <= 2; ++x) bits |= sampleBit(axis.step(x - 7, y - 3)) << (3 * y + x);
    int found = matchVersionBits(bits);
    if (found == 0) {
        axis.setPitch(modulePitches[2]);
        axis.moveTo(centres[2]);
        bits = 0;
        for (int x = 0; x <= 5; ++x)
            for (int y = 0; y <= 2; ++y) bits |= sampleBit(axis.step(x - 3, y - 7)) << (3 * x + y);
        found = matchVersionBits(bits);
    }
    version = found;
}
