// Windows and messages, with the meaning of their Win32 counterparts: top-level and child
// windows with a window procedure, control ids, text, rectangles, visibility and enabled state;
// synchronous send and queued post; timers; mouse capture and leave tracking; cursors; window
// regions; minimise / maximise / restore; system move; monitor work areas; the message queue
// with quit messages for modal loops.
//
// Every window has a kept surface: a 32-bit bitmap of its client size that GetDC and
// BeginPaint draw on and that is put on the screen whenever Qt paints the window. A window has
// no non-client area: its client rectangle is the whole window, so WM_NCCALCSIZE is never sent.
// Surfaces start white; resizing keeps the overlapping part and invalidates the whole client.
//
// Messages the layer sends by itself:
// - WM_CREATE (lParam = CREATESTRUCT*; returning -1 fails the creation) at creation;
// - WM_WINDOWPOSCHANGED (lParam = WINDOWPOS*) after every move or size; DefWindowProc answers it
//   with WM_MOVE (lParam = client origin in parent coordinates) and WM_SIZE (wParam SIZE_*,
//   lParam = MAKELPARAM(width, height));
// - WM_SHOWWINDOW (wParam = shown) when ShowWindow changes visibility;
// - WM_PAINT when the window has an invalid region and Qt paints it, or from UpdateWindow;
// - WM_SETCURSOR (wParam = window, lParam = MAKELPARAM(HTCLIENT, mouse message)) before each
//   mouse message while the mouse is not captured; DefWindowProc sets the arrow (I-beam for
//   edit fields);
// - mouse messages with client coordinates in lParam and MK_* keys in wParam (WM_MOUSEMOVE,
//   WM_[LRM]BUTTONDOWN / UP / DBLCLK, WM_MOUSEWHEEL with screen coordinates), to the window under
//   the mouse or to the capture window;
// - WM_MOUSELEAVE once after TrackMouseEvent(TME_LEAVE) when the mouse leaves the window
//   (moving onto a child window, such as a real control, leaves the parent);
// - WM_KEYDOWN / WM_KEYUP (wParam VK_*) and WM_CHAR (one UTF-16 unit per message) to the focus
//   window; GetKeyState tells the modifiers;
// - WM_TIMER (wParam = timer id) for each tick of SetTimer;
// - WM_SYSCOMMAND SC_CLOSE when the user closes a top-level window through the window manager;
//   DefWindowProc turns it into WM_CLOSE, and WM_CLOSE into DestroyWindow;
// - WM_ACTIVATE, WM_SETFOCUS, WM_KILLFOCUS;
// - WM_COMMAND and notifications from the real controls (platform/controls.h) to their parent;
// - WM_CAPTURECHANGED (lParam = new capture window) to a window that loses the capture;
// - WM_CONTEXTMENU (wParam = window clicked, lParam = MAKELPARAM of the screen point) from
//   DefWindowProc on WM_RBUTTONUP; DefWindowProc passes a child's WM_CONTEXTMENU to its parent;
// - WM_COMMAND(MAKEWPARAM(cmd, 1), 0) for the keys of SetWindowAccelerators;
// - WM_DROPFILES (wParam = const MimeData*) for a drop on a window of DragAcceptFiles;
// - WM_DPICHANGED to a window (and to each of its children) moved to a screen of another device
//   pixel ratio, after its surface was made anew at the new ratio and wholly invalidated;
// - WM_DESTROY then WM_NCDESTROY (children before the window's WM_NCDESTROY) on destruction.
// A message sent or posted to a window that no longer exists is dropped.
//
// Everything here is for the user-interface thread only (but PostMessageFromAnyThread); an
// Application must exist.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/gdi.h"
#include "platform/types.h"

namespace platform {

// The Qt application (QApplication) the layer runs on. Create one before any other call and
// keep it for the whole run; its destructor destroys every window still alive. Without a
// display set (DISPLAY, WAYLAND_DISPLAY) and without QT_QPA_PLATFORM it selects the offscreen
// platform, so that tests and servers run.
class Application {
public:
    Application(int& argc, char** argv);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;
    // Whether the platform is offscreen (no real display).
    static bool isOffscreen();
    // Sets the desktop file name (application id) the window system shows icons by.
    static void setDesktopFileName(std::string_view id);
};

using WindowProc = std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)>;

