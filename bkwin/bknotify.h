// The notification records that elements and the host send as WM_NOTIFY to the host's parent
// (the header's idFrom is the host's control id 1000). Codes 1 to 5; 1000 (invalidate) is in
// bkwin/bkwnd.h.
#pragma once

#include "platform/types.h"

inline constexpr platform::UINT BKNM_COMMAND = 1;            // a click completed on an element
inline constexpr platform::UINT BKNM_REALWND_RESIZED = 2;    // a realwnd or edit moved its window
inline constexpr platform::UINT BKNM_MOUSEHOVER = 3;         // the mouse entered the host
inline constexpr platform::UINT BKNM_MOUSELEAVE = 4;         // the mouse left the host
inline constexpr platform::UINT BKNM_TAB_SELCHANGE = 5;      // a tab control is about to change page

// Code 1: the element's command id and its tag name ("richtext" for a rich-text link, empty for
// OK and Cancel from the keyboard).
struct BKNMCOMMAND {
    platform::NMHDR hdr;
    int uItemID = 0;
    const char* szItemClass = "";
};

// Code 2: the element's command id and the real window's new rectangle (host coordinates).
struct BKNMREALWNDRESIZED {
    platform::NMHDR hdr;
    int uItemID = 0;
    platform::RECT rcWnd;
};

// Code 5: the tab control's command id, the new and the old page index; the receiver sets
// bCancel to keep the old page.
struct BKNMTABSELCHANGE {
    platform::NMHDR hdr;
    int uTabID = 0;
    int nTabItemIDNew = -1;
    int nTabItemIDOld = -1;
    bool bCancel = false;
};
