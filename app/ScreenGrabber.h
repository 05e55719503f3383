// The screen as the program's user sees it, without the program: the window is taken out of the
// way, the grab runs off the interface thread (a portal may take its time), and the result comes
// back on the interface thread.
#pragma once

#include <functional>
#include <thread>

#include "bkres/bkplatform.h"
#include "platform/screen.h"

class CScreenGrabber {
public:
    // How long the window system gets to take the window off the screen and to let the windows
    // beneath repaint before the grab.
    static constexpr UINT kSettleMs = 300;

    using Done = std::function<void(platform::ScreenGrab grab)>;

    CScreenGrabber();
    // Waits for a grab under way to end; `done` is not called then.
    ~CScreenGrabber();
    CScreenGrabber(const CScreenGrabber&) = delete;
    CScreenGrabber& operator=(const CScreenGrabber&) = delete;

    // Hides `window` (the caller shows it again in `done`), grabs every screen, and calls `done`
    // on the interface thread. False, doing nothing, while a grab is under way.
    bool Start(HWND window, Done done);
    bool Busy() const { return static_cast<bool>(m_done); }

private:
    LRESULT HelperProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    HWND m_helper = nullptr;  // hidden: the settling timer and the worker's posted result
    Done m_done;
    std::thread m_worker;
    platform::ScreenGrab m_grab;  // written by the worker, read after its post
};
