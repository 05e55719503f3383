// Windows, messages, timers, capture, cursors, regions and the message queue on Qt widgets.
#include "platform/window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QWheelEvent>
#include <QWindow>

#include <chrono>
#include <cstdlib>
#include <deque>
#include <thread>
#include <unordered_map>

#include "platform/qt/window_internal.h"

namespace platform {

using qtdetail::WindowKind;
using qtdetail::WindowPtr;
using qtdetail::WindowRecord;

namespace {

constexpr const char* kHwndProperty = "merovask_hwnd";
constexpr uintptr_t kFirstHandle = 0x10000;
const QEvent::Type kWakeEvent = static_cast<QEvent::Type>(QEvent::User + 417);

struct LayerState {
    std::unordered_map<uintptr_t, WindowPtr> windows;
    uintptr_t nextHandle = kFirstHandle;
    std::vector<HWND> topLevels;  // creation order

    std::deque<MSG> queue;
    bool quitWaiting = false;
    int quitCode = 0;
    std::vector<int> waitStack;  // procDepth at each waiting GetMessage
    int procDepth = 0;

    int entryDepth = 0;
    std::vector<QPointer<QObject>> pendingDeletes;

    HWND capture = nullptr;
    HWND mouseOver = nullptr;
    HWND cursorWindow = nullptr;
    HCURSOR currentCursor = nullptr;
    Qt::KeyboardModifiers modifiers;
    Qt::MouseButtons buttons;
    HWND lastActive = nullptr;
    QObject* dispatcher = nullptr;
    QObject* timerOwner = nullptr;
    QApplication* app = nullptr;
    bool ownsApp = false;
};

LayerState& state() {
    static LayerState s;
    return s;
}

HWND handleOf(uintptr_t v) { return reinterpret_cast<HWND>(v); }
uintptr_t valueOf(HWND h) { return reinterpret_cast<uintptr_t>(h); }

QRect qrect(const RECT& r) { return QRect(r.left, r.top, RectWidth(r), RectHeight(r)); }

void flushDeletes() {
    auto& s = state();
    while (!s.pendingDeletes.empty()) {
        std::vector<QPointer<QObject>> batch;
        batch.swap(s.pendingDeletes);
        for (auto& p : batch) {
            if (p) delete p.data();
        }
    }
}

// Posted-message wake-up: delivers queued messages when no GetMessage is waiting for them.
class Dispatcher : public QObject {
public:
    bool event(QEvent* e) override {
        if (e->type() != kWakeEvent) return QObject::event(e);
        qtdetail::EntryGuard guard;
        auto& s = state();
        if (!s.waitStack.empty() && s.waitStack.back() == s.procDepth) return true;
        size_t n = s.queue.size();
        while (n-- > 0 && !s.queue.empty()) {
            MSG m = s.queue.front();
            s.queue.pop_front();
            DispatchMessage(&m);
        }
        return true;
    }
};

void wake() {
    auto& s = state();
    if (s.dispatcher) QCoreApplication::postEvent(s.dispatcher, new QEvent(kWakeEvent));
}

// Makes a new surface of the client size, keeping the overlapping pixels.
void resizeSurface(WindowRecord& w) {
    const int width = std::max<LONG>(1, RectWidth(w.rect));
    const int height = std::max<LONG>(1, RectHeight(w.rect));
    if (w.surface && w.surface->image.width() == width && w.surface->image.height() == height) return;
    HBITMAP fresh = qtdetail::newBitmap(width, height, false, false);
    if (!fresh) return;
    fresh->image.fill(w.kind == WindowKind::Static ? 0xFFF0F0F0u : 0xFFFFFFFFu);
    if (w.surface) {
        QPainter p(&fresh->image);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(0, 0, w.surface->image);
        p.end();
        qtdetail::releaseBitmap(w.surface);
    }
    w.surface = fresh;
    w.invalid = QRegion(0, 0, width, height);
}

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

// Moves / sizes the record and tells the window. Returns whether anything changed.
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

void sendMouse(const WindowPtr& target, UINT msg, QPoint client, WPARAM extra = 0) {
    const WPARAM keys = qtdetail::mouseKeys() | extra;
    qtdetail::callProc(target, msg, keys, MAKELPARAM(static_cast<WORD>(client.x()), static_cast<WORD>(client.y())));
}

// The widget of every plain window: surface painting and input as Win32 messages.
class WindowWidget : public QWidget {
public:
    WindowWidget(HWND hwnd, QWidget* parent, Qt::WindowFlags flags) : QWidget(parent, flags), hwnd_(hwnd) {
        setProperty(kHwndProperty, QVariant::fromValue<quint64>(valueOf(hwnd)));
        setAttribute(Qt::WA_OpaquePaintEvent);
        setAttribute(Qt::WA_NoSystemBackground);
        setMouseTracking(true);
        setFocusPolicy(Qt::StrongFocus);
    }

