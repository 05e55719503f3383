// The screen's region mode: the frozen screenshot shown over the whole screen, darkened, and a
// rectangle dragged over it with the mouse; the part inside shows at full brightness. Releasing
// the button picks the part; Escape or the right button gives up.
#pragma once

#include <optional>
#include <string>

#include "bkres/bkplatform.h"
#include "platform/imaging.h"

class CScreenRegionPicker {
public:
    // Rectangles smaller than this on either side count as a click, not a pick.
    static constexpr int kMinSide = 8;

    // Shows the picker at the screen's top-left corner, `hint` written at its top, and waits
    // (a modal loop) for the pick. Returns the part in the screenshot's pixels, clipped to it;
    // nullopt when given up.
    static std::optional<RECT> Pick(const platform::RgbImage& screenshot, const std::u16string& hint);

    // The picker's window while Pick waits (for tests), else null.
    static HWND Window();
};
