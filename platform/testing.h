// Input for tests: real Qt input events delivered to a window's widget, so that they travel the
// same path as a user's (Qt event -> WM_* message with client coordinates -> capture and
// cursor handling -> window procedure). Works on the offscreen platform.
#pragma once

#include <string_view>

#include "platform/types.h"
#include "platform/window.h"

namespace platform::testing {

enum class MouseButton { None, Left, Right, Middle };
enum class MouseAction { Move, Press, Release, DoubleClick };

// A mouse event at client point (x, y) of `hwnd` (the window under the mouse); `button` is the
// button pressed or released (held buttons are remembered between calls), `keys` MK_SHIFT /
// MK_CONTROL. When the mouse comes from another window, that one first gets Qt's leave event
// and this one the enter event. A press on a real control reaches the control's inner widget
// under the point. Returns false for an invalid window.
bool InjectMouse(HWND hwnd, MouseAction action, int x, int y, MouseButton button = MouseButton::Left,
                 WPARAM keys = 0);
// The mouse leaves the window (Qt's leave event).
bool InjectMouseLeave(HWND hwnd);
// A wheel turn of `delta` (120 per notch) at client point (x, y).
bool InjectWheel(HWND hwnd, int x, int y, int delta);
// A key press and release on the window's widget or, when it has one, its focused child
// widget. virtualKey is a VK_* code (letters and digits as their ASCII upper case); `text` is
// what the key types (may be empty). `keys`: MK_SHIFT / MK_CONTROL held.
bool InjectKey(HWND hwnd, WPARAM virtualKey, std::u16string_view text = {}, WPARAM keys = 0);
// Types text into the focused widget of the window, one key event per character.
bool InjectText(HWND hwnd, std::u16string_view text);
// The window-manager close request (the title bar's close button, Alt+F4).
bool InjectCloseRequest(HWND hwnd);
// A drag of `data` entering at client point (x, y) of `hwnd` and dropped there, delivered as Qt
// delivers it: to the widget under the point that accepts drops, else its nearest parent that
// does. Returns whether the drop was accepted.
bool InjectDrop(HWND hwnd, int x, int y, const MimeData& data);

}  // namespace platform::testing
