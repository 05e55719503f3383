// From grey levels to dark and light pixels.
#pragma once

#include "decoder/BitMatrix.h"
#include "decoder/GreyImage.h"
#include "decoder/ReaderTuning.h"

// A threshold per 8 x 8 block, from the block's own range and its neighbours': follows light
// gradients and shadows across the picture. Blocks whose grey levels span no more than
// `evenRange` count as even and take their neighbours' level, so large modules and empty
// margins stay whole.
BitMatrix binariseLocal(const GreyImage& grey, int evenRange = tuning::kEvenRange);

// One threshold for the whole picture (Otsu's: the level that best separates the two classes
// of its histogram). The fallback for pictures whose blocks mislead the local one.
BitMatrix binariseGlobal(const GreyImage& grey);
