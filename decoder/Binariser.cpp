#include "decoder/Binariser.h"

#include "decoder/PixelKernels.h"
#include "decoder/PrefixSums.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>

namespace {

constexpr int kBlock = 8;

int blocksFor(int pixels) { return (pixels + kBlock - 1) / kBlock; }

// The dark/light level of each block: its mean where it holds an edge; for an even block, a
// level below its own minimum (it reads light) unless its neighbours above and to the left,
// already computed, say it lies in a dark area. `even` marks the even blocks.
std::vector<int> blockLevels(const GreyImage& grey, int bw, int bh, int evenRange, std::vector<uint8_t>& even) {
    std::vector<int> levels(static_cast<size_t>(bw) * bh);
    even.assign(levels.size(), 0);
    const size_t width = static_cast<size_t>(grey.width);
    std::vector<uint8_t> columnLo(width), columnHi(width);
    std::vector<uint16_t> columnSum(width);
    for (int by = 0; by < bh; ++by) {
        // Each column's extremes and sum over the block row's eight rows, then per block.
        const int y0 = std::min(by * kBlock, grey.height - kBlock);
        const uint8_t* rows[kBlock];
        for (int k = 0; k < kBlock; ++k) rows[k] = grey.row(y0 + k);
        kernels::columnStatistics(rows, kBlock, width, columnLo.data(), columnHi.data(), columnSum.data());
        for (int bx = 0; bx < bw; ++bx) {
            const int x0 = std::min(bx * kBlock, grey.width - kBlock);
            int sum = 0, lo = 255, hi = 0;
            for (int x = x0; x < x0 + kBlock; ++x) {
                sum += columnSum[x];
                lo = std::min<int>(lo, columnLo[x]);
                hi = std::max<int>(hi, columnHi[x]);
            }
            int level = sum / (kBlock * kBlock);
            if (hi - lo <= evenRange) {
                even[static_cast<size_t>(by) * bw + bx] = 1;
                level = lo / 2;
                if (by > 0 && bx > 0) {
                    const auto at = [&](int x, int y) { return levels[static_cast<size_t>(y) * bw + x]; };
                    const int neighbours = (at(bx, by - 1) + 2 * at(bx - 1, by) + at(bx - 1, by - 1)) / 4;
                    if (lo < neighbours) level = neighbours;
                }
            }
            levels[static_cast<size_t>(by) * bw + bx] = level;
        }
    }
    return levels;
}

// The threshold of each block: the mean level of the blocks with an edge among the 5 x 5
// around it (the square moved inwards at the picture's edges), or of all of them where none has
// one. An even block's level only says which side of its neighbours it lies on.
std::vector<int> blockThresholds(const std::vector<int>& levels, const std::vector<uint8_t>& even, int bw, int bh) {
    const auto at = [&](int bx, int by) { return static_cast<size_t>(by) * bw + bx; };
    const PrefixSums all(bw, bh, [&](int bx, int by) { return levels[at(bx, by)]; });
    const PrefixSums edges(bw, bh, [&](int bx, int by) { return even[at(bx, by)] ? 0 : levels[at(bx, by)]; });
    const PrefixSums edgeCounts(bw, bh, [&](int bx, int by) { return even[at(bx, by)] ? 0 : 1; });
    std::vector<int> thresholds(levels.size());
    for (int by = 0; by < bh; ++by) {
        const int cy = bh >= 5 ? std::clamp(by, 2, bh - 3) : by;
        const int y0 = std::max(cy - 2, 0), y1 = std::min(cy + 2, bh - 1);
        for (int bx = 0; bx < bw; ++bx) {
            const int cx = bw >= 5 ? std::clamp(bx, 2, bw - 3) : bx;
            const int x0 = std::max(cx - 2, 0), x1 = std::min(cx + 2, bw - 1);
            const int64_t edgeCount = edgeCounts.over(x0, y0, x1 + 1, y1 + 1);
            thresholds[at(bx, by)] =
                static_cast<int>(edgeCount > 0 ? edges.over(x0, y0, x1 + 1, y1 + 1) / edgeCount
                                               : all.over(x0, y0, x1 + 1, y1 + 1) / ((x1 - x0 + 1) * (y1 - y0 + 1)));
        }
    }
    return thresholds;
}

}  // namespace

