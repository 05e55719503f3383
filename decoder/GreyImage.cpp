#include "decoder/GreyImage.h"

#include <algorithm>
#include <utility>

#include "decoder/PixelKernels.h"

GreyImage toGrey(const platform::RgbImage& picture) {
    GreyImage grey;
    const size_t count = static_cast<size_t>(picture.width) * static_cast<size_t>(std::max(picture.height, 0));
    if (picture.width <= 0 || picture.height <= 0 || picture.rgb.size() < count * 3) return grey;
    grey.width = picture.width;
    grey.height = picture.height;
    grey.pixels.resize(count);
    kernels::rgbToGrey(picture.rgb.data(), grey.pixels.data(), count);
    return grey;
}

GreyImage halfSize(const GreyImage& grey) {
    GreyImage half;
    half.width = grey.width / 2;
    half.height = grey.height / 2;
    if (half.width == 0 || half.height == 0) return GreyImage();
    half.pixels.resize(static_cast<size_t>(half.width) * half.height);
    for (int y = 0; y < half.height; ++y) {
        const uint8_t* a = grey.row(2 * y);
        const uint8_t* b = grey.row(2 * y + 1);
        uint8_t* out = half.pixels.data() + static_cast<size_t>(y) * half.width;
        for (int x = 0; x < half.width; ++x) out[x] = static_cast<uint8_t>((a[2 * x] + a[2 * x + 1] + b[2 * x] + b[2 * x + 1] + 2) / 4);
    }
    return half;
}

GreyImage smoothed(const GreyImage& grey, std::vector<uint8_t> storage) {
    const int w = grey.width, h = grey.height;
    if (w < 3 || h < 3) return grey;
    GreyImage out{w, h, std::move(storage)};
    out.pixels.resize(grey.pixels.size());
    std::vector<uint16_t> columns(static_cast<size_t>(w));  // sums of three rows per column
    for (int y = 0; y < h; ++y) {
        kernels::columnSums3(grey.row(std::max(y - 1, 0)), grey.row(y), grey.row(std::min(y + 1, h - 1)), columns.data(),
                             static_cast<size_t>(w));
        kernels::boxRow(columns.data(), out.pixels.data() + static_cast<size_t>(y) * w, static_cast<size_t>(w));
    }
    return out;
}
