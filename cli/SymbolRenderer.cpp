#include "cli/SymbolRenderer.h"

#include "encoder/QR_Encode.h"

SymbolRenderer::SymbolRenderer(const CQREncoder& encoder, int scale, int quietZone)
    : side_(encoder.side), scale_(scale), quietZone_(quietZone), dark_(static_cast<size_t>(side_) * side_) {
    for (int y = 0; y < side_; ++y)
        for (int x = 0; x < side_; ++x) dark_[static_cast<size_t>(y) * side_ + x] = encoder.modules[x][y];
}

bool SymbolRenderer::darkWithQuietZone(int x, int y) const {
    x -= quietZone_;
    y -= quietZone_;
    return x >= 0 && y >= 0 && x < side_ && y < side_ && dark(x, y);
}

platform::BilevelImage SymbolRenderer::toImage() const {
    return platform::BilevelImage::fromCells(dark_.data(), side_, scale_, quietZone_);
}

std::string SymbolRenderer::toSvg() const { return platform::svgFromCells(dark_.data(), side_, scale_, quietZone_); }

std::string SymbolRenderer::toMatrixText() const {
    std::string text;
    text.reserve(static_cast<size_t>(side_ + 1) * side_);
    for (int y = 0; y < side_; ++y) {
        for (int x = 0; x < side_; ++x) text += dark(x, y) ? '1' : '0';
        text += '\n';
    }
    return text;
}

std::string SymbolRenderer::toHalfBlockText(bool ansiColours) const {
    static const char* const kCells[4] = {" ", "\u2584", "\u2580", "\u2588"};  // by top * 2 + bottom
    const int across = side_ + 2 * quietZone_;
    std::string text;
    for (int y = 0; y < across; y += 2) {
        if (ansiColours) text += "\x1b[30;107m";
        for (int x = 0; x < across; ++x) {
            const int top = darkWithQuietZone(x, y) ? 1 : 0;
            const int bottom = y + 1 < across && darkWithQuietZone(x, y + 1) ? 1 : 0;
            text += kCells[top * 2 + bottom];
        }
        if (ansiColours) text += "\x1b[0m";
        text += '\n';
    }
    return text;
}