    bool event(QEvent* e) override {
        qtdetail::EntryGuard guard;
        if (qtdetail::isInputEvent(e) && qtdetail::inputBlocked(hwnd_)) {
            e->accept();
            return true;
        }
        return QWidget::event(e);
    }

protected:
    void paintEvent(QPaintEvent* e) override {
        WindowPtr w = qtdetail::lookup(hwnd_);
        if (!w) return;
        if (!w->invalid.isEmpty()) UpdateWindow(hwnd_);
        w = qtdetail::lookup(hwnd_);
        if (!w || !w->surface) return;
        QPainter p(this);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        for (const QRect& r : e->region()) p.drawImage(r.topLeft(), w->surface->image, r);
    }

    void mouseEvent(QMouseEvent* e, UINT msgBase) {
        qtdetail::noteInputState(e->modifiers(), e->buttons());
        WindowPtr self = qtdetail::lookup(hwnd_);
        if (!self) return;
        const QPoint global = e->globalPosition().toPoint();
        WindowPtr target = self;
        auto& s = state();
        if (s.capture && s.capture != hwnd_) {
            if (WindowPtr c = qtdetail::lookup(s.capture)) target = c;
        }
        if (msgBase == WM_MOUSEMOVE) qtdetail::noteMouseOver(hwnd_);
        UINT msg = msgBase;
        if (msgBase != WM_MOUSEMOVE) {
            const int offset = e->button() == Qt::RightButton ? 3 : e->button() == Qt::MiddleButton ? 6 : 0;
            msg = msgBase + offset;
        }
        if (!s.capture) {
            s.cursorWindow = hwnd_;
            qtdetail::callProc(self, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd_), MAKELPARAM(HTCLIENT, static_cast<WORD>(msg)));
        }
        QPoint client = target == self ? e->position().toPoint()
                                       : (target->widget ? target->widget->mapFromGlobal(global) : global);
        sendMouse(target, msg, client);
        e->accept();
    }

    void mouseMoveEvent(QMouseEvent* e) override { mouseEvent(e, WM_MOUSEMOVE); }
    void mousePressEvent(QMouseEvent* e) override { mouseEvent(e, WM_LBUTTONDOWN); }
    void mouseReleaseEvent(QMouseEvent* e) override { mouseEvent(e, WM_LBUTTONUP); }
    void mouseDoubleClickEvent(QMouseEvent* e) override { mouseEvent(e, WM_LBUTTONDBLCLK); }

    void wheelEvent(QWheelEvent* e) override {
        qtdetail::noteInputState(e->modifiers(), e->buttons());
        WindowPtr self = qtdetail::lookup(hwnd_);
        if (!self) return;
        const QPoint g = e->globalPosition().toPoint();
        const int delta = e->angleDelta().y();
        qtdetail::callProc(self, WM_MOUSEWHEEL, MAKEWPARAM(static_cast<WORD>(qtdetail::mouseKeys()), static_cast<WORD>(delta)),
                           MAKELPARAM(static_cast<WORD>(g.x()), static_cast<WORD>(g.y())));
        e->accept();
    }

