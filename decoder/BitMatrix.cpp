#include "decoder/BitMatrix.h"

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

BitMatrix BitMatrix::transposed() const {
    BitMatrix t(h, w);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) t.cells[t.index(y, x)] = cells[index(x, y)];
    return t;
}

void BitMatrix::invert() {
    for (uint8_t& c : cells) c ^= 1;
}