// The procedure of windows that handle nothing themselves.
LRESULT DefWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Calls a procedure taken from SetWindowProc (subclassing).
LRESULT CallWindowProc(const WindowProc& proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// WM_CREATE lParam.
struct CREATESTRUCT {
    void* lpCreateParams = nullptr;
    HWND hwndParent = nullptr;
    int id = 0;
    int x = 0, y = 0, cx = 0, cy = 0;
    DWORD style = 0;
    DWORD exStyle = 0;
    std::u16string_view name;
    std::u16string_view className;
};

// Creates a window. className selects a real control: u"RichEdit20W" or u"EDIT" (edit field),
// u"COMBOBOX" (drop-down list), u"STATIC" (plain child with a kept surface); see
// platform/controls.h. Any other class name (or empty) makes a plain window whose messages go
// to `proc` (DefWindowProc when empty); controls use their own procedure and ignore `proc`.
// style: WS_CHILD makes a child of `parent` (required then) with control id `id` and x, y in
// the parent's client coordinates; otherwise a top-level window (owned by `parent` when given),
// drawn by the window manager with a title bar only when WS_CAPTION is set, else borderless;
// WS_EX_TOOLWINDOW and WS_EX_TOPMOST make a tool window kept on top. WS_VISIBLE shows it,
// WS_DISABLED disables it. WM_CREATE reaches `proc` before CreateWindowEx returns.
// Returns null on failure (child without a valid parent, WM_CREATE returning -1).
HWND CreateWindowEx(DWORD exStyle, std::u16string_view className, std::u16string_view text, DWORD style, int x,
                    int y, int width, int height, HWND parent, int id, WindowProc proc, void* createParam = nullptr);

// Destroys the window and its children (children first for WM_NCDESTROY), kills its timers,
// releases the capture if it holds it. Safe inside the window's own procedure.
bool DestroyWindow(HWND hwnd);
bool IsWindow(HWND hwnd);

// Replaces the window procedure and returns the previous one (subclassing).
WindowProc SetWindowProc(HWND hwnd, WindowProc proc);

// Named properties (SetProp / GetProp / RemoveProp).
bool SetProp(HWND hwnd, std::u16string_view name, void* value);
void* GetProp(HWND hwnd, std::u16string_view name);
void* RemoveProp(HWND hwnd, std::u16string_view name);

// ---------------------------------------------------------------------------------------------
// Messages.

// Calls the window's procedure now and returns its result (0 for an invalid window).
LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
// Queues the message; it is delivered to the procedure later, in posting order, by GetMessage
// + DispatchMessage or, when no GetMessage loop is waiting (Qt's own loop, a nested dialog or
// menu), by the layer itself. A null hwnd posts a thread message (delivered to no window, but it
// wakes a waiting GetMessage). False for an invalid non-null window.
bool PostMessage(HWND hwnd, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
// As PostMessage, but safe from any thread (a worker handing back its result): the message is
// posted on the user-interface thread. False when no Application exists.
bool PostMessageFromAnyThread(HWND hwnd, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
// Marks a quit as waiting (WM_QUIT with wParam = exitCode). It stays waiting until GetMessage
// or PeekMessage with PM_REMOVE takes it, so enclosing loops that test for it end too.
void PostQuitMessage(int exitCode);

struct MSG {
    HWND hwnd = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    DWORD time = 0;
    POINT pt;
};

inline constexpr UINT PM_NOREMOVE = 0;
inline constexpr UINT PM_REMOVE = 1;
// Looks at the queue without waiting. With filterMin = filterMax = 0 every message qualifies;
// otherwise only messages in [filterMin, filterMax]. A waiting quit qualifies as WM_QUIT (after
// the posted messages). Only messages for `hwnd` (and its children) qualify when it is not null.
bool PeekMessage(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags);
// Waits for the next posted message and removes it. While waiting, Qt's events run: input,
// timers and painting reach the window procedures directly, and each such round returns a
// WM_NULL message with a null hwnd, so that the caller's loop tests its end conditions after
// every event (as it would after dispatching one). Returns 0 when it takes a waiting quit
// (msg->message = WM_QUIT, wParam = exit code), else 1.
int GetMessage(MSG* msg, HWND hwnd = nullptr, UINT filterMin = 0, UINT filterMax = 0);
// Delivers a message taken from the queue to its window's procedure (nothing for thread
// messages or destroyed windows) and returns the result.
LRESULT DispatchMessage(const MSG* msg);
// Processes every Qt event and posted message that is ready, without waiting (for tests and
// busy phases).
void PumpMessages();

// Enter and Escape pressed in this window or any of its children, when the focused child does
// not use the key itself (a want-return edit field uses Enter), become
// WM_COMMAND(MAKEWPARAM(IDOK or IDCANCEL, BN_CLICKED), 0) sent to this window instead of key
// messages: the Enter / Escape part of the dialog-message processing of a modal loop. Tab and
// Shift+Tab there send it WM_NEXTDLGCTL first; when it returns 0 Qt moves the focus.
void SetDialogKeys(HWND hwnd, bool enabled);

// Accelerators (ACCEL.fVirt flags). The key is a VK_* code; letters and digits as their ASCII
// upper case.
inline constexpr BYTE FVIRTKEY = 0x01;
inline constexpr BYTE FSHIFT = 0x04;
inline constexpr BYTE FCONTROL = 0x08;
inline constexpr BYTE FALT = 0x10;
struct ACCEL {
    BYTE fVirt = FVIRTKEY;
    WORD key = 0;
    WORD cmd = 0;
};
// Key presses in the top-level window `hwnd` or any of its children that match an entry (the
// same key with exactly the same Shift, Ctrl and Alt) become WM_COMMAND(MAKEWPARAM(cmd, 1), 0)
// sent to `hwnd` instead of key messages, before the focused window or control sees them, as
// TranslateAccelerator in a message loop does. VK_RETURN matches the keypad's Enter too. An
// empty table removes the window's accelerators; a disabled window takes none.
void SetWindowAccelerators(HWND hwnd, std::vector<ACCEL> table);

// ---------------------------------------------------------------------------------------------
// Drops.

// Data offered by a drop or by the clipboard: MIME types with their bytes, in the order offered.
// Only what a picture can come from is kept: image data ("image/png" ...) and file lists
// ("text/uri-list", one URL a line).
struct MimeData {
    std::vector<std::pair<std::string, std::string>> formats;
    // The bytes of `type`, or null.
    const std::string* find(std::string_view type) const;
};

// A window that accepts drops takes image data and local files dropped on it or on any of its
// children (a field keeps the text dropped on it): it gets WM_DROPFILES with wParam pointing to
// the dropped MimeData, valid during the message. Drops are refused while it is disabled.
void DragAcceptFiles(HWND hwnd, bool accept);

// ---------------------------------------------------------------------------------------------
// Timers: each tick sends WM_TIMER(id) to the window. Setting an existing id restarts it with
// the new period. The window's timers end with it.
UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapseMs);
bool KillTimer(HWND hwnd, UINT_PTR id);

// ---------------------------------------------------------------------------------------------
// Relations, ids, text, styles.

HWND GetParent(HWND hwnd);
// The top-level window the window belongs to (itself for a top-level window).
HWND GetAncestorRoot(HWND hwnd);
bool IsChild(HWND parent, HWND hwnd);
// Direct children in creation order.
std::vector<HWND> GetChildWindows(HWND hwnd);
HWND GetDlgItem(HWND parent, int id);
int GetDlgCtrlID(HWND hwnd);
int SetDlgCtrlID(HWND hwnd, int id);  // returns the previous id

bool SetWindowText(HWND hwnd, std::u16string_view text);
std::u16string GetWindowText(HWND hwnd);
int GetWindowTextLength(HWND hwnd);

inline constexpr int GWL_STYLE = -16;
inline constexpr int GWL_EXSTYLE = -20;
inline constexpr int GWL_ID = -12;
// Styles carry the current WS_VISIBLE, WS_DISABLED, WS_MINIMIZE and WS_MAXIMIZE state.
LONG GetWindowLong(HWND hwnd, int index);

// The desktop: for positioning against the screen (GetWindowRect / GetClientRect give the
// primary screen); not a real window.
HWND GetDesktopWindow();

// ---------------------------------------------------------------------------------------------
// Geometry. GetWindowRect is in screen coordinates; GetClientRect is (0, 0, width, height).

bool GetWindowRect(HWND hwnd, RECT* rect);
bool GetClientRect(HWND hwnd, RECT* rect);
bool ClientToScreen(HWND hwnd, POINT* point);
bool ScreenToClient(HWND hwnd, POINT* point);
// Converts points between the client coordinates of two windows (null = screen).
int MapWindowPoints(HWND from, HWND to, POINT* points, UINT count);

inline constexpr UINT SWP_NOSIZE = 0x0001;
inline constexpr UINT SWP_NOMOVE = 0x0002;
inline constexpr UINT SWP_NOZORDER = 0x0004;
inline constexpr UINT SWP_NOREDRAW = 0x0008;
inline constexpr UINT SWP_NOACTIVATE = 0x0010;
inline constexpr UINT SWP_FRAMECHANGED = 0x0020;
inline constexpr UINT SWP_SHOWWINDOW = 0x0040;
inline constexpr UINT SWP_HIDEWINDOW = 0x0080;
inline const HWND HWND_TOP = nullptr;
inline const HWND HWND_BOTTOM = reinterpret_cast<HWND>(1);
inline const HWND HWND_TOPMOST = reinterpret_cast<HWND>(-1);
inline const HWND HWND_NOTOPMOST = reinterpret_cast<HWND>(-2);
// x, y in the parent's client coordinates (screen for top-level windows). Sizes below 0 count
// as 0. Sends WM_WINDOWPOSCHANGED when the position or size changed.
bool SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int width, int height, UINT flags);
bool MoveWindow(HWND hwnd, int x, int y, int width, int height, bool repaint);

inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOWNORMAL = 1;
inline constexpr int SW_NORMAL = 1;
inline constexpr int SW_SHOWMINIMIZED = 2;
inline constexpr int SW_SHOWMAXIMIZED = 3;
inline constexpr int SW_MAXIMIZE = 3;
inline constexpr int SW_SHOWNOACTIVATE = 4;
inline constexpr int SW_SHOW = 5;
inline constexpr int SW_MINIMIZE = 6;
inline constexpr int SW_SHOWMINNOACTIVE = 7;
inline constexpr int SW_SHOWNA = 8;
inline constexpr int SW_RESTORE = 9;
// Returns whether the window was visible before. SW_MAXIMIZE asks the window for WM_GETMINMAXINFO
// (preset with the work area of its monitor) and takes ptMaxPosition / ptMaxSize from it;
// SW_RESTORE / SW_SHOWNORMAL bring back the rectangle from before minimising or maximising.
bool ShowWindow(HWND hwnd, int command);
// Whether the window and all its parents are shown.
bool IsWindowVisible(HWND hwnd);
bool IsIconic(HWND hwnd);
bool IsZoomed(HWND hwnd);
// Returns whether the window was disabled before. A disabled window and its children get no
// mouse or key input. A disabled top-level window keeps its look (as an owner behind a modal
// dialog does); disabled children are drawn disabled.
bool EnableWindow(HWND hwnd, bool enable);
bool IsWindowEnabled(HWND hwnd);

bool BringWindowToTop(HWND hwnd);
bool SetForegroundWindow(HWND hwnd);
HWND SetActiveWindow(HWND hwnd);  // returns the previously active window
HWND GetActiveWindow();
HWND GetForegroundWindow();
HWND SetFocus(HWND hwnd);  // returns the previous focus window
HWND GetFocus();

// Sets the window's region (null = none): only its pixels belong to the window. The window
// takes ownership of the region (do not delete it). Returns false for an invalid window.
bool SetWindowRgn(HWND hwnd, HRGN region, bool redraw);
// Copies the window region into `region`; returns its type, or RGN_ERROR when there is none.
int GetWindowRgn(HWND hwnd, HRGN region);

inline constexpr int ICON_SMALL = 0;
inline constexpr int ICON_BIG = 1;
// The window keeps its own copy of the icon.
bool SetWindowIcon(HWND hwnd, HICON icon, int which);

// Text the window system shows in a tooltip while the mouse rests on the window (empty: none).
bool SetWindowToolTip(HWND hwnd, std::u16string_view text);
std::u16string GetWindowToolTip(HWND hwnd);

// ---------------------------------------------------------------------------------------------
// Painting.

// Adds the rectangle (null = the whole client) to the window's invalid region and asks Qt to
// paint the window; `erase` is ignored (surfaces are kept, nothing is erased).
bool InvalidateRect(HWND hwnd, const RECT* rect, bool erase);
bool InvalidateRgn(HWND hwnd, HRGN region, bool erase);
bool ValidateRect(HWND hwnd, const RECT* rect);
// The bounding box of the invalid region; false when it is empty.
bool GetUpdateRect(HWND hwnd, RECT* rect, bool erase);
// Sends WM_PAINT now when the invalid region is not empty.
bool UpdateWindow(HWND hwnd);
// Calls UpdateWindow and puts the surface on the screen at once (Qt repaint).
bool RedrawWindow(HWND hwnd);

struct PAINTSTRUCT {
    HDC hdc = nullptr;
    bool fErase = false;
    RECT rcPaint;
};
// In WM_PAINT: a DC on the window's surface clipped to the invalid region; rcPaint is its
// bounding box. EndPaint validates the window (it is validated after WM_PAINT in any case).
HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps);
bool EndPaint(HWND hwnd, const PAINTSTRUCT* ps);
// A DC on the window's surface (null hwnd: the screen DC of platform/gdi.h). Drawing shows on
// the screen after ReleaseDC (or the next paint).
HDC GetDC(HWND hwnd);
int ReleaseDC(HWND hwnd, HDC hdc);