    void leaveEvent(QEvent*) override { qtdetail::mouseLeft(hwnd_); }

    void keyPressEvent(QKeyEvent* e) override {
        qtdetail::noteInputState(e->modifiers(), state().buttons);
        WindowPtr self = qtdetail::lookup(hwnd_);
        if (!self) return;
        if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter || e->key() == Qt::Key_Escape) {
            if (HWND target = qtdetail::dialogKeyTarget(hwnd_)) {
                const int id = e->key() == Qt::Key_Escape ? IDCANCEL : IDOK;
                SendMessage(target, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED), 0);
                e->accept();
                return;
            }
        }
        const WPARAM vk = qtdetail::virtualKeyOf(e->key());
        if (vk) qtdetail::callProc(self, WM_KEYDOWN, vk, 1);
        for (QChar c : e->text()) {
            if (!qtdetail::lookup(hwnd_)) break;
            qtdetail::callProc(self, WM_CHAR, c.unicode(), 1);
        }
        e->accept();
    }

    void keyReleaseEvent(QKeyEvent* e) override {
        qtdetail::noteInputState(e->modifiers(), state().buttons);
        WindowPtr self = qtdetail::lookup(hwnd_);
        if (!self) return;
        const WPARAM vk = qtdetail::virtualKeyOf(e->key());
        if (vk) qtdetail::callProc(self, WM_KEYUP, vk, static_cast<LPARAM>(0xC0000001u));
        e->accept();
    }

    void focusInEvent(QFocusEvent*) override {
        if (WindowPtr self = qtdetail::lookup(hwnd_)) qtdetail::callProc(self, WM_SETFOCUS, 0, 0);
    }
    void focusOutEvent(QFocusEvent*) override {
        if (WindowPtr self = qtdetail::lookup(hwnd_)) qtdetail::callProc(self, WM_KILLFOCUS, 0, 0);
    }

    void closeEvent(QCloseEvent* e) override {
        e->ignore();
        if (WindowPtr self = qtdetail::lookup(hwnd_)) qtdetail::callProc(self, WM_SYSCOMMAND, SC_CLOSE, 0);
    }

    void resizeEvent(QResizeEvent*) override { systemGeometry(); }
    void moveEvent(QMoveEvent*) override { systemGeometry(); }

    void changeEvent(QEvent* e) override {
        WindowPtr self = qtdetail::lookup(hwnd_);
        if (self && e->type() == QEvent::ActivationChange && isWindow()) {
            if (isActiveWindow()) state().lastActive = hwnd_;
            qtdetail::callProc(self, WM_ACTIVATE, isActiveWindow() ? WA_ACTIVE : WA_INACTIVE, 0);
        }
        if (self && e->type() == QEvent::WindowStateChange && isWindow()) {
            const bool minimized = isMinimized();
            if (minimized != self->minimized) {
                self->minimized = minimized;
                const WPARAM kind = minimized ? SIZE_MINIMIZED : (self->maximized ? SIZE_MAXIMIZED : SIZE_RESTORED);
                const LPARAM size = minimized ? 0
                                              : MAKELPARAM(static_cast<WORD>(RectWidth(self->rect)),
                                                           static_cast<WORD>(RectHeight(self->rect)));
                qtdetail::callProc(self, WM_SIZE, kind, size);
            }
        }
        QWidget::changeEvent(e);
    }

private:
    // The window manager moved or sized a top-level window.
    void systemGeometry() {
        if (!isWindow()) return;
        WindowPtr self = qtdetail::lookup(hwnd_);
        if (!self || self->minimized) return;
        const QRect g = geometry();
        setRect(self, RECT{g.left(), g.top(), g.left() + g.width(), g.top() + g.height()}, true);
    }

    HWND hwnd_;
};

}  // namespace

struct HCURSOR__ {
    int id;
    Qt::CursorShape shape;
};

