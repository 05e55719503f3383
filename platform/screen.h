// Grabbing what is on the screen: on X11 straight from the X server (every screen of the
// display, side by side in one picture), on Wayland through the desktop portal's Screenshot
// interface over D-Bus. No Qt here, so that the command-line tool grabs exactly as the desktop
// program does. Blocking: the desktop program calls it off its interface thread.
#pragma once

#include <string>

#include "platform/imaging.h"

namespace platform {

enum class ScreenGrabError {
    None,
    NoDisplay,   // neither a Wayland nor an X display is named in the environment
    NoPortal,    // a Wayland session without a desktop portal that takes screenshots
    Refused,     // the portal (or the user it asked) refused the screenshot
    Failed,      // the display or the portal failed otherwise
};

struct ScreenGrab {
    ScreenGrabError error = ScreenGrabError::None;
    std::string detail;  // one line, in English, for logs and the command line; empty on success
    RgbImage picture;    // the whole screen on success, empty otherwise
};

// Which way GrabScreen goes for an environment: Wayland when WAYLAND_DISPLAY is set or the
// session type says so (an X server there is Xwayland, which sees only its own clients), else X11
// when DISPLAY is set.
enum class ScreenBackend { None, X11, WaylandPortal };
ScreenBackend ScreenBackendFor(const char* waylandDisplay, const char* sessionType, const char* x11Display);

// Grabs every screen, as ScreenBackendFor chooses from the process's environment.
ScreenGrab GrabScreen();

// The two ways, for callers and tests that choose. `display` null: $DISPLAY.
ScreenGrab GrabX11Screens(const char* display = nullptr);
// Asks the portal on the session bus ($DBUS_SESSION_BUS_ADDRESS) for a screenshot without its
// interactive dialog, waiting up to `timeoutMs` for the answer.
ScreenGrab GrabPortalScreenshot(int timeoutMs = 60000);

}  // namespace platform
