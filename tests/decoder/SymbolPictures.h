// Test pictures of symbols made by CQREncoder: quiet zone, scale, quarter turns, light gradient.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "encoder/QR_Encode.h"
#include "platform/imaging.h"

namespace dectest {

struct Rendering {
    int scale = 4;
    int quietZone = 4;
    int quarterTurns = 0;      // clockwise
    bool gradient = false;     // light from the left falling to the right
};

inline std::unique_ptr<CQREncoder> encodeSymbol(const std::string& text, int level, int version, int mask = -1) {
    auto e = std::make_unique<CQREncoder>();
    const int ok = e->encode(level, version, 0, mask, reinterpret_cast<const unsigned char*>(text.data()),
                             static_cast<int>(text.size()));
    if (ok != 1) return nullptr;
    return e;
}

// Module value after the requested turn, at picture module (mx, my).
inline bool darkAfterTurn(const CQREncoder& e, int mx, int my, int turns) {
    const int n = e.side;
    int x = mx, y = my;
    switch (turns & 3) {
        case 1: x = my; y = n - 1 - mx; break;          // turned 90 degrees clockwise
        case 2: x = n - 1 - mx; y = n - 1 - my; break;
        case 3: x = n - 1 - my; y = mx; break;
        default: break;
    }
    return e.modules[x][y] != 0;
}

inline platform::RgbImage render(const CQREncoder& e, const Rendering& r) {
    const int n = e.side;
    const int sidePx = (n + 2 * r.quietZone) * r.scale;
    platform::RgbImage image(sidePx, sidePx, 0xFF);
    for (int py = 0; py < sidePx; ++py) {
        for (int px = 0; px < sidePx; ++px) {
            const int mx = px / r.scale - r.quietZone, my = py / r.scale - r.quietZone;
            const bool dark = mx >= 0 && my >= 0 && mx < n && my < n && darkAfterTurn(e, mx, my, r.quarterTurns);
            int light = 255, shade = 0;
            if (r.gradient) {
                // Strong light across the picture: the light level falls from 255 to 90 and the dark
                // one rises from 0 to 70, so no single threshold separates the whole picture.
                light = 255 - 165 * px / sidePx;
                shade = 70 * px / sidePx;
            }
            const uint8_t v = static_cast<uint8_t>(dark ? shade : light);
            uint8_t* p = image.pixel(px, py);
            p[0] = p[1] = p[2] = v;
        }
    }
    return image;
}

}  // namespace dectest
