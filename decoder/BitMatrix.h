// A two-valued grid: a binarised picture or a symbol's module matrix. Cells are stored row by
// row, one byte each (1 = dark, 0 = light), so a row is a plain byte array for fast scans.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class BitMatrix {
public:
    BitMatrix() = default;
    // width x height light cells; a negative size gives an empty matrix.
    BitMatrix(int width, int height);

    int width() const { return w; }
    int height() const { return h; }
    bool empty() const { return cells.empty(); }

    // (x, y) must lie inside: x is the column from the left, y the row from the top.
    bool get(int x, int y) const { return cells[index(x, y)] != 0; }
    void set(int x, int y, bool dark) { cells[index(x, y)] = dark ? 1 : 0; }
    void flip(int x, int y) { cells[index(x, y)] ^= 1; }
    // Light outside the grid.
    bool getOrLight(int x, int y) const { return x >= 0 && y >= 0 && x < w && y < h && get(x, y); }

    const uint8_t* row(int y) const { return cells.data() + static_cast<size_t>(y) * w; }
    uint8_t* row(int y) { return cells.data() + static_cast<size_t>(y) * w; }

    // Makes the grid width x height, keeping its storage; the cells' values are left as they
    // happen to be, for callers that write every cell (a picture's next bit image).
    void reshape(int width, int height);
    // The cells' memory, for a caller that builds a buffer of its own in it (the reader's
    // smoothed copy of a picture); the grid is left empty.
    std::vector<uint8_t> releaseStorage();
    // A width x height grid over `cells`, row by row, each 0 or 1.
    static BitMatrix adopt(int width, int height, std::vector<uint8_t> cells);

    // The grid mirrored about its main diagonal: cell (x, y) becomes (y, x).
    BitMatrix transposed() const;
    // Every cell flipped.
    void invert();

    bool operator==(const BitMatrix& other) const = default;

private:
    size_t index(int x, int y) const { return static_cast<size_t>(y) * w + x; }

    int w = 0;
    int h = 0;
    std::vector<uint8_t> cells;
};
