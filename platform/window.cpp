// Windows and their properties: the handle table, creation and destruction, procedures and the
// default procedure, named properties, relations, ids, text and styles.
#include "platform/window.h"

#include <QApplication>
#include <QTimer>
#include <QVariant>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <unordered_map>

#include "platform/qt/window_internal.h"
#include "platform/qt/window_state.h"

namespace platform {

using qtdetail::WindowKind;
using qtdetail::WindowPtr;
using qtdetail::WindowRecord;

namespace {

constexpr const char* kHwndProperty = "merovask_hwnd";
constexpr uintptr_t kFirstHandle = 0x10000;

struct WindowTable {
    std::unordered_map<uintptr_t, WindowPtr> windows;
    uintptr_t nextHandle = kFirstHandle;
    std::vector<HWND> topLevels;  // creation order
};

WindowTable& table() {
    static WindowTable t;
    return t;
}

HWND handleOf(uintptr_t v) { return reinterpret_cast<HWND>(v); }
uintptr_t valueOf(HWND h) { return reinterpret_cast<uintptr_t>(h); }

}  // namespace

namespace qtdetail {

WindowPtr lookup(HWND hwnd) {
    auto& t = table();
    auto it = t.windows.find(valueOf(hwnd));
    if (it == t.windows.end()) return nullptr;
    return it->second;
}

HWND windowOfWidget(const QWidget* widget) {
    for (const QWidget* w = widget; w; w = w->parentWidget()) {
        const QVariant v = w->property(kHwndProperty);
        if (v.isValid()) {
            HWND h = handleOf(static_cast<uintptr_t>(v.toULongLong()));
            if (lookup(h)) return h;
            return nullptr;
        }
    }
    return nullptr;
}

LRESULT callProc(const WindowPtr& w, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!w) return 0;
    auto& q = queueState();
    ++q.procDepth;
    WindowProc proc = w->proc;  // a procedure replaced during the call stays alive
    LRESULT r = proc ? proc(w->hwnd, msg, wParam, lParam) : DefWindowProc(w->hwnd, msg, wParam, lParam);
    --q.procDepth;
    return r;
}

void destroyTopLevelWindows() {
    const std::vector<HWND> tops = table().topLevels;
    for (HWND h : tops) DestroyWindow(h);
}

QString toQString(std::u16string_view s) {
    return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size()));
}
std::u16string fromQString(const QString& s) { return s.toStdU16String(); }

}  // namespace qtdetail

// --- Window procedures ---

