#include "cli/SymbolRenderer.h"

#include <utility>

SymbolRenderer::SymbolRenderer(int width, int height, std::vector<uint8_t> dark, int scale, int quietZone)
    : width_(width), height_(height), scale_(scale), quietZone_(quietZone), dark_(std::move(dark)) {}

bool SymbolRenderer::darkWithQuietZone(int x, int y) const {
    x -= quietZone_;
    y -= quietZone_;
    return x >= 0 && y >= 0 && x < width_ && y < height_ && dark(x, y);
}

platform::BilevelImage SymbolRenderer::toImage() const {
    return platform::BilevelImage::fromCells(dark_.data(), width_, height_, scale_, quietZone_);
}

std::string SymbolRenderer::toSvg() const {
    return platform::svgFromCells(dark_.data(), width_, height_, scale_, quietZone_);
}

std::string SymbolRenderer::toMatrixText() const {
    std::string text;
    text.reserve(static_cast<size_t>(width_ + 1) * height_);
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) text += dark(x, y) ? '1' : '0';
        text += '\n';
    }
    return text;
}

std::string SymbolRenderer::toHalfBlockText(bool ansiColours) const {
    static const char* const kCells[4] = {" ", "\u2584", "\u2580", "\u2588"};  // by top * 2 + bottom
    const int across = width_ + 2 * quietZone_;
    const int down = height_ + 2 * quietZone_;
    std::string text;
    for (int y = 0; y < down; y += 2) {
        if (ansiColours) text += "\x1b[30;107m";
        for (int x = 0; x < across; ++x) {
            const int top = darkWithQuietZone(x, y) ? 1 : 0;
            const int bottom = y + 1 < down && darkWithQuietZone(x, y + 1) ? 1 : 0;
            text += kCells[top * 2 + bottom];
        }
        if (ansiColours) text += "\x1b[0m";
        text += '\n';
    }
    return text;
}
