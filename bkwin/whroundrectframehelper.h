// Gives a top-level window its rounded outline: on every size change that is not a minimise
// and changes the size, the window region becomes the full rectangle without two pixels at
// each end of the first and last rows and one pixel at each end of the second and
// second-to-last rows.
#pragma once

#include "bkres/bkplatform.h"

class CWHRoundRectFrameHelper {
public:
    // The rounded region of a window of width x height (the caller owns it); null when a side
    // is smaller than 4.
    static HRGN CreateRoundRectRegion(int width, int height);

protected:
    // To be called from the window's message handling first; it never consumes the message.
    bool ProcessRoundRectMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

private:
    SIZE m_sizeWnd{0, 0};
};