namespace qtdetail {

void applyGeometry(WindowRecord& w) {
    if (!w.widget) return;
    QRect r = qrect(w.rect);
    if (w.kind == WindowKind::ComboBox) {
        r.setHeight(std::min(r.height(), std::max(1, w.widget->sizeHint().height())));
    }
    if (r.width() <= 0) r.setWidth(0);
    if (r.height() <= 0) r.setHeight(0);
    w.widget->setGeometry(r);
}

WindowPtr lookup(HWND hwnd) {
    auto& s = state();
    auto it = s.windows.find(valueOf(hwnd));
    if (it == s.windows.end()) return nullptr;
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
    auto& s = state();
    ++s.procDepth;
    WindowProc proc = w->proc;  // a procedure replaced during the call stays alive
    LRESULT r = proc ? proc(w->hwnd, msg, wParam, lParam) : DefWindowProc(w->hwnd, msg, wParam, lParam);
    --s.procDepth;
    return r;
}

EntryGuard::EntryGuard() { ++state().entryDepth; }
EntryGuard::~EntryGuard() {
    if (--state().entryDepth == 0) flushDeletes();
}

void scheduleDelete(QObject* object) {
    if (!object) return;
    if (state().entryDepth == 0) {
        delete object;
    } else {
        state().pendingDeletes.emplace_back(object);
    }
}

void noteInputState(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons) {
    state().modifiers = modifiers;
    state().buttons = buttons;
}

WPARAM mouseKeys() {
    const auto& s = state();
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

void noteMouseOver(HWND hwnd) {
    auto& s = state();
    if (s.mouseOver == hwnd) return;
    HWND old = s.mouseOver;
    s.mouseOver = hwnd;
    // Entering a child (a real control) leaves the parent, as in Win32.
    if (old) mouseLeft(old);
}

void mouseLeft(HWND hwnd) {
    auto& s = state();
    if (s.mouseOver == hwnd) s.mouseOver = nullptr;
    WindowPtr w = lookup(hwnd);
    if (w && w->trackLeave) {
        w->trackLeave = false;
        callProc(w, WM_MOUSELEAVE, 0, 0);
    }
}

QString toQString(std::u16string_view s) {
    return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size()));
}
std::u16string fromQString(const QString& s) { return s.toStdU16String(); }

void surfaceChanged(HWND hwnd, const QRect& area) {
    WindowPtr w = lookup(hwnd);
    if (w && w->widget) w->widget->update(area);
}

}  // namespace qtdetail

// --- Application ---

Application::Application(int& argc, char** argv) {
    auto& s = state();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    if (QApplication* existing = qobject_cast<QApplication*>(QCoreApplication::instance())) {
        s.app = existing;
        s.ownsApp = false;
    } else {
        s.app = new QApplication(argc, argv);
        s.ownsApp = true;
    }
    QApplication::setQuitOnLastWindowClosed(false);
    s.dispatcher = new Dispatcher;
    s.timerOwner = new QObject;
}

Application::~Application() {
    auto& s = state();
    std::vector<HWND> tops = s.topLevels;
    for (HWND h : tops) DestroyWindow(h);
    flushDeletes();
    delete s.timerOwner;
    s.timerOwner = nullptr;
    delete s.dispatcher;
    s.dispatcher = nullptr;
    s.queue.clear();
    s.quitWaiting = false;
    if (s.ownsApp) delete s.app;
    s.app = nullptr;
}

bool Application::isOffscreen() { return QGuiApplication::platformName() == QLatin1String("offscreen"); }