LRESULT DefWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    WindowPtr w = qtdetail::lookup(hwnd);
    if (!w) return 0;
    switch (msg) {
        case WM_CLOSE: DestroyWindow(hwnd); return 0;
        case WM_SYSCOMMAND: {
            const WPARAM cmd = wParam & 0xFFF0;
            if (cmd == SC_CLOSE) {
                SendMessage(hwnd, WM_CLOSE);
            } else if (cmd == SC_MINIMIZE) {
                ShowWindow(GetAncestorRoot(hwnd), SW_MINIMIZE);
            } else if (cmd == SC_MAXIMIZE) {
                ShowWindow(GetAncestorRoot(hwnd), SW_MAXIMIZE);
            } else if (cmd == SC_RESTORE) {
                ShowWindow(GetAncestorRoot(hwnd), SW_RESTORE);
            } else if (cmd == SC_MOVE) {
                HWND root = GetAncestorRoot(hwnd);
                WindowPtr r = qtdetail::lookup(root);
                if (r && r->widget && r->widget->windowHandle()) r->widget->windowHandle()->startSystemMove();
            }
            return 0;
        }
        case WM_WINDOWPOSCHANGED: {
            const auto* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
            if (!pos) return 0;
            if (!(pos->flags & SWP_NOMOVE)) {
                SendMessage(hwnd, WM_MOVE, 0, MAKELPARAM(static_cast<WORD>(pos->x), static_cast<WORD>(pos->y)));
            }
            if (!(pos->flags & SWP_NOSIZE)) {
                if (WindowPtr again = qtdetail::lookup(hwnd)) {
                    const WPARAM kind = again->minimized ? SIZE_MINIMIZED : again->maximized ? SIZE_MAXIMIZED : SIZE_RESTORED;
                    SendMessage(hwnd, WM_SIZE, kind, MAKELPARAM(static_cast<WORD>(pos->cx), static_cast<WORD>(pos->cy)));
                }
            }
            return 0;
        }
        case WM_SETCURSOR:
            SetCursor(LoadCursor(w->kind == WindowKind::Edit ? IDC_IBEAM : IDC_ARROW));
            return 1;
        case WM_RBUTTONUP: {
            POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            ClientToScreen(hwnd, &at);
            SendMessage(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd),
                        MAKELPARAM(static_cast<WORD>(at.x), static_cast<WORD>(at.y)));
            return 0;
        }
        case WM_CONTEXTMENU: return w->child ? SendMessage(w->parent, WM_CONTEXTMENU, wParam, lParam) : 0;
        case WM_ERASEBKGND: return 1;
        case WM_NCHITTEST: return HTCLIENT;
        case WM_SETTEXT: {
            const auto* text = reinterpret_cast<const char16_t*>(lParam);
            w->text = text ? std::u16string(text) : std::u16string();
            if (!w->child && w->widget) w->widget->setWindowTitle(qtdetail::toQString(w->text));
            return 1;
        }
        case WM_GETTEXTLENGTH: return static_cast<LRESULT>(w->text.size());
        case WM_GETTEXT: {
            auto* buffer = reinterpret_cast<char16_t*>(lParam);
            if (!buffer || wParam == 0) return 0;
            const size_t n = std::min<size_t>(w->text.size(), wParam - 1);
            std::copy_n(w->text.data(), n, buffer);
            buffer[n] = u'\0';
            return static_cast<LRESULT>(n);
        }
        case WM_SETFONT: w->font = reinterpret_cast<HFONT>(wParam); return 0;
        case WM_GETFONT: return reinterpret_cast<LRESULT>(w->font);
        case WM_MOUSEACTIVATE: return 1;
        case WM_NCACTIVATE: return 1;
        default: return 0;
    }
}

LRESULT CallWindowProc(const WindowProc& proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!qtdetail::lookup(hwnd)) return 0;
    return proc ? proc(hwnd, msg, wParam, lParam) : DefWindowProc(hwnd, msg, wParam, lParam);
}

// --- Creation and destruction ---

