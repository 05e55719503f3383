#include "bkres/bkartscale.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/gdi.h"

namespace {

struct Tap {
    int source;     // art pixel
    double weight;  // share of the device pixel it covers
};

// For every device pixel along one axis of `logical` logical pixels, the art pixels it covers.
std::vector<std::vector<Tap>> AxisTaps(int logical, int artScale, double scale) {
    std::vector<std::vector<Tap>> taps;
    for (int l = 0; l < logical; ++l) {
        const int d0 = platform::DeviceEdge(l, scale), d1 = platform::DeviceEdge(l + 1, scale);
        const int span = d1 - d0;
        for (int d = 0; d < span; ++d) {
            // This device pixel's share of the logical pixel, in art pixels.
            const double from = static_cast<double>(d) * artScale / span;
            const double to = static_cast<double>(d + 1) * artScale / span;
            std::vector<Tap> pixel;
            for (int a = static_cast<int>(std::floor(from)); a < to && a < artScale; ++a) {
                const double overlap = std::min<double>(a + 1, to) - std::max<double>(a, from);
                if (overlap > 1e-9) pixel.push_back(Tap{l * artScale + a, overlap / (to - from)});
            }
            taps.push_back(std::move(pixel));
        }
    }
    return taps;
}

}  // namespace

platform::RgbaImage BkArtScale::Fit(const platform::RgbaImage& art, int artScale, double scale) {
    platform::RgbaImage out;
    if (artScale < 1 || art.width <= 0 || art.height <= 0 || art.width % artScale || art.height % artScale ||
        art.rgba.size() != static_cast<size_t>(art.width) * art.height * 4 || !(scale >= 1.0 && scale <= 8.0)) {
        return out;
    }
    const auto columns = AxisTaps(art.width / artScale, artScale, scale);
    const auto rows = AxisTaps(art.height / artScale, artScale, scale);
    out.width = static_cast<int>(columns.size());
    out.height = static_cast<int>(rows.size());
    out.rgba.assign(static_cast<size_t>(out.width) * out.height * 4, 0);
    for (int y = 0; y < out.height; ++y) {
        for (int x = 0; x < out.width; ++x) {
            double r = 0, g = 0, b = 0, a = 0;
            for (const Tap& ty : rows[y]) {
                for (const Tap& tx : columns[x]) {
                    const uint8_t* p = &art.rgba[(static_cast<size_t>(ty.source) * art.width + tx.source) * 4];
                    const double w = ty.weight * tx.weight * p[3];
                    r += p[0] * w;
                    g += p[1] * w;
                    b += p[2] * w;
                    a += w;
                }
            }
            uint8_t* q = &out.rgba[(static_cast<size_t>(y) * out.width + x) * 4];
            if (a > 0) {
                q[0] = static_cast<uint8_t>(std::lround(r / a));
                q[1] = static_cast<uint8_t>(std::lround(g / a));
                q[2] = static_cast<uint8_t>(std::lround(b / a));
            }
            q[3] = static_cast<uint8_t>(std::lround(std::min(255.0, a)));
        }
    }
    return out;
}

platform::RgbImage BkArtScale::FitKeyed(const platform::RgbImage& art, int artScale, double scale) {
    platform::RgbaImage withAlpha;
    withAlpha.width = art.width;
    withAlpha.height = art.height;
    if (art.rgb.size() != static_cast<size_t>(art.width) * art.height * 3) return platform::RgbImage();
    withAlpha.rgba.resize(static_cast<size_t>(art.width) * art.height * 4);
    for (size_t i = 0, n = static_cast<size_t>(art.width) * art.height; i < n; ++i) {
        const uint8_t* p = &art.rgb[i * 3];
        const bool key = p[0] == 0xFF && p[1] == 0x00 && p[2] == 0xFF;
        std::copy(p, p + 3, &withAlpha.rgba[i * 4]);
        withAlpha.rgba[i * 4 + 3] = key ? 0 : 0xFF;
    }
    const platform::RgbaImage fitted = Fit(withAlpha, artScale, scale);
    if (fitted.width == 0) return platform::RgbImage();
    platform::RgbImage out(fitted.width, fitted.height);
    for (size_t i = 0, n = static_cast<size_t>(out.width) * out.height; i < n; ++i) {
        const uint8_t* p = &fitted.rgba[i * 4];
        uint8_t* q = &out.rgb[i * 3];
        if (p[3] >= 128) {
            std::copy(p, p + 3, q);
        } else {
            q[0] = 0xFF, q[1] = 0x00, q[2] = 0xFF;
        }
    }
    return out;
}