void Application::setDesktopFileName(std::string_view id) {
    QGuiApplication::setDesktopFileName(QString::fromUtf8(id.data(), static_cast<qsizetype>(id.size())));
}

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
    auto& s = state();
    if (!s.app) return nullptr;
    const bool child = style & WS_CHILD;
    WindowPtr parentRec = parent ? qtdetail::lookup(parent) : nullptr;
    if (child && (!parentRec || !parentRec->widget)) return nullptr;
    if (parent && !parentRec) return nullptr;

    auto w = std::make_shared<WindowRecord>();
    w->hwnd = handleOf(s.nextHandle++);
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
        auto* widget = new WindowWidget(w->hwnd, child ? parentRec->widget.data() : nullptr, flags);
        w->widget = widget;
        if (!child) widget->setWindowTitle(qtdetail::toQString(w->text));
        if (kind == WindowKind::Static) widget->setFocusPolicy(Qt::NoFocus);
    }
    w->widget->setProperty(kHwndProperty, QVariant::fromValue<quint64>(valueOf(w->hwnd)));
    w->widget->hide();
    resizeSurface(*w);
    qtdetail::applyGeometry(*w);
    s.windows.emplace(valueOf(w->hwnd), w);
    if (child) {
        parentRec->children.push_back(w->hwnd);
    } else {
        s.topLevels.push_back(w->hwnd);
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
    auto& s = state();
    WindowPtr w = qtdetail::lookup(hwnd);
    if (!w) return false;
    if (w->destroying) return true;
    w->destroying = true;
    if (w->widget) w->widget->hide();
    w->visible = false;
    if (s.capture == hwnd) ReleaseCapture();
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
    s.topLevels.erase(std::remove(s.topLevels.begin(), s.topLevels.end(), hwnd), s.topLevels.end());
    if (s.mouseOver == hwnd) s.mouseOver = nullptr;
    if (s.cursorWindow == hwnd) s.cursorWindow = nullptr;
    if (s.lastActive == hwnd) s.lastActive = nullptr;
    if (w->widget) {
        w->widget->setProperty(kHwndProperty, QVariant());
        qtdetail::scheduleDelete(w->widget.data());
    }
    if (w->surface) {
        qtdetail::releaseBitmap(w->surface);
        w->surface = nullptr;
    }
    s.windows.erase(valueOf(hwnd));
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

// --- Messages ---

LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return qtdetail::callProc(qtdetail::lookup(hwnd), msg, wParam, lParam);
}

bool PostMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (hwnd && !qtdetail::lookup(hwnd)) return false;
    MSG m;
    m.hwnd = hwnd;
    m.message = msg;
    m.wParam = wParam;
    m.lParam = lParam;
    m.time = GetTickCount();
    state().queue.push_back(m);
    wake();
    return true;
}

void PostQuitMessage(int exitCode) {
    state().quitWaiting = true;
    state().quitCode = exitCode;
    wake();
}

namespace {

bool qualifies(const MSG& m, HWND hwnd, UINT filterMin, UINT filterMax) {
    if (hwnd && m.hwnd != hwnd && !IsChild(hwnd, m.hwnd)) return false;
    if (filterMin == 0 && filterMax == 0) return true;
    return m.message >= filterMin && m.message <= filterMax;
}

bool takeQueued(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, bool remove) {
    auto& q = state().queue;
    for (auto it = q.begin(); it != q.end(); ++it) {
        if (!qualifies(*it, hwnd, filterMin, filterMax)) continue;
        if (msg) *msg = *it;
        if (remove) q.erase(it);
        return true;
    }
    return false;
}

bool quitQualifies(UINT filterMin, UINT filterMax) {
    return (filterMin == 0 && filterMax == 0) || (WM_QUIT >= filterMin && WM_QUIT <= filterMax);
}

void fillQuit(MSG* msg) {
    if (!msg) return;
    *msg = MSG{};
    msg->message = WM_QUIT;
    msg->wParam = static_cast<WPARAM>(state().quitCode);
}

}  // namespace

bool PeekMessage(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags) {
    const bool remove = removeFlags & PM_REMOVE;
    if (takeQueued(msg, hwnd, filterMin, filterMax, remove)) return true;
    auto& s = state();
    if (s.quitWaiting && quitQualifies(filterMin, filterMax)) {
        fillQuit(msg);
        if (remove) s.quitWaiting = false;
        return true;
    }
    return false;
}