HWND CreateWindowEx(DWORD exStyle, std::u16string_view className, std::u16string_view text, DWORD style, int x, int y,
                    int width, int height, HWND parent, int id, WindowProc proc, void* createParam) {
    auto& t = table();
    if (!qtdetail::queueState().app) return nullptr;
    const bool child = style & WS_CHILD;
    WindowPtr parentRec = parent ? qtdetail::lookup(parent) : nullptr;
    if (child && (!parentRec || !parentRec->widget)) return nullptr;
    if (parent && !parentRec) return nullptr;

    auto w = std::make_shared<WindowRecord>();
    w->hwnd = handleOf(t.nextHandle++);
    w->parent = parent;
    w->child = child;
    w->id = child ? id : 0;
    w->style = style & ~(WS_VISIBLE | WS_DISABLED);
    w->exStyle = exStyle;
    w->rect = RECT{x, y, x + std::max(0, width), y + std::max(0, height)};
    w->text = std::u16string(text);
    WindowKind kind = WindowKind::Plain;
    const bool control = qtdetail::isControlClass(className, kind);
    w->kind = kind;
    w->proc = control ? WindowProc() : std::move(proc);

    if (control && kind != WindowKind::Static) {
        if (!qtdetail::createControl(*w, child ? parentRec->widget.data() : nullptr)) return nullptr;
    } else {
        Qt::WindowFlags flags = child ? Qt::Widget : Qt::Window;
        if (!child) {
            if (!(style & WS_CAPTION)) flags |= Qt::FramelessWindowHint;
            if (exStyle & WS_EX_TOOLWINDOW) flags |= Qt::Tool;
            if (exStyle & WS_EX_TOPMOST) flags |= Qt::WindowStaysOnTopHint;
        }
        QWidget* widget = qtdetail::newWindowWidget(w->hwnd, child ? parentRec->widget.data() : nullptr, flags);
        w->widget = widget;
        if (!child) widget->setWindowTitle(qtdetail::toQString(w->text));
        if (kind == WindowKind::Static) widget->setFocusPolicy(Qt::NoFocus);
    }
    w->widget->setProperty(kHwndProperty, QVariant::fromValue<quint64>(valueOf(w->hwnd)));
    w->widget->hide();
    qtdetail::resizeSurface(*w);
    qtdetail::applyGeometry(*w);
    t.windows.emplace(valueOf(w->hwnd), w);
    if (child) {
        parentRec->children.push_back(w->hwnd);
    } else {
        t.topLevels.push_back(w->hwnd);
    }

    CREATESTRUCT cs;
    cs.lpCreateParams = createParam;
    cs.hwndParent = parent;
    cs.id = id;
    cs.x = x;
    cs.y = y;
    cs.cx = width;
    cs.cy = height;
    cs.style = style;
    cs.exStyle = exStyle;
    cs.name = text;
    cs.className = className;
    if (qtdetail::callProc(w, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
        DestroyWindow(w->hwnd);
        return nullptr;
    }
    if (!qtdetail::lookup(w->hwnd)) return nullptr;
    qtdetail::callProc(w, WM_SIZE, SIZE_RESTORED,
                       MAKELPARAM(static_cast<WORD>(RectWidth(w->rect)), static_cast<WORD>(RectHeight(w->rect))));
    qtdetail::callProc(w, WM_MOVE, 0, MAKELPARAM(static_cast<WORD>(w->rect.left), static_cast<WORD>(w->rect.top)));
    if (style & WS_DISABLED) EnableWindow(w->hwnd, false);
    if (style & WS_VISIBLE) ShowWindow(w->hwnd, SW_SHOW);
    return qtdetail::lookup(w->hwnd) ? w->hwnd : nullptr;
}

bool DestroyWindow(HWND hwnd) {
    auto& t = table();
    auto& input = qtdetail::inputState();
    WindowPtr w = qtdetail::lookup(hwnd);
    if (!w) return false;
    if (w->destroying) return true;
    w->destroying = true;
    if (w->widget) w->widget->hide();
    w->visible = false;
    if (input.capture == hwnd) ReleaseCapture();
    qtdetail::callProc(w, WM_DESTROY, 0, 0);
    for (HWND c : std::vector<HWND>(w->children)) DestroyWindow(c);
    qtdetail::callProc(w, WM_NCDESTROY, 0, 0);
    for (auto& [id, timer] : w->timers) {
        if (timer) {
            timer->stop();
            qtdetail::scheduleDelete(timer);
        }
    }
    w->timers.clear();
    qtdetail::removeTrayIconsOf(hwnd);
    if (WindowPtr p = w->child ? qtdetail::lookup(w->parent) : nullptr) {
        auto& siblings = p->children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), hwnd), siblings.end());
    }
    t.topLevels.erase(std::remove(t.topLevels.begin(), t.topLevels.end(), hwnd), t.topLevels.end());
    if (input.mouseOver == hwnd) input.mouseOver = nullptr;
    if (input.cursorWindow == hwnd) input.cursorWindow = nullptr;
    if (input.lastActive == hwnd) input.lastActive = nullptr;
    if (w->widget) {
        w->widget->setProperty(kHwndProperty, QVariant());
        qtdetail::scheduleDelete(w->widget.data());
    }
    if (w->surface) {
        qtdetail::releaseBitmap(w->surface);
        w->surface = nullptr;
    }
    t.windows.erase(valueOf(hwnd));
    return true;
}

bool IsWindow(HWND hwnd) {
    WindowPtr w = qtdetail::lookup(hwnd);
    return w && !w->destroying;
}

WindowProc SetWindowProc(HWND hwnd, WindowProc proc) {
    WindowPtr w = qtdetail::lookup(hwnd);
    if (!w) return WindowProc();
    WindowProc old = std::move(w->proc);
    w->proc = std::move(proc);
    return old;
}

