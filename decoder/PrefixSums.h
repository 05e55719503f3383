// Sums over any rectangle of a grid of values in constant time, from running sums.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class PrefixSums {
public:
    // A width x height grid; value(x, y) gives each cell.
    template <typename Value>
    PrefixSums(int width, int height, Value value) : w(width + 1), sums(static_cast<size_t>(width + 1) * (height + 1), 0) {
        for (int y = 0; y < height; ++y) {
            int64_t row = 0;
            for (int x = 0; x < width; ++x) {
                row += value(x, y);
                sums[index(x + 1, y + 1)] = sums[index(x + 1, y)] + row;
            }
        }
    }

    // The sum over columns x0..x1 - 1 and rows y0..y1 - 1 (half-open, within the grid).
    int64_t over(int x0, int y0, int x1, int y1) const {
        return sums[index(x1, y1)] - sums[index(x0, y1)] - sums[index(x1, y0)] + sums[index(x0, y0)];
    }

private:
    size_t index(int x, int y) const { return static_cast<size_t>(y) * w + x; }
    int w;
    std::vector<int64_t> sums;
};
