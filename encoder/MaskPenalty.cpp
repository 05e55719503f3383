#include "encoder/MaskPenalty.h"

#include <cstdlib>

namespace qrenc {

namespace {

// A line of W words; bit x is module x. Bits at and beyond the side are 0.
template <int W>
struct Line {
    uint64_t w[W];
};

template <int W>
Line<W> load(const uint64_t* words) {
    Line<W> r;
    for (int i = 0; i < W; ++i) r.w[i] = words[i];
    return r;
}

// Bit x of the result is bit x + k of a (k = 1..63); zeros come in from beyond the last word.
template <int W>
Line<W> shiftDown(const Line<W>& a, int k) {
    Line<W> r;
    for (int i = 0; i < W; ++i) r.w[i] = (a.w[i] >> k) | (i + 1 < W ? a.w[i + 1] << (64 - k) : 0);
    return r;
}

// Bit x of the result is bit x - k of a; zeros come in below bit 0.
template <int W>
Line<W> shiftUp(const Line<W>& a, int k) {
    Line<W> r;
    for (int i = 0; i < W; ++i) r.w[i] = (a.w[i] << k) | (i > 0 ? a.w[i - 1] >> (64 - k) : 0);
    return r;
}

template <int W>
Line<W> operator&(const Line<W>& a, const Line<W>& b) {
    Line<W> r;
    for (int i = 0; i < W; ++i) r.w[i] = a.w[i] & b.w[i];
    return r;
}

template <int W>
Line<W> operator|(const Line<W>& a, const Line<W>& b) {
    Line<W> r;
    for (int i = 0; i < W; ++i) r.w[i] = a.w[i] | b.w[i];
    return r;
}

template <int W>
Line<W> operator^(const Line<W>& a, const Line<W>& b) {
    Line<W> r;
    for (int i = 0; i < W; ++i) r.w[i] = a.w[i] ^ b.w[i];
    return r;
}

template <int W>
Line<W> operator~(const Line<W>& a) {
    Line<W> r;
    for (int i = 0; i < W; ++i) r.w[i] = ~a.w[i];
    return r;
}

// Inline bit count: the portable x86-64 baseline has no population-count instruction, and the
// library call std::popcount falls back to costs more than this.
inline int bitCount(uint64_t v) {
    v = v - ((v >> 1) & 0x5555555555555555ULL);
    v = (v & 0x3333333333333333ULL) + ((v >> 2) & 0x3333333333333333ULL);
    v = (v + (v >> 4)) & 0x0F0F0F0F0F0F0F0FULL;
    return static_cast<int>((v * 0x0101010101010101ULL) >> 56);
}

template <int W>
int popcount(const Line<W>& a) {
    int n = 0;
    for (int i = 0; i < W; ++i) n += bitCount(a.w[i]);
    return n;
}

// Bits 0 .. count - 1.
template <int W>
Line<W> lowBits(int count) {
    Line<W> r;
    for (int i = 0; i < W; ++i) {
        const int inWord = count - 64 * i;
        r.w[i] = inWord >= 64 ? ~uint64_t{0} : inWord <= 0 ? 0 : (uint64_t{1} << inWord) - 1;
    }
    return r;
}

// Rules 1 and 3 on one line. `pairs` marks the positions x with a module x + 1 (0 .. side - 2).
template <int W>
int linePenalty(const Line<W>& dark, const Line<W>& pairs) {
    // Rule 1: a run of n >= 5 holds n - 4 windows of five equal modules; with 2 more for the
    // window that starts the run it scores n - 2.
    const Line<W> equalNext = ~(dark ^ shiftDown(dark, 1)) & pairs;
    const Line<W> fiveEqual = equalNext & shiftDown(equalNext, 1) & shiftDown(equalNext, 2) & shiftDown(equalNext, 3);
    const Line<W> runStarts = fiveEqual & ~shiftUp(equalNext, 1);
    int penalty = popcount(fiveEqual) + 2 * popcount(runStarts);

    // Rule 3: dark, light, dark x 3, light, dark at j .. j + 6, light at j - 1 and j + 7, and
    // light at j - 4 .. j - 2 or at j + 8 .. j + 10. Positions beyond the side are 0 in `dark`,
    // so `light` reads them as light; below 0, shiftUp brings in 0 (light) as well.
    const Line<W> light = ~dark;
    const Line<W> pattern = dark & shiftDown(light, 1) & shiftDown(dark, 2) & shiftDown(dark, 3) & shiftDown(dark, 4) &
                            shiftDown(light, 5) & shiftDown(dark, 6);
    const Line<W> margins = ~shiftUp(dark, 1) & shiftDown(light, 7);
    const Line<W> before = ~(shiftUp(dark, 2) | shiftUp(dark, 3) | shiftUp(dark, 4));
    const Line<W> after = shiftDown(light, 8) & shiftDown(light, 9) & shiftDown(light, 10);
    penalty += 40 * popcount(pattern & margins & (before | after));
    return penalty;
}

template <int W>
int penaltyWithWords(const ModuleLines& lines) {
    const int side = lines.side;
    const Line<W> pairs = lowBits<W>(side - 1);
    int penalty = 0;
    int dark = 0;
    for (int i = 0; i < side; ++i) {
        const Line<W> row = load<W>(lines.rows[i]);
        penalty += linePenalty(row, pairs) + linePenalty(load<W>(lines.columns[i]), pairs);
        dark += popcount(row);
        if (i + 1 < side) {
            // Rule 2: M(x, y), M(x + 1, y), M(x, y + 1), M(x + 1, y + 1) of one colour.
            const Line<W> below = load<W>(lines.rows[i + 1]);
            const Line<W> sameVertically = ~(row ^ below);
            const Line<W> sameAcross = ~(row ^ shiftDown(row, 1));
            penalty += 3 * popcount(sameVertically & shiftDown(sameVertically, 1) & sameAcross & pairs);
        }
    }
    // Rule 4 counts light modules; the percentage is truncated before the difference.
    const int light = side * side - dark;
    const int percentLight = light * 100 / (side * side);
    penalty += (std::abs(50 - percentLight) / 5) * 10;
    return penalty;
}

}  // namespace

int penaltyOf(const ModuleLines& lines) {
    // Rules 1 and 3 read up to four positions past the last module: keep them inside the words.
    if (lines.side + 4 <= 64) return penaltyWithWords<1>(lines);
    if (lines.side + 4 <= 128) return penaltyWithWords<2>(lines);
    return penaltyWithWords<3>(lines);
}

}  // namespace qrenc
