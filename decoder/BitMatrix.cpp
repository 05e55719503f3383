#include "decoder/BitMatrix.h"

#include <utility>

BitMatrix::BitMatrix(int width, int height) {
    if (width <= 0 || height <= 0) return;
    w = width;
    h = height;
    cells.assign(static_cast<size_t>(w) * h, 0);
}

void BitMatrix::reshape(int width, int height) {
    if (width <= 0 || height <= 0) {
        *this = BitMatrix();
        return;
    }
    w = width;
    h = height;
    cells.resize(static_cast<size_t>(w) * h);
}

std::vector<uint8_t> BitMatrix::releaseStorage() {
    std::vector<uint8_t> storage = std::move(cells);
    *this = BitMatrix();
    return storage;
}

BitMatrix BitMatrix::adopt(int width, int height, std::vector<uint8_t> cells) {
    BitMatrix m;
    if (width <= 0 || height <= 0 || cells.size() != static_cast<size_t>(width) * height) return m;
    m.w = width;
    m.h = height;
    m.cells = std::move(cells);
    return m;
}

BitMatrix BitMatrix::transposed() const {
    BitMatrix t(h, w);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) t.cells[t.index(y, x)] = cells[index(x, y)];
    return t;
}

void BitMatrix::invert() {
    for (uint8_t& c : cells) c ^= 1;
}
