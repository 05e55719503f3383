// Input: the state of keys and buttons, mouse capture and leave tracking, the window under the
// mouse, cursors, and the keys that accelerators and the dialog-message processing take.
#include <QCursor>
#include <QEvent>
#include <QKeyEvent>
#include <QWidget>

#include "platform/qt/window_internal.h"
#include "platform/qt/window_state.h"

namespace platform {

using qtdetail::WindowPtr;

struct HCURSOR__ {
    int id;
    Qt::CursorShape shape;
};

namespace qtdetail {

InputState& inputState() {
    static InputState s;
    return s;
}

void noteInputState(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons) {
    qtdetail::inputState().modifiers = modifiers;
    qtdetail::inputState().buttons = buttons;
}

WPARAM mouseKeys() {
    const auto& s = qtdetail::inputState();
    WPARAM k = 0;
    if (s.buttons & Qt::LeftButton) k |= MK_LBUTTON;
    if (s.buttons & Qt::RightButton) k |= MK_RBUTTON;
    if (s.buttons & Qt::MiddleButton) k |= MK_MBUTTON;
    if (s.modifiers & Qt::ShiftModifier) k |= MK_SHIFT;
    if (s.modifiers & Qt::ControlModifier) k |= MK_CONTROL;
    return k;
}

WPARAM virtualKeyOf(int key) {
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return static_cast<WPARAM>('A' + (key - Qt::Key_A));
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return static_cast<WPARAM>('0' + (key - Qt::Key_0));
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12) return VK_F1 + static_cast<WPARAM>(key - Qt::Key_F1);
    switch (key) {
        case Qt::Key_Backspace: return VK_BACK;
        case Qt::Key_Tab: return VK_TAB;
        case Qt::Key_Return:
        case Qt::Key_Enter: return VK_RETURN;
        case Qt::Key_Shift: return VK_SHIFT;
        case Qt::Key_Control: return VK_CONTROL;
        case Qt::Key_Alt: return VK_MENU;
        case Qt::Key_Escape: return VK_ESCAPE;
        case Qt::Key_Space: return VK_SPACE;
        case Qt::Key_PageUp: return VK_PRIOR;
        case Qt::Key_PageDown: return VK_NEXT;
        case Qt::Key_End: return VK_END;
        case Qt::Key_Home: return VK_HOME;
        case Qt::Key_Left: return VK_LEFT;
        case Qt::Key_Up: return VK_UP;
        case Qt::Key_Right: return VK_RIGHT;
        case Qt::Key_Down: return VK_DOWN;
        case Qt::Key_Delete: return VK_DELETE;
        default: return 0;
    }
}

bool inputBlocked(HWND hwnd) {
    for (WindowPtr w = lookup(hwnd); w; w = w->child ? lookup(w->parent) : nullptr) {
        if (!w->enabled) return true;
        if (!w->child) break;
    }
    return false;
}

bool isInputEvent(const QEvent* e) {
    switch (e->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride: return true;
        default: return false;
    }
}

HWND dialogKeyTarget(HWND hwnd) {
    for (WindowPtr w = lookup(hwnd); w; w = w->child ? lookup(w->parent) : nullptr) {
        if (w->dialogKeys) return w->hwnd;
        if (!w->child) break;
    }
    return nullptr;
}

bool translateAccelerator(HWND hwnd, const QKeyEvent* e) {
    const HWND root = GetAncestorRoot(hwnd);
    WindowPtr w = lookup(root);
    if (!w || w->accelerators.empty() || inputBlocked(root)) return false;
    const WPARAM vk = virtualKeyOf(e->key());
    if (!vk) return false;
    BYTE held = FVIRTKEY;
    if (e->modifiers() & Qt::ShiftModifier) held |= FSHIFT;
    if (e->modifiers() & Qt::ControlModifier) held |= FCONTROL;
    if (e->modifiers() & Qt::AltModifier) held |= FALT;
    for (const ACCEL& a : w->accelerators) {
        if (a.key != vk || (a.fVirt | FVIRTKEY) != held) continue;
        SendMessage(root, WM_COMMAND, MAKEWPARAM(a.cmd, 1), 0);
        return true;
    }
    return false;
}

void noteMouseOver(HWND hwnd) {
    auto& s = qtdetail::inputState();
    if (s.mouseOver == hwnd) return;
    HWND old = s.mouseOver;
    s.mouseOver = hwnd;
    // Entering a child (a real control) leaves the parent, as in Win32.
    if (old) mouseLeft(old);
}

void mouseLeft(HWND hwnd) {
    auto& s = qtdetail::inputState();
    if (s.mouseOver == hwnd) s.mouseOver = nullptr;
    WindowPtr w = lookup(hwnd);
    if (w && w->trackLeave) {
        w->trackLeave = false;
        callProc(w, WM_MOUSELEAVE, 0, 0);
    }
}

}  // namespace qtdetail

