// The Qt widget of every plain window: it puts the window's kept surface on the screen and turns
// Qt's input, focus, activation, state and geometry events into the window's messages.
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <QWidget>

#include "platform/qt/objects.h"
#include "platform/qt/window_internal.h"
#include "platform/qt/window_state.h"

namespace platform {

using qtdetail::WindowPtr;

namespace {

void sendMouse(const WindowPtr& target, UINT msg, QPoint client, WPARAM extra = 0) {
    const WPARAM keys = qtdetail::mouseKeys() | extra;
    qtdetail::callProc(target, msg, keys, MAKELPARAM(static_cast<WORD>(client.x()), static_cast<WORD>(client.y())));
}

// The widget of every plain window: surface painting and input as Win32 messages.
class WindowWidget : public QWidget {
public:
    WindowWidget(HWND hwnd, QWidget* parent, Qt::WindowFlags flags) : QWidget(parent, flags), hwnd_(hwnd) {
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
        // Qt tells every widget of a window that went to another screen.
        if (e->type() == QEvent::ScreenChangeInternal) qtdetail::followPixelRatio(hwnd_);
        return QWidget::event(e);
    }

protected:
    void paintEvent(QPaintEvent* e) override {
        WindowPtr w = qtdetail::lookup(hwnd_);
        if (!w) return;
        // Moved to a screen of another pixel density unannounced: a fresh surface at its ratio,
        // drawn anew.
        qtdetail::followPixelRatio(hwnd_);
        w = qtdetail::lookup(hwnd_);
        if (!w) return;
        if (!w->invalid.isEmpty()) UpdateWindow(hwnd_);
        w = qtdetail::lookup(hwnd_);
        if (!w || !w->surface) return;
        QPainter p(this);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        const double scale = w->surface->scale;
        for (const QRect& r : e->region()) {
            if (scale == 1.0) {
                p.drawImage(r.topLeft(), w->surface->image, r);
            } else {
                // The surface's own device pixels for the logical rectangle.
                p.drawImage(QRectF(r), w->surface->image, QRectF(qtdetail::toDevice(r, scale)));
            }
        }
    }

    void mouseEvent(QMouseEvent* e, UINT msgBase) {
        qtdetail::noteInputState(e->modifiers(), e->buttons());
        WindowPtr self = qtdetail::lookup(hwnd_);
        if (!self) return;
        const QPoint global = e->globalPosition().toPoint();
        WindowPtr target = self;
        auto& input = qtdetail::inputState();
        if (input.capture && input.capture != hwnd_) {
            if (WindowPtr c = qtdetail::lookup(input.capture)) target = c;
        }
        if (msgBase == WM_MOUSEMOVE) qtdetail::noteMouseOver(hwnd_);
        UINT msg = msgBase;
        if (msgBase != WM_MOUSEMOVE) {
            const int offset = e->button() == Qt::RightButton ? 3 : e->button() == Qt::MiddleButton ? 6 : 0;
            msg = msgBase + offset;
        }
        if (!input.capture) {
            input.cursorWindow = hwnd_;
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
        qtdetail::noteInputState(e->modifiers(), qtdetail::inputState().buttons);
        WindowPtr self = qtdetail::lookup(hwnd_);
        if (!self) return;
        if (qtdetail::translateAccelerator(hwnd_, e)) {
            e->accept();
            return;
        }
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

    // Tab and Shift+Tab, here or in a child control: a dialog-keys window orders its own focus.
    bool focusNextPrevChild(bool next) override {
        if (HWND target = qtdetail::dialogKeyTarget(hwnd_)) {
            if (SendMessage(target, WM_NEXTDLGCTL, next ? 0 : 1, 0)) return true;
        }
        return QWidget::focusNextPrevChild(next);
    }

    void keyReleaseEvent(QKeyEvent* e) override {
        qtdetail::noteInputState(e->modifiers(), qtdetail::inputState().buttons);
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

    void dragEnterEvent(QDragEnterEvent* e) override { qtdetail::handleDragEvent(hwnd_, e); }
    void dragMoveEvent(QDragMoveEvent* e) override { qtdetail::handleDragEvent(hwnd_, e); }
    void dropEvent(QDropEvent* e) override { qtdetail::handleDragEvent(hwnd_, e); }

    void closeEvent(QCloseEvent* e) override {
        e->ignore();
        if (WindowPtr self = qtdetail::lookup(hwnd_)) qtdetail::callProc(self, WM_SYSCOMMAND, SC_CLOSE, 0);
    }

    void resizeEvent(QResizeEvent*) override { systemGeometry(); }
    void moveEvent(QMoveEvent*) override { systemGeometry(); }

    void changeEvent(QEvent* e) override {
        WindowPtr self = qtdetail::lookup(hwnd_);
        if (self && e->type() == QEvent::ActivationChange && isWindow()) {
            if (isActiveWindow()) qtdetail::inputState().lastActive = hwnd_;
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
        qtdetail::setRect(self, RECT{g.left(), g.top(), g.left() + g.width(), g.top() + g.height()}, true);
    }

    HWND hwnd_;
};

}  // namespace

namespace qtdetail {

QWidget* newWindowWidget(HWND hwnd, QWidget* parent, Qt::WindowFlags flags) {
    return new WindowWidget(hwnd, parent, flags);
}

}  // namespace qtdetail
}  // namespace platform