bool SetProp(HWND hwnd, std::u16string_view name, void* value) {
    WindowPtr w = qtdetail::lookup(hwnd);
    if (!w) return false;
    w->props[std::u16string(name)] = value;
    return true;
}
void* GetProp(HWND hwnd, std::u16string_view name) {
    WindowPtr w = qtdetail::lookup(hwnd);
    if (!w) return nullptr;
    auto it = w->props.find(std::u16string(name));
    return it == w->props.end() ? nullptr : it->second;
}
void* RemoveProp(HWND hwnd, std::u16string_view name) {
    WindowPtr w = qtdetail::lookup(hwnd);
    if (!w) return nullptr;
    auto it = w->props.find(std::u16string(name));
    if (it == w->props.end()) return nullptr;
    void* v = it->second;
    w->props.erase(it);
    return v;
}

// --- Relations, ids, text ---

HWND GetParent(HWND hwnd) {
    WindowPtr w = qtdetail::lookup(hwnd);
    return w ? w->parent : nullptr;
}

HWND GetAncestorRoot(HWND hwnd) {
    WindowPtr w = qtdetail::lookup(hwnd);
    while (w && w->child) {
        WindowPtr p = qtdetail::lookup(w->parent);
        if (!p) break;
        w = p;
    }
    return w ? w->hwnd : nullptr;
}

bool IsChild(HWND parent, HWND hwnd) {
    WindowPtr w = qtdetail::lookup(hwnd);
    while (w && w->child) {
        if (w->parent == parent) return true;
        w = qtdetail::lookup(w->parent);
    }
    return false;
}

std::vector<HWND> GetChildWindows(HWND hwnd) {
    WindowPtr w = qtdetail::lookup(hwnd);
    return w ? w->children : std::vector<HWND>{};
}

HWND GetDlgItem(HWND parent, int id) {
    WindowPtr w = qtdetail::lookup(parent);
    if (!w) return nullptr;
    for (HWND c : w->children) {
        WindowPtr cw = qtdetail::lookup(c);
        if (cw && cw->id == id) return c;
    }
    return nullptr;
}

int GetDlgCtrlID(HWND hwnd) {
    WindowPtr w = qtdetail::lookup(hwnd);
    return w ? w->id : 0;
}

int SetDlgCtrlID(HWND hwnd, int id) {
    WindowPtr w = qtdetail::lookup(hwnd);
    if (!w) return 0;
    const int previous = w->id;
    w->id = id;
    return previous;
}

bool SetWindowText(HWND hwnd, std::u16string_view text) {
    if (!qtdetail::lookup(hwnd)) return false;
    const std::u16string z(text);
    return SendMessage(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(z.c_str())) != 0;
}

std::u16string GetWindowText(HWND hwnd) {
    if (!qtdetail::lookup(hwnd)) return {};
    const LRESULT n = SendMessage(hwnd, WM_GETTEXTLENGTH);
    if (n <= 0) return {};
    std::u16string buffer(static_cast<size_t>(n) + 1, u'\0');
    const LRESULT got = SendMessage(hwnd, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
    buffer.resize(static_cast<size_t>(std::clamp<LRESULT>(got, 0, n)));
    return buffer;
}

int GetWindowTextLength(HWND hwnd) { return static_cast<int>(SendMessage(hwnd, WM_GETTEXTLENGTH)); }

LONG GetWindowLong(HWND hwnd, int index) {
    WindowPtr w = qtdetail::lookup(hwnd);
    if (!w) return 0;
    switch (index) {
        case GWL_STYLE: {
            DWORD st = w->style;
            if (w->visible) st |= WS_VISIBLE;
            if (!w->enabled) st |= WS_DISABLED;
            if (w->minimized) st |= WS_MINIMIZE;
            if (w->maximized) st |= WS_MAXIMIZE;
            return static_cast<LONG>(st);
        }
        case GWL_EXSTYLE: return static_cast<LONG>(w->exStyle);
        case GWL_ID: return w->id;
        default: return 0;
    }
}

HWND GetDesktopWindow() { return handleOf(kFirstHandle - 1); }

}  // namespace platform
