// From grey levels to dark and light pixels.
#pragma once

#include "decoder/BitMatrix.h"
#include "decoder/GreyImage.h"
#include "decoder/ReaderTuning.h"

// A threshold per 8 x 8 block, from the block's own range and its neighbours': follows light
// gradients and shadows across the picture. Blocks whose grey levels span no more than
// `evenRange` count as even and take their neighbours' level, so large modules and empty
// margins stay whole. `storage`: a bit image no longer needed, whose memory the result takes
// over (a picture's rungs are of one size: fresh pages cost more than the thresholds).
BitMatrix binariseLocal(const GreyImage& grey, int evenRange = tuning::kEvenRange, BitMatrix storage = {});

// binariseLocal of a 3 x 3 smoothed copy of the picture (print grain, sensor noise, faint
// contrast), the copy made in `storage`'s memory and turned into the bit image where it lies:
// a picture-sized buffer fewer to fill.
BitMatrix binariseLocalSmoothed(const GreyImage& grey, int evenRange, BitMatrix storage = {});

// One threshold for the whole picture (Otsu's: the level that best separates the two classes
// of its histogram). The fallback for pictures whose blocks mislead the local one.
BitMatrix binariseGlobal(const GreyImage& grey, BitMatrix storage = {});
