// A place for a real platform window (`realwnd`): the owner code creates the real control as
// a child of the host window with this element's command id as its control id; the element
// moves and sizes it to its rectangle, shows and hides it with itself, and paints nothing.
#pragma once

#include "bkwin/bkwnd.h"
#include "platform/window.h"

class CBkRealWnd : public CBkWindow {
public:
    const char* GetObjectClass() const override { return "realwnd"; }

    // The real child window of the container with this element's command id, or null.
    platform::HWND GetRealHWnd() const;
    // Shows the real window when `show` and the element and all its ancestors are visible;
    // hides it otherwise.
    void ShowRealWindow(bool show);

    // Moves a real window hosted by an element to `rc` (container coordinates) and tells the
    // container with code 2 (BKNM_REALWND_RESIZED) for element `cmdId`. With `repaint`, a
    // visible window is also repainted and brought back into view.
    static void PlaceHostedWindow(platform::HWND container, unsigned cmdId, platform::HWND real,
                                  const platform::RECT& rc, bool repaint);

protected:
    void OnPaint(platform::HDC) override {}
    void OnWindowPosChanged(const BkWindowPos& pos) override;
    void OnShowWindow(bool show, platform::LPARAM status) override;
    void OnDestroy() override;
};
