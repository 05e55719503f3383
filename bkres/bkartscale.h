// Skin art for dense screens: the "@2x" twins of the images in res/ fitted to the screen's
// device pixels (scale 1.25, 1.5, 2 ...).
#pragma once

#include "platform/imaging.h"

class BkArtScale {
public:
    // `art` drawn at `artScale` pixels per logical pixel, refitted to `scale` device pixels per
    // logical pixel. Each logical pixel's art lands on exactly the device pixels the drawing code
    // gives that logical pixel (edge e at device pixel round(e * scale)) and is averaged by area
    // within it, so the frames of a strip and the parts of a nine-patch never bleed into each
    // other and a line one logical pixel wide stays solid. Colours are weighted by alpha. An
    // empty image when `art` is not a whole number of logical pixels each way.
    static platform::RgbaImage Fit(const platform::RgbaImage& art, int artScale, double scale);

    // The same for a bitmap whose FF00FF pixels are the transparent ones of a colour key: a
    // device pixel is FF00FF where that covers at least half of it, otherwise the average of
    // the rest, so that no blend with the key colour shows at an edge.
    static platform::RgbImage FitKeyed(const platform::RgbImage& art, int artScale, double scale);
};
