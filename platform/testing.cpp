#include "platform/testing.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDropEvent>
#include <QEnterEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>
#include <QWheelEvent>

#include "platform/qt/window_internal.h"

namespace platform::testing {

namespace {

QPointer<QWidget> g_under;
Qt::MouseButtons g_held;

Qt::MouseButton qtButton(MouseButton b) {
    switch (b) {
        case MouseButton::Left: return Qt::LeftButton;
        case MouseButton::Right: return Qt::RightButton;
        case MouseButton::Middle: return Qt::MiddleButton;
        default: return Qt::NoButton;
    }
}

Qt::KeyboardModifiers qtModifiers(WPARAM keys) {
    Qt::KeyboardModifiers m;
    if (keys & MK_SHIFT) m |= Qt::ShiftModifier;
    if (keys & MK_CONTROL) m |= Qt::ControlModifier;
    return m;
}

int qtKeyOf(WPARAM vk) {
    if (vk >= 'A' && vk <= 'Z') return Qt::Key_A + static_cast<int>(vk - 'A');
    if (vk >= '0' && vk <= '9') return Qt::Key_0 + static_cast<int>(vk - '0');
    if (vk >= VK_F1 && vk < VK_F1 + 12) return Qt::Key_F1 + static_cast<int>(vk - VK_F1);
    switch (vk) {
        case VK_BACK: return Qt::Key_Backspace;
        case VK_TAB: return Qt::Key_Tab;
        case VK_RETURN: return Qt::Key_Return;
        case VK_SHIFT: return Qt::Key_Shift;
        case VK_CONTROL: return Qt::Key_Control;
        case VK_MENU: return Qt::Key_Alt;
        case VK_ESCAPE: return Qt::Key_Escape;
        case VK_SPACE: return Qt::Key_Space;
        case VK_PRIOR: return Qt::Key_PageUp;
        case VK_NEXT: return Qt::Key_PageDown;
        case VK_END: return Qt::Key_End;
        case VK_HOME: return Qt::Key_Home;
        case VK_LEFT: return Qt::Key_Left;
        case VK_UP: return Qt::Key_Up;
        case VK_RIGHT: return Qt::Key_Right;
        case VK_DOWN: return Qt::Key_Down;
        case VK_DELETE: return Qt::Key_Delete;
        default: return Qt::Key_unknown;
    }
}

QWidget* widgetOf(HWND hwnd) {
    qtdetail::WindowPtr w = qtdetail::lookup(hwnd);
    return w ? w->widget.data() : nullptr;
}

QWidget* keyTarget(QWidget* root) {
    QWidget* focus = QApplication::focusWidget();
    if (focus && (focus == root || root->isAncestorOf(focus))) return focus;
    return root;
}

}  // namespace

bool InjectMouse(HWND hwnd, MouseAction action, int x, int y, MouseButton button, WPARAM keys) {
    QWidget* root = widgetOf(hwnd);
    if (!root) return false;
    QWidget* target = root;
    if (qtdetail::lookup(hwnd)->control) {
        if (QWidget* inner = root->childAt(x, y)) target = inner;
    }
    const QPoint local = target->mapFrom(root, QPoint(x, y));
    const QPoint global = root->mapToGlobal(QPoint(x, y));
    if (g_under != target && action == MouseAction::Move) {
        if (g_under) {
            QEvent leave(QEvent::Leave);
            QApplication::sendEvent(g_under, &leave);
        }
        g_under = target;
        QEnterEvent enter(local, local, global);
        QApplication::sendEvent(target, &enter);
    }
    QEvent::Type type = QEvent::MouseMove;
    const Qt::MouseButton b = qtButton(button);
    switch (action) {
        case MouseAction::Move: break;
        case MouseAction::Press: type = QEvent::MouseButtonPress; g_held |= b; break;
        case MouseAction::DoubleClick: type = QEvent::MouseButtonDblClick; g_held |= b; break;
        case MouseAction::Release: type = QEvent::MouseButtonRelease; g_held &= ~Qt::MouseButtons(b); break;
    }
    QMouseEvent e(type, local, local, global, type == QEvent::MouseMove ? Qt::NoButton : b, g_held, qtModifiers(keys));
    QApplication::sendEvent(target, &e);
    return true;
}

bool InjectMouseLeave(HWND hwnd) {
    QWidget* root = widgetOf(hwnd);
    if (!root) return false;
    QWidget* target = g_under && (g_under == root || root->isAncestorOf(g_under)) ? g_under.data() : root;
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(target, &leave);
    if (target != root) QApplication::sendEvent(root, &leave);
    g_under = nullptr;
    return true;
}

bool InjectWheel(HWND hwnd, int x, int y, int delta) {
    QWidget* root = widgetOf(hwnd);
    if (!root) return false;
    const QPointF local(x, y);
    const QPointF global = root->mapToGlobal(QPoint(x, y));
    QWheelEvent e(local, global, QPoint(), QPoint(0, delta), g_held, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(root, &e);
    return true;
}

bool InjectKey(HWND hwnd, WPARAM virtualKey, std::u16string_view text, WPARAM keys) {
    QWidget* root = widgetOf(hwnd);
    if (!root) return false;
    QWidget* target = keyTarget(root);
    const QString t = qtdetail::toQString(text);
    QKeyEvent press(QEvent::KeyPress, qtKeyOf(virtualKey), qtModifiers(keys), t);
    QApplication::sendEvent(target, &press);
    if (!widgetOf(hwnd)) return true;
    QKeyEvent release(QEvent::KeyRelease, qtKeyOf(virtualKey), qtModifiers(keys), t);
    QApplication::sendEvent(keyTarget(root), &release);
    return true;
}

bool InjectText(HWND hwnd, std::u16string_view text) {
    for (char16_t c : text) {
        if (!InjectKey(hwnd, 0, std::u16string_view(&c, 1))) return false;
    }
    return true;
}

bool InjectDrop(HWND hwnd, int x, int y, const MimeData& data) {
    QWidget* root = widgetOf(hwnd);
    if (!root) return false;
    QWidget* target = root->childAt(x, y);
    if (!target) target = root;
    while (!target->acceptDrops() && !target->isWindow() && target->parentWidget()) target = target->parentWidget();
    if (!target->acceptDrops()) return false;
    QMimeData mime;
    for (const auto& [type, bytes] : data.formats) {
        mime.setData(QString::fromStdString(type), QByteArray::fromStdString(bytes));
    }
    const QPointF at = target->mapFromGlobal(root->mapToGlobal(QPointF(x, y)));
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    return drop.isAccepted();
}

bool InjectCloseRequest(HWND hwnd) {
    QWidget* root = widgetOf(hwnd);
    if (!root) return false;
    QCloseEvent e;
    QApplication::sendEvent(root, &e);
    return true;
}

}  // namespace platform::testing