// ---------------------------------------------------------------------------------------------
// Mouse.

// Sends all mouse messages to this window until ReleaseCapture, wherever the mouse is
// (coordinates in its client area, possibly negative). Returns the previous capture window.
HWND SetCapture(HWND hwnd);
bool ReleaseCapture();
HWND GetCapture();

inline constexpr DWORD TME_LEAVE = 0x00000002;
inline constexpr DWORD TME_CANCEL = 0x80000000;
struct TRACKMOUSEEVENT {
    DWORD dwFlags = 0;
    HWND hwndTrack = nullptr;
};
// TME_LEAVE: one WM_MOUSELEAVE when the mouse next leaves the window (at once, posted, when it
// is not over it now); TME_LEAVE | TME_CANCEL ends the request.
bool TrackMouseEvent(TRACKMOUSEEVENT* request);

bool GetCursorPos(POINT* point);
// Key state as GetKeyState: bit 0x8000 set while VK_SHIFT, VK_CONTROL, VK_MENU, VK_LBUTTON (1),
// VK_RBUTTON (2) or VK_MBUTTON (4) is down, as of the last input event.
short GetKeyState(int virtualKey);

struct HCURSOR__;
using HCURSOR = HCURSOR__*;
inline constexpr int IDC_ARROW = 32512;
inline constexpr int IDC_IBEAM = 32513;
inline constexpr int IDC_WAIT = 32514;
inline constexpr int IDC_CROSS = 32515;
inline constexpr int IDC_SIZENWSE = 32642;
inline constexpr int IDC_SIZENESW = 32643;
inline constexpr int IDC_SIZEWE = 32644;
inline constexpr int IDC_SIZENS = 32645;
inline constexpr int IDC_SIZEALL = 32646;
inline constexpr int IDC_HAND = 32649;
// A shared system cursor (never destroyed); null for unknown ids.
HCURSOR LoadCursor(int id);
// Sets the cursor of the window the mouse is in (the one WM_SETCURSOR was sent to); returns the
// previous cursor.
HCURSOR SetCursor(HCURSOR cursor);
HCURSOR GetCursor();
// The cursor shown over a window (for tests).
HCURSOR GetWindowCursor(HWND hwnd);
// Shows `cursor` over the window at once, without waiting for the mouse to move (a busy cursor
// while work runs); the window's next WM_SETCURSOR may change it again.
bool SetWindowCursor(HWND hwnd, HCURSOR cursor);