namespace {

// Each row of the picture against its blocks' thresholds: `write(y, levels)` with the threshold
// of each of row y's pixels.
template <typename WriteRow>
void thresholdRows(const GreyImage& grey, int evenRange, WriteRow write) {
    const int bw = blocksFor(grey.width), bh = blocksFor(grey.height);
    std::vector<uint8_t> even;
    const std::vector<int> levels = blockLevels(grey, bw, bh, evenRange, even);
    const std::vector<int> thresholds = blockThresholds(levels, even, bw, bh);
    const int width = grey.width;
    std::vector<uint8_t> rowLevels(static_cast<size_t>(width));  // each pixel's threshold in a row of blocks
    for (int y = 0; y < grey.height; ++y) {
        if (y % kBlock == 0) {
            const int* rowThresholds = thresholds.data() + static_cast<size_t>(y / kBlock) * bw;
            for (int x0 = 0; x0 < width; x0 += kBlock)
                std::fill_n(rowLevels.data() + x0, std::min(kBlock, width - x0),
                            static_cast<uint8_t>(std::clamp(rowThresholds[x0 / kBlock], 0, 255)));
        }
        write(y, rowLevels.data());
    }
}

}  // namespace

BitMatrix binariseLocal(const GreyImage& grey, int evenRange, BitMatrix storage) {
    if (grey.width < kBlock || grey.height < kBlock) return binariseGlobal(grey, std::move(storage));
    BitMatrix bits = std::move(storage);
    bits.reshape(grey.width, grey.height);
    const size_t width = static_cast<size_t>(grey.width);
    thresholdRows(grey, evenRange,
                  [&](int y, const uint8_t* levels) { kernels::thresholdEach(grey.row(y), levels, bits.row(y), width); });
    return bits;
}

BitMatrix binariseLocalSmoothed(const GreyImage& grey, int evenRange, BitMatrix storage) {
    if (grey.width < kBlock || grey.height < kBlock) return binariseLocal(smoothed(grey), evenRange, std::move(storage));
    GreyImage smooth = smoothed(grey, storage.releaseStorage());
    // Each row's thresholds depend on the blocks alone, all measured before the first row is
    // written: a row is read (from a copy) and written as bits in its own place.
    const size_t width = static_cast<size_t>(smooth.width);
    std::vector<uint8_t> row(width);
    thresholdRows(smooth, evenRange, [&](int y, const uint8_t* levels) {
        uint8_t* pixels = smooth.pixels.data() + static_cast<size_t>(y) * width;
        std::copy(pixels, pixels + width, row.begin());
        kernels::thresholdEach(row.data(), levels, pixels, width);
    });
    return BitMatrix::adopt(smooth.width, smooth.height, std::move(smooth.pixels));
}

BitMatrix binariseGlobal(const GreyImage& grey, BitMatrix storage) {
    BitMatrix bits = std::move(storage);
    bits.reshape(grey.width, grey.height);
    if (bits.empty()) return bits;
    // The histogram of every other pixel of every other row (the threshold comes out the same,
    // at a quarter of the cost), in two interleaved counts so that equal neighbours do not wait
    // on one another.
    std::array<std::array<uint32_t, 256>, 2> counts{};
    const int step = grey.width >= 64 && grey.height >= 64 ? 2 : 1;
    for (int y = 0; y < grey.height; y += step) {
        const uint8_t* p = grey.row(y);
        int x = 0;
        for (; x + 2 * step <= grey.width; x += 2 * step) ++counts[0][p[x]], ++counts[1][p[x + step]];
        for (; x < grey.width; x += step) ++counts[0][p[x]];
    }
    std::array<double, 256> histogram{};
    double total = 0;
    for (int v = 0; v < 256; ++v) total += histogram[v] = double(counts[0][v]) + counts[1][v];
    const size_t n = grey.pixels.size();
    double sumAll = 0;
    for (int v = 0; v < 256; ++v) sumAll += v * histogram[v];
    // Otsu: the threshold with the largest variance between the two classes.
    double below = 0, sumBelow = 0, best = -1;
    int threshold = 127;
    for (int t = 0; t < 256; ++t) {
        below += histogram[t];
        sumBelow += t * histogram[t];
        const double above = total - below;
        if (below == 0 || above == 0) continue;
        const double meanBelow = sumBelow / below, meanAbove = (sumAll - sumBelow) / above;
        const double between = below * above * (meanBelow - meanAbove) * (meanBelow - meanAbove);
        if (between > best) best = between, threshold = t;
    }
    kernels::thresholdAll(grey.pixels.data(), static_cast<uint8_t>(threshold), bits.row(0), n);
    return bits;
}