int GetMessage(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax) {
    auto& s = state();
    MSG local;
    if (!msg) msg = &local;
    bool roundDone = false;
    while (true) {
        if (takeQueued(msg, hwnd, filterMin, filterMax, true)) return 1;
        if (roundDone) {
            *msg = MSG{};
            return 1;
        }
        if (s.quitWaiting) {
            fillQuit(msg);
            s.quitWaiting = false;
            return 0;
        }
        s.waitStack.push_back(s.procDepth);
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents | QEventLoop::AllEvents);
        s.waitStack.pop_back();
        if (s.entryDepth == 0) flushDeletes();
        roundDone = true;
    }
}

LRESULT DispatchMessage(const MSG* msg) {
    if (!msg || !msg->hwnd) return 0;
    return SendMessage(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

void PumpMessages() {
    auto& s = state();
    for (int round = 0; round < 4; ++round) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        size_t n = s.queue.size();
        while (n-- > 0 && !s.queue.empty()) {
            MSG m = s.queue.front();
            s.queue.pop_front();
            DispatchMessage(&m);
        }
        if (s.entryDepth == 0) flushDeletes();
        if (s.queue.empty()) break;
    }
}

void SetDialogKeys(HWND hwnd, bool enabled) {
    if (WindowPtr w = qtdetail::lookup(hwnd)) w->dialogKeys = enabled;
}

// --- Timers ---

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapseMs) {
    WindowPtr w = qtdetail::lookup(hwnd);
    auto& s = state();
    if (!w || !s.timerOwner) return 0;
    QPointer<QTimer>& slot = w->timers[id];
    if (!slot) {
        auto* timer = new QTimer(s.timerOwner);
        slot = timer;
        QObject::connect(timer, &QTimer::timeout, timer, [hwnd, id] {
            qtdetail::EntryGuard guard;
            if (WindowPtr target = qtdetail::lookup(hwnd)) qtdetail::callProc(target, WM_TIMER, id, 0);
        });
    }
    slot->start(static_cast<int>(std::max<UINT>(elapseMs, 1)));
    return id;
}

bool KillTimer(HWND hwnd, UINT_PTR id) {
    WindowPtr w = qtdetail::lookup(hwnd);
    if (!w) return false;
    auto it = w->timers.find(id);
    if (it == w->timers.end()) return false;
    if (it->second) {
        it->second->stop();
        qtdetail::scheduleDelete(it->second.data());
    }
    w->timers.erase(it);
    return true;
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
    setRect(w, r, false);
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
    setRect(w, RECT{x, y, x + info.ptMaxSize.x, y + info.ptMaxSize.y}, false);
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
                setRect(w, w->normalRect, false);
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
    if (!enable && state().capture == hwnd) ReleaseCapture();
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
    state().lastActive = root;
    return true;
}

HWND GetActiveWindow() {
    if (QWidget* active = QApplication::activeWindow()) {
        if (HWND h = qtdetail::windowOfWidget(active)) return GetAncestorRoot(h);
    }
    return IsWindow(state().lastActive) ? state().lastActive : nullptr;
}

HWND GetForegroundWindow() { return GetActiveWindow(); }

