// The scale windows are drawn at: the screen's device pixel ratio (1, 1.25, 1.5, 2 ...), stepped
// down where a fixed window would not fit the screen at it.
#pragma once

#include "platform/types.h"

namespace platform {

// The scale for a window of `fit` pixels on a screen of device pixel ratio `ratio` whose
// available area is `availableWidth` x `availableHeight` device pixels: the ratio, or less in
// steps of a quarter until the window fits, 1 at the least.
double FittingScale(double ratio, int availableWidth, int availableHeight, SIZE fit);

// When a window of `fit` pixels (the program's fixed main window) would not fit the primary
// screen's available area at the screen's device pixel ratio, makes the application again with
// the scale FittingScale gives. Call right after making the Application, before any window.
// Returns the device pixel ratio windows are drawn at from then on.
double FitScaleToScreen(int& argc, char** argv, SIZE fit);

}  // namespace platform
