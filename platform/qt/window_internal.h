// The records behind window handles, shared by the Qt side of windows, controls, shell and the
// test input. Not for use outside platform/.
#pragma once

#include <QPointer>
#include <QRegion>
#include <QString>
#include <QWidget>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/qt/objects.h"
#include "platform/window.h"

class QDropEvent;
class QKeyEvent;
class QMimeData;
class QTimer;

namespace platform::qtdetail {

enum class WindowKind { Plain, Edit, ComboBox, Static };

struct ControlState;  // controls.cpp

struct WindowRecord {
    HWND hwnd = nullptr;
    WindowKind kind = WindowKind::Plain;
    QPointer<QWidget> widget;
    WindowProc proc;
    HWND parent = nullptr;  // the parent of a child, the owner of a top-level window
    std::vector<HWND> children;
    int id = 0;
    DWORD style = 0;
    DWORD exStyle = 0;
    RECT rect;              // parent client coordinates (screen for top-level windows)
    RECT normalRect;        // before maximising
    bool child = false;
    bool visible = false;
    bool enabled = true;
    bool minimized = false;
    bool maximized = false;
    bool destroying = false;
    bool dialogKeys = false;
    bool acceptDrops = false;
    std::vector<ACCEL> accelerators;
    bool trackLeave = false;
    bool beganPaint = false;
    HBITMAP surface = nullptr;
    QRegion invalid;
    std::optional<QRegion> windowRegion;
    std::map<UINT_PTR, QPointer<QTimer>> timers;
    std::map<std::u16string, void*> props;
    std::u16string text;
    std::u16string tooltip;
    HFONT font = nullptr;
    HCURSOR cursor = nullptr;
    std::shared_ptr<ControlState> control;
};

using WindowPtr = std::shared_ptr<WindowRecord>;

// The record of a live window (null for invalid or destroyed handles).
WindowPtr lookup(HWND hwnd);
// The window a widget (or one of its inner widgets) belongs to.
HWND windowOfWidget(const QWidget* widget);
// Calls the window's procedure, keeping the record alive during the call.
LRESULT callProc(const WindowPtr& w, UINT msg, WPARAM wParam, LPARAM lParam);
// Destroys every top-level window still alive (the Application's end).
void destroyTopLevelWindows();

// The widget of a plain window or a STATIC control (window_widget.cpp).
QWidget* newWindowWidget(HWND hwnd, QWidget* parent, Qt::WindowFlags flags);

// Puts the record's rectangle on its widget (a drop-down list keeps its own field height).
void applyGeometry(WindowRecord& w);
// Moves / sizes the record and tells the window (WM_WINDOWPOSCHANGED); `fromSystem` when the
// window manager did it, so the widget is not moved again. Returns whether anything changed.
bool setRect(const WindowPtr& w, const RECT& r, bool fromSystem);

// Makes a new surface of the client size, keeping the overlapping pixels, and invalidates the
// whole client (window_paint.cpp).
void resizeSurface(WindowRecord& w);
// The device pixel ratio a window's surface is made at: its widget's, else the screen's.
double surfaceScale(const WindowRecord& w);
// After the window's widget may have changed screens: when its ratio is no longer its
// surface's, a fresh surface at the new ratio and WM_DPICHANGED to the window.
void followPixelRatio(HWND hwnd);
inline QRect toQRect(const RECT& r) { return QRect(r.left, r.top, RectWidth(r), RectHeight(r)); }

// Every entry from Qt into the layer (events, signals, timers) holds one of these; widgets and
// objects scheduled for deletion are deleted when the outermost guard ends.
class EntryGuard {
public:
    EntryGuard();
    ~EntryGuard();
    EntryGuard(const EntryGuard&) = delete;
    EntryGuard& operator=(const EntryGuard&) = delete;
};
void scheduleDelete(QObject* object);

// Records the modifiers and buttons of an input event for GetKeyState.
void noteInputState(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons);
WPARAM mouseKeys();
// The VK_ code of a Qt key (0 when there is none).
WPARAM virtualKeyOf(int qtKey);
// Whether input to the window is refused: it or a window above it is disabled.
bool inputBlocked(HWND hwnd);
bool isInputEvent(const QEvent* e);
// The nearest window at or above `hwnd` with dialog keys on, or null.
HWND dialogKeyTarget(HWND hwnd);
// A key press in `hwnd` that matches an accelerator of its top-level window: sends the command
// and returns true (the key is then taken).
bool translateAccelerator(HWND hwnd, const QKeyEvent* e);

// Drag and drop over `hwnd` (window_drop.cpp): accepts or refuses a drag entering or moving, and
// on the drop sends WM_DROPFILES to the window that accepts drops. Returns whether the event was
// taken: false leaves a drag that holds no picture to the widget (a field takes text).
bool handleDragEvent(HWND hwnd, QDropEvent* e);
// What of a Qt drop or clipboard content a picture can come from.
MimeData mimeDataOf(const QMimeData* data);

// Set by the mouse path: the window the mouse is over (for WM_MOUSELEAVE and SetCursor).
void noteMouseOver(HWND hwnd);
void mouseLeft(HWND hwnd);

// Creates the widget and procedure of a control (controls.cpp). False for an unknown class.
bool isControlClass(std::u16string_view className, WindowKind& kind);
bool createControl(WindowRecord& rec, QWidget* parentWidget);

// Tray icons of a window go when it is destroyed (shell.cpp).
void removeTrayIconsOf(HWND hwnd);

QString toQString(std::u16string_view s);
std::u16string fromQString(const QString& s);

}  // namespace platform::qtdetail