void SetDialogKeys(HWND hwnd, bool enabled) {
    if (WindowPtr w = qtdetail::lookup(hwnd)) w->dialogKeys = enabled;
}

void SetWindowAccelerators(HWND hwnd, std::vector<ACCEL> table) {
    if (WindowPtr w = qtdetail::lookup(hwnd)) w->accelerators = std::move(table);
}

// --- Mouse ---

HWND SetCapture(HWND hwnd) {
    auto& s = qtdetail::inputState();
    HWND previous = s.capture;
    WindowPtr w = qtdetail::lookup(hwnd);
    if (!w) return previous;
    if (previous == hwnd) return previous;
    s.capture = hwnd;
    if (WindowPtr old = qtdetail::lookup(previous)) {
        if (old->widget) old->widget->releaseMouse();
        qtdetail::callProc(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hwnd));
    }
    if (w->widget && w->widget->isVisible() && !Application::isOffscreen()) w->widget->grabMouse();
    return previous;
}

bool ReleaseCapture() {
    auto& s = qtdetail::inputState();
    HWND previous = s.capture;
    if (!previous) return true;
    s.capture = nullptr;
    if (WindowPtr old = qtdetail::lookup(previous)) {
        if (old->widget) old->widget->releaseMouse();
        qtdetail::callProc(old, WM_CAPTURECHANGED, 0, 0);
    }
    return true;
}

HWND GetCapture() {
    auto& s = qtdetail::inputState();
    if (s.capture && !qtdetail::lookup(s.capture)) s.capture = nullptr;
    return s.capture;
}

bool TrackMouseEvent(TRACKMOUSEEVENT* request) {
    if (!request) return false;
    WindowPtr w = qtdetail::lookup(request->hwndTrack);
    if (!w) return false;
    if (request->dwFlags & TME_CANCEL) {
        if (request->dwFlags & TME_LEAVE) w->trackLeave = false;
        return true;
    }
    if (request->dwFlags & TME_LEAVE) {
        if (qtdetail::inputState().mouseOver == request->hwndTrack) {
            w->trackLeave = true;
        } else {
            PostMessage(request->hwndTrack, WM_MOUSELEAVE);
        }
    }
    return true;
}

bool GetCursorPos(POINT* point) {
    if (!point) return false;
    const QPoint p = QCursor::pos();
    *point = POINT{p.x(), p.y()};
    return true;
}

short GetKeyState(int virtualKey) {
    const auto& s = qtdetail::inputState();
    bool down = false;
    switch (virtualKey) {
        case static_cast<int>(VK_SHIFT): down = s.modifiers & Qt::ShiftModifier; break;
        case static_cast<int>(VK_CONTROL): down = s.modifiers & Qt::ControlModifier; break;
        case static_cast<int>(VK_MENU): down = s.modifiers & Qt::AltModifier; break;
        case 1: down = s.buttons & Qt::LeftButton; break;
        case 2: down = s.buttons & Qt::RightButton; break;
        case 4: down = s.buttons & Qt::MiddleButton; break;
        default: break;
    }
    return down ? static_cast<short>(0x8000) : 0;
}

HCURSOR LoadCursor(int id) {
    static HCURSOR__ cursors[] = {{IDC_ARROW, Qt::ArrowCursor},      {IDC_IBEAM, Qt::IBeamCursor},
                                  {IDC_WAIT, Qt::WaitCursor},        {IDC_CROSS, Qt::CrossCursor},
                                  {IDC_SIZENWSE, Qt::SizeFDiagCursor}, {IDC_SIZENESW, Qt::SizeBDiagCursor},
                                  {IDC_SIZEWE, Qt::SizeHorCursor},   {IDC_SIZENS, Qt::SizeVerCursor},
                                  {IDC_SIZEALL, Qt::SizeAllCursor},  {IDC_HAND, Qt::PointingHandCursor}};
    for (auto& c : cursors) {
        if (c.id == id) return &c;
    }
    return nullptr;
}

HCURSOR SetCursor(HCURSOR cursor) {
    auto& s = qtdetail::inputState();
    HCURSOR previous = s.currentCursor;
    s.currentCursor = cursor;
    if (WindowPtr w = qtdetail::lookup(s.cursorWindow)) {
        w->cursor = cursor;
        if (w->widget) {
            if (cursor) {
                w->widget->setCursor(cursor->shape);
            } else {
                w->widget->setCursor(Qt::BlankCursor);
            }
        }
    }
    return previous;
}

HCURSOR GetCursor() { return qtdetail::inputState().currentCursor; }

HCURSOR GetWindowCursor(HWND hwnd) {
    WindowPtr w = qtdetail::lookup(hwnd);
    return w ? w->cursor : nullptr;
}

bool SetWindowCursor(HWND hwnd, HCURSOR cursor) {
    WindowPtr w = qtdetail::lookup(hwnd);
    if (!w) return false;
    w->cursor = cursor;
    if (w->widget) w->widget->setCursor(cursor ? cursor->shape : Qt::BlankCursor);
    return true;
}

}  // namespace platform
