// A picture as grey levels, one byte per pixel (0 = black), row by row: what every later stage
// reads. Copies made from it for the reader's retries (half size, smoothed) keep this shape.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/imaging.h"

struct GreyImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;

    const uint8_t* row(int y) const { return pixels.data() + static_cast<size_t>(y) * width; }
    uint8_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// Luma with weights 30/59/11 percent; an empty or inconsistent picture gives an empty image.
GreyImage toGrey(const platform::RgbImage& picture);
// Each pixel the mean of a 2 x 2 square (the last odd row or column dropped).
GreyImage halfSize(const GreyImage& grey);
// A 3 x 3 box blur (edges repeat the border pixels): takes the grain of print and sensor noise.
// `storage`: memory no longer needed, which the copy takes over.
GreyImage smoothed(const GreyImage& grey, std::vector<uint8_t> storage = {});