// ---------------------------------------------------------------------------------------------
// Monitors.

struct HMONITOR__;
using HMONITOR = HMONITOR__*;
inline constexpr DWORD MONITOR_DEFAULTTONULL = 0;
inline constexpr DWORD MONITOR_DEFAULTTOPRIMARY = 1;
inline constexpr DWORD MONITOR_DEFAULTTONEAREST = 2;
inline constexpr DWORD MONITORINFOF_PRIMARY = 1;
struct MONITORINFO {
    RECT rcMonitor;
    RECT rcWork;  // without panels and docks
    DWORD dwFlags = 0;
};
HMONITOR MonitorFromWindow(HWND hwnd, DWORD flags);
bool GetMonitorInfo(HMONITOR monitor, MONITORINFO* info);

inline constexpr int SM_CXSCREEN = 0;
inline constexpr int SM_CYSCREEN = 1;
inline constexpr int SM_CXICON = 11;
inline constexpr int SM_CYICON = 12;
inline constexpr int SM_CXSMICON = 49;
inline constexpr int SM_CYSMICON = 50;
// Screen size of the primary monitor, icon sizes 32 and 16; 0 for other indexes.
int GetSystemMetrics(int index);

// ---------------------------------------------------------------------------------------------
// Time.

DWORD GetTickCount();
// Blocks the thread for ms milliseconds (no events run meanwhile).
void Sleep(DWORD ms);

}  // namespace platform