HWND SetActiveWindow(HWND hwnd) {
    HWND previous = GetActiveWindow();
    WindowPtr w = qtdetail::lookup(hwnd);
    if (!w || !w->widget) return nullptr;
    HWND root = GetAncestorRoot(hwnd);
    if (WindowPtr r = qtdetail::lookup(root)) r->widget->activateWindow();
    state().lastActive = root;
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

// --- Painting ---

bool InvalidateRect(HWND hwnd, const RECT* rect, bool) {
    WindowPtr w = qtdetail::lookup(hwnd);
    if (!w || !w->surface) return false;
    const QRect client = w->surface->image.rect();
    const QRect r = rect ? qrect(*rect).intersected(client) : client;
    if (r.isEmpty()) return true;
    w->invalid = w->invalid.united(r);
    if (w->widget) w->widget->update(r);
    return true;
}

bool InvalidateRgn(HWND hwnd, HRGN region, bool erase) {
    if (!region) return InvalidateRect(hwnd, nullptr, erase);
    WindowPtr w = qtdetail::lookup(hwnd);
    if (!w || !w->surface) return false;
    const QRegion r = region->region.intersected(w->surface->image.rect());
    w->invalid = w->invalid.united(r);
    if (w->widget) w->widget->update(r);
    return true;
}

bool ValidateRect(HWND hwnd, const RECT* rect) {
    WindowPtr w = qtdetail::lookup(hwnd);
    if (!w) return false;
    w->invalid = rect ? w->invalid.subtracted(qrect(*rect)) : QRegion();
    return true;
}

bool GetUpdateRect(HWND hwnd, RECT* rect, bool) {
    WindowPtr w = qtdetail::lookup(hwnd);
    if (!w) return false;
    const QRect b = w->invalid.boundingRect();
    if (rect) *rect = w->invalid.isEmpty() ? RECT{} : RECT{b.left(), b.top(), b.right() + 1, b.bottom() + 1};
    return !w->invalid.isEmpty();
}

bool UpdateWindow(HWND hwnd) {
    WindowPtr w = qtdetail::lookup(hwnd);
    if (!w) return false;
    if (w->invalid.isEmpty()) return true;
    w->beganPaint = false;
    qtdetail::callProc(w, WM_PAINT, 0, 0);
    if (!w->beganPaint) w->invalid = QRegion();
    return true;
}

bool RedrawWindow(HWND hwnd) {
    if (!UpdateWindow(hwnd)) return false;
    WindowPtr w = qtdetail::lookup(hwnd);
    if (w && w->widget && w->widget->isVisible()) w->widget->repaint();
    return true;
}

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps) {
    WindowPtr w = qtdetail::lookup(hwnd);
    if (!w || !ps || !w->surface) return nullptr;
    HDC dc = qtdetail::newSurfaceDC(hwnd, w->surface);
    const QRegion region = w->invalid;
    dc->systemClip = region;
    const QRect b = region.boundingRect();
    ps->hdc = dc;
    ps->fErase = false;
    ps->rcPaint = region.isEmpty() ? RECT{} : RECT{b.left(), b.top(), b.right() + 1, b.bottom() + 1};
    w->invalid = QRegion();
    w->beganPaint = true;
    return dc;
}

bool EndPaint(HWND hwnd, const PAINTSTRUCT* ps) {
    if (!ps || !ps->hdc) return false;
    ReleaseDC(hwnd, ps->hdc);
    return true;
}

HDC GetDC(HWND hwnd) {
    if (!hwnd) return qtdetail::newScreenDC();
    WindowPtr w = qtdetail::lookup(hwnd);
    if (!w || !w->surface) return nullptr;
    return qtdetail::newSurfaceDC(hwnd, w->surface);
}

int ReleaseDC(HWND hwnd, HDC hdc) {
    if (!hdc) return 0;
    if (hdc->window && hdc->window == hwnd) {
        WindowPtr w = qtdetail::lookup(hwnd);
        // Drawing on a surface the window has since replaced shows nothing.
        if (w && w->widget && w->surface == hdc->bitmap) w->widget->update();
    }
    DeleteDC(hdc);
    return 1;
}

// --- Mouse ---

HWND SetCapture(HWND hwnd) {
    auto& s = state();
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
    auto& s = state();
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
    auto& s = state();
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
        if (state().mouseOver == request->hwndTrack) {
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
    const auto& s = state();
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
    auto& s = state();
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

HCURSOR GetCursor() { return state().currentCursor; }

HCURSOR GetWindowCursor(HWND hwnd) {
    WindowPtr w = qtdetail::lookup(hwnd);
    return w ? w->cursor : nullptr;
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

DWORD GetTickCount() {
    using namespace std::chrono;
    return static_cast<DWORD>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void Sleep(DWORD ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

}  // namespace platform
