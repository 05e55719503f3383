// Geometry, showing and regions: rectangles and coordinates, moving and sizing, showing, hiding,
// minimising and maximising, enabling, activation and focus, window regions, icons and
// tooltips, monitors and screen metrics.
#include <QApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QPixmap>
#include <QScreen>
#include <QWidget>

#include <algorithm>

#include "platform/qt/objects.h"
#include "platform/qt/window_internal.h"
#include "platform/qt/window_state.h"

namespace platform {

using qtdetail::WindowKind;
using qtdetail::WindowPtr;
using qtdetail::WindowRecord;

namespace {

void sendWindowPosChanged(const WindowPtr& w, UINT flags) {
    WINDOWPOS pos;
    pos.hwnd = w->hwnd;
    pos.x = w->rect.left;
    pos.y = w->rect.top;
    pos.cx = RectWidth(w->rect);
    pos.cy = RectHeight(w->rect);
    pos.flags = flags;
    qtdetail::callProc(w, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
}

}  // namespace

namespace qtdetail {

void applyGeometry(WindowRecord& w) {
    if (!w.widget) return;
    QRect r = toQRect(w.rect);
    if (w.kind == WindowKind::ComboBox) {
        r.setHeight(std::min(r.height(), std::max(1, w.widget->sizeHint().height())));
    }
    if (r.width() <= 0) r.setWidth(0);
    if (r.height() <= 0) r.setHeight(0);
    // A top-level window without a sizing frame gives the window manager its one size (minimum =
    // maximum), so that no manager stretches it.
    if (!w.child && !(w.style & WS_THICKFRAME)) w.widget->setFixedSize(r.size());
    w.widget->setGeometry(r);
}

bool setRect(const WindowPtr& w, const RECT& r, bool fromSystem) {
    RECT nr = r;
    if (nr.right < nr.left) nr.right = nr.left;
    if (nr.bottom < nr.top) nr.bottom = nr.top;
    const bool moved = nr.left != w->rect.left || nr.top != w->rect.top;
    const bool sized = RectWidth(nr) != RectWidth(w->rect) || RectHeight(nr) != RectHeight(w->rect);
    if (!moved && !sized) return false;
    w->rect = nr;
    if (sized) {
        resizeSurface(*w);
        if (w->widget) w->widget->update();
    }
    if (!fromSystem) qtdetail::applyGeometry(*w);
    UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
    if (!moved) flags |= SWP_NOMOVE;
    if (!sized) flags |= SWP_NOSIZE;
    sendWindowPosChanged(w, flags);
    return true;
}

}  // namespace qtdetail

// --- Geometry ---

bool GetWindowRect(HWND hwnd, RECT* rect) {
    if (hwnd == GetDesktopWindow() && rect) {
        QScreen* screen = QGuiApplication::primaryScreen();
        const QRect g = screen ? screen->geometry() : QRect();
        *rect = RECT{g.left(), g.top(), g.left() + g.width(), g.top() + g.height()};
        return screen != nullptr;
    }
    WindowPtr w = qtdetail::lookup(hwnd);
    if (!w || !rect) return false;
    POINT origin{0, 0};
    ClientToScreen(hwnd, &origin);
    RECT r = w->rect;
    if (w->kind == WindowKind::ComboBox && w->widget) r.bottom = r.top + w->widget->height();
    *rect = RECT{origin.x, origin.y, origin.x + RectWidth(r), origin.y + RectHeight(r)};
    return true;
}

bool GetClientRect(HWND hwnd, RECT* rect) {
    if (hwnd == GetDesktopWindow() && rect) {
        if (!GetWindowRect(hwnd, rect)) return false;
        OffsetRect(rect, -rect->left, -rect->top);
        return true;
    }
    WindowPtr w = qtdetail::lookup(hwnd);
    if (!w || !rect) return false;
    LONG h = RectHeight(w->rect);
    if (w->kind == WindowKind::ComboBox && w->widget) h = w->widget->height();
    *rect = RECT{0, 0, RectWidth(w->rect), h};
    return true;
}

bool ClientToScreen(HWND hwnd, POINT* point) {
    WindowPtr w = qtdetail::lookup(hwnd);
    if (!w || !point) return false;
    while (w) {
        point->x += w->rect.left;
        point->y += w->rect.top;
        if (!w->child) break;
        w = qtdetail::lookup(w->parent);
    }
    return true;
}

bool ScreenToClient(HWND hwnd, POINT* point) {
    if (!point) return false;
    POINT origin{0, 0};
    if (!ClientToScreen(hwnd, &origin)) return false;
    point->x -= origin.x;
    point->y -= origin.y;
    return true;
}

int MapWindowPoints(HWND from, HWND to, POINT* points, UINT count) {
    POINT a{0, 0}, b{0, 0};
    if (from) ClientToScreen(from, &a);
    if (to) ClientToScreen(to, &b);
    for (UINT i = 0; i < count; ++i) {
        points[i].x += a.x - b.x;
        points[i].y += a.y - b.y;
    }
    return static_cast<int>(MAKELONG(static_cast<WORD>(a.x - b.x), static_cast<WORD>(a.y - b.y)));
}

bool SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int width, int height, UINT flags) {
    WindowPtr w = qtdetail::lookup(hwnd);
    if (!w) return false;
    RECT r = w->rect;
    if (!(flags & SWP_NOMOVE)) {
        const LONG wd = RectWidth(r), ht = RectHeight(r);
        r = RECT{x, y, x + wd, y + ht};
    }
    if (!(flags & SWP_NOSIZE)) {
        r.right = r.left + std::max(0, width);
        r.bottom = r.top + std::max(0, height);
    }
    qtdetail::setRect(w, r, false);
    if (!(flags & SWP_NOZORDER) && w->widget) {
        if (insertAfter == HWND_BOTTOM) {
            w->widget->lower();
        } else {
            w->widget->raise();
        }
    }
    if (flags & SWP_SHOWWINDOW) ShowWindow(hwnd, (flags & SWP_NOACTIVATE) ? SW_SHOWNA : SW_SHOW);
    if (flags & SWP_HIDEWINDOW) ShowWindow(hwnd, SW_HIDE);
    return true;
}

bool MoveWindow(HWND hwnd, int x, int y, int width, int height, bool repaint) {
    return SetWindowPos(hwnd, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

namespace {

void showWidget(WindowRecord& w, bool activate) {
    if (!w.widget) return;
    w.widget->setAttribute(Qt::WA_ShowWithoutActivating, !activate);
    w.widget->show();
}

void setVisible(const WindowPtr& w, bool show, bool activate) {
    if (w->visible == show) {
        if (show) showWidget(*w, activate);
        return;
    }
    qtdetail::callProc(w, WM_SHOWWINDOW, show ? 1 : 0, 0);
    w->visible = show;
    if (show) {
        showWidget(*w, activate);
    } else if (w->widget) {
        w->widget->hide();
    }
}

void maximize(const WindowPtr& w) {
    if (w->child) return;
    MONITORINFO mi;
    GetMonitorInfo(MonitorFromWindow(w->hwnd, MONITOR_DEFAULTTONEAREST), &mi);
    MINMAXINFO info{};
    info.ptMaxPosition = POINT{mi.rcWork.left - mi.rcMonitor.left, mi.rcWork.top - mi.rcMonitor.top};
    info.ptMaxSize = POINT{RectWidth(mi.rcWork), RectHeight(mi.rcWork)};
    info.ptMaxTrackSize = info.ptMaxSize;
    qtdetail::callProc(w, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    if (!w->maximized) w->normalRect = w->rect;
    w->maximized = true;
    const LONG x = mi.rcMonitor.left + info.ptMaxPosition.x, y = mi.rcMonitor.top + info.ptMaxPosition.y;
    qtdetail::setRect(w, RECT{x, y, x + info.ptMaxSize.x, y + info.ptMaxSize.y}, false);
}

}  // namespace

bool ShowWindow(HWND hwnd, int command) {
    WindowPtr w = qtdetail::lookup(hwnd);
    if (!w) return false;
    const bool wasVisible = w->visible;
    switch (command) {
        case SW_HIDE: setVisible(w, false, false); break;
        case SW_SHOWNORMAL:
        case SW_RESTORE:
            if (w->minimized) {
                w->minimized = false;
                if (w->widget) w->widget->showNormal();
                qtdetail::callProc(w, WM_SIZE, w->maximized ? SIZE_MAXIMIZED : SIZE_RESTORED,
                                   MAKELPARAM(static_cast<WORD>(RectWidth(w->rect)), static_cast<WORD>(RectHeight(w->rect))));
            } else if (w->maximized) {
                w->maximized = false;
                qtdetail::setRect(w, w->normalRect, false);
            }
            setVisible(w, true, true);
            break;
        case SW_SHOWMINIMIZED:
        case SW_MINIMIZE:
        case SW_SHOWMINNOACTIVE:
            if (w->child) break;
            setVisible(w, true, false);
            if (!w->minimized) {
                w->minimized = true;
                if (w->widget) w->widget->showMinimized();
                qtdetail::callProc(w, WM_SIZE, SIZE_MINIMIZED, 0);
            }
            break;
        case SW_SHOWMAXIMIZED:
            setVisible(w, true, true);
            maximize(w);
            break;
        case SW_SHOWNOACTIVATE:
        case SW_SHOWNA: setVisible(w, true, false); break;
        default: setVisible(w, true, true); break;
    }
    return wasVisible;
}

bool IsWindowVisible(HWND hwnd) {
    WindowPtr w = qtdetail::lookup(hwnd);
    while (w) {
        if (!w->visible || w->destroying) return false;
        if (!w->child) return true;
        w = qtdetail::lookup(w->parent);
    }
    return false;
}

bool IsIconic(HWND hwnd) {
    WindowPtr w = qtdetail::lookup(hwnd);
    return w && w->minimized;
}

bool IsZoomed(HWND hwnd) {
    WindowPtr w = qtdetail::lookup(hwnd);
    return w && w->maximized;
}

bool EnableWindow(HWND hwnd, bool enable) {
    WindowPtr w = qtdetail::lookup(hwnd);
    if (!w) return false;
    const bool wasDisabled = !w->enabled;
    if (w->enabled == enable) return wasDisabled;
    w->enabled = enable;
    // A disabled top-level window refuses input but keeps its look (its controls are not
    // greyed), as in Win32; disabled children are drawn disabled.
    if (w->widget && w->child) w->widget->setEnabled(enable);
    if (!enable && qtdetail::inputState().capture == hwnd) ReleaseCapture();
    qtdetail::callProc(w, WM_ENABLE, enable ? 1 : 0, 0);
    return wasDisabled;
}

bool IsWindowEnabled(HWND hwnd) {
    WindowPtr w = qtdetail::lookup(hwnd);
    return w && w->enabled;
}

bool BringWindowToTop(HWND hwnd) {
    WindowPtr w = qtdetail::lookup(hwnd);
    if (!w || !w->widget) return false;
    w->widget->raise();
    return true;
}

bool SetForegroundWindow(HWND hwnd) {
    WindowPtr w = qtdetail::lookup(hwnd);
    if (!w || !w->widget) return false;
    HWND root = GetAncestorRoot(hwnd);
    WindowPtr r = qtdetail::lookup(root);
    r->widget->raise();
    r->widget->activateWindow();
    qtdetail::inputState().lastActive = root;
    return true;
}

HWND GetActiveWindow() {
    if (QWidget* active = QApplication::activeWindow()) {
        if (HWND h = qtdetail::windowOfWidget(active)) return GetAncestorRoot(h);
    }
    return IsWindow(qtdetail::inputState().lastActive) ? qtdetail::inputState().lastActive : nullptr;
}

HWND GetForegroundWindow() { return GetActiveWindow(); }

HWND SetActiveWindow(HWND hwnd) {
    HWND previous = GetActiveWindow();
    WindowPtr w = qtdetail::lookup(hwnd);
    if (!w || !w->widget) return nullptr;
    HWND root = GetAncestorRoot(hwnd);
    if (WindowPtr r = qtdetail::lookup(root)) r->widget->activateWindow();
    qtdetail::inputState().lastActive = root;
    return previous;
}

HWND SetFocus(HWND hwnd) {
    HWND previous = GetFocus();
    WindowPtr w = qtdetail::lookup(hwnd);
    if (w && w->widget) {
        if (w->control && w->widget->focusProxy()) {
            w->widget->focusProxy()->setFocus(Qt::OtherFocusReason);
        } else {
            w->widget->setFocus(Qt::OtherFocusReason);
        }
    }
    return previous;
}

HWND GetFocus() { return qtdetail::windowOfWidget(QApplication::focusWidget()); }

bool SetWindowRgn(HWND hwnd, HRGN region, bool) {
    WindowPtr w = qtdetail::lookup(hwnd);
    if (!w) {
        DeleteObject(region);
        return false;
    }
    if (region) {
        w->windowRegion = region->region;
        if (w->widget && !Application::isOffscreen()) w->widget->setMask(region->region);
        DeleteObject(region);
    } else {
        w->windowRegion.reset();
        if (w->widget && !Application::isOffscreen()) w->widget->clearMask();
    }
    return true;
}

int GetWindowRgn(HWND hwnd, HRGN region) {
    WindowPtr w = qtdetail::lookup(hwnd);
    if (!w || !region || !w->windowRegion) return RGN_ERROR;
    region->region = *w->windowRegion;
    if (region->region.isEmpty()) return NULLREGION;
    return region->region.rectCount() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

bool SetWindowIcon(HWND hwnd, HICON icon, int) {
    WindowPtr w = qtdetail::lookup(hwnd);
    if (!w || !w->widget || !icon) return false;
    w->widget->setWindowIcon(QIcon(QPixmap::fromImage(icon->image)));
    return true;
}

bool SetWindowToolTip(HWND hwnd, std::u16string_view text) {
    WindowPtr w = qtdetail::lookup(hwnd);
    if (!w) return false;
    w->tooltip = std::u16string(text);
    if (w->widget) w->widget->setToolTip(qtdetail::toQString(text));
    return true;
}

std::u16string GetWindowToolTip(HWND hwnd) {
    WindowPtr w = qtdetail::lookup(hwnd);
    return w ? w->tooltip : std::u16string();
}

// --- Monitors ---

HMONITOR MonitorFromWindow(HWND hwnd, DWORD flags) {
    const auto screens = QGuiApplication::screens();
    if (screens.isEmpty()) return nullptr;
    WindowPtr w = qtdetail::lookup(GetAncestorRoot(hwnd));
    QScreen* screen = nullptr;
    if (w) {
        RECT r;
        GetWindowRect(w->hwnd, &r);
        screen = QGuiApplication::screenAt(QPoint(r.left + RectWidth(r) / 2, r.top + RectHeight(r) / 2));
    }
    if (!screen) {
        if (flags == MONITOR_DEFAULTTONULL && w) return nullptr;
        screen = QGuiApplication::primaryScreen();
    }
    const qsizetype index = screens.indexOf(screen);
    return reinterpret_cast<HMONITOR>(static_cast<uintptr_t>(index < 0 ? 1 : index + 1));
}

bool GetMonitorInfo(HMONITOR monitor, MONITORINFO* info) {
    const auto screens = QGuiApplication::screens();
    const auto index = static_cast<qsizetype>(reinterpret_cast<uintptr_t>(monitor)) - 1;
    if (!info || index < 0 || index >= screens.size()) return false;
    QScreen* screen = screens[index];
    const QRect g = screen->geometry(), a = screen->availableGeometry();
    info->rcMonitor = RECT{g.left(), g.top(), g.left() + g.width(), g.top() + g.height()};
    info->rcWork = RECT{a.left(), a.top(), a.left() + a.width(), a.top() + a.height()};
    info->dwFlags = screen == QGuiApplication::primaryScreen() ? MONITORINFOF_PRIMARY : 0;
    return true;
}

int GetSystemMetrics(int index) {
    QScreen* screen = QGuiApplication::primaryScreen();
    switch (index) {
        case SM_CXSCREEN: return screen ? screen->geometry().width() : 0;
        case SM_CYSCREEN: return screen ? screen->geometry().height() : 0;
        case SM_CXICON:
        case SM_CYICON: return 32;
        case SM_CXSMICON:
        case SM_CYSMICON: return 16;
        default: return 0;
    }
}

}  // namespace platform
