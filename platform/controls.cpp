// The real controls: edit fields on QPlainTextEdit / QLineEdit, the drop-down list on QComboBox.
#include "platform/controls.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDropEvent>
#include <QEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QRegularExpressionValidator>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTextBlock>
#include <QTextCursor>

#include "platform/qt/window_internal.h"

namespace platform {
namespace qtdetail {

struct ControlState {
    QPlainTextEdit* multi = nullptr;
    QLineEdit* single = nullptr;
    QComboBox* combo = nullptr;
    bool wantReturn = false;
    bool modified = false;
    bool settingText = false;
    int limit = 0;
    int curSel = -1;
};

namespace {

void notifyParent(HWND hwnd, WORD code) {
    WindowPtr w = lookup(hwnd);
    if (!w || !w->child) return;
    SendMessage(w->parent, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(w->id), code), reinterpret_cast<LPARAM>(hwnd));
}

QString multiLineText(const QPlainTextEdit* edit) { return edit->toPlainText(); }

QString normaliseLineEnds(QString s) {
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return s;
}

QString controlText(const ControlState& c) {
    if (c.multi) {
        QString s = multiLineText(c.multi);
        s.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
        return s;
    }
    if (c.single) return c.single->text();
    if (c.combo) return c.combo->isEditable() ? c.combo->lineEdit()->text() : c.combo->currentText();
    return QString();
}

LRESULT copyOut(const QString& text, WPARAM size, LPARAM buffer) {
    auto* out = reinterpret_cast<char16_t*>(buffer);
    if (!out || size == 0) return 0;
    const std::u16string s = text.toStdU16String();
    const size_t n = std::min<size_t>(s.size(), size - 1);
    std::copy_n(s.data(), n, out);
    out[n] = u'\0';
    return static_cast<LRESULT>(n);
}

// Keeps the edit text when QComboBox would replace it on its own.
void keepEditText(QComboBox* combo, int curSel, const QString& text) {
    if (!combo->isEditable()) return;
    QSignalBlocker block(combo);
    if (curSel < 0) combo->setCurrentIndex(-1);
    QSignalBlocker blockEdit(combo->lineEdit());
    combo->lineEdit()->setText(text);
}

LRESULT editProc(const WindowPtr& w, ControlState& c, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_SETTEXT: {
            const auto* text = reinterpret_cast<const char16_t*>(lParam);
            const QString s = text ? QString::fromUtf16(text) : QString();
            c.settingText = true;
            if (c.multi) {
                c.multi->setPlainText(normaliseLineEnds(s));
            } else {
                c.single->setText(s);
            }
            c.settingText = false;
            c.modified = false;
            if (c.single && lookup(w->hwnd)) notifyParent(w->hwnd, EN_CHANGE);
            return 1;
        }
        case WM_GETTEXTLENGTH: return controlText(c).size();
        case WM_GETTEXT: return copyOut(controlText(c), wParam, lParam);
        case EM_SETSEL: {
            const int length = static_cast<int>(c.multi ? multiLineText(c.multi).size() : c.single->text().size());
            int start = static_cast<int>(static_cast<intptr_t>(wParam));
            int end = static_cast<int>(lParam);
            if (start < 0) {  // -1 removes the selection
                start = end = length;
            }
            if (end < 0 || end > length) end = length;
            start = std::min(start, length);
            if (c.multi) {
                QTextCursor cursor = c.multi->textCursor();
                cursor.setPosition(start);
                cursor.setPosition(end, QTextCursor::KeepAnchor);
                c.multi->setTextCursor(cursor);
            } else {
                c.single->setSelection(start, end - start);
            }
            return 0;
        }
        case EM_GETSEL: {
            int start = 0, end = 0;
            if (c.multi) {
                const QTextCursor cursor = c.multi->textCursor();
                start = cursor.selectionStart();
                end = cursor.selectionEnd();
            } else if (c.single->hasSelectedText()) {
                start = c.single->selectionStart();
                end = start + static_cast<int>(c.single->selectedText().size());
            } else {
                start = end = c.single->cursorPosition();
            }
            if (wParam) *reinterpret_cast<DWORD*>(wParam) = static_cast<DWORD>(start);
            if (lParam) *reinterpret_cast<DWORD*>(lParam) = static_cast<DWORD>(end);
            return static_cast<LRESULT>(MAKELONG(static_cast<WORD>(start), static_cast<WORD>(end)));
        }
        case EM_LIMITTEXT:
            c.limit = static_cast<int>(wParam);
            if (c.single) c.single->setMaxLength(c.limit > 0 ? c.limit : 32767);
            return 0;
        case EM_GETLIMITTEXT: return c.limit > 0 ? c.limit : 32767;
        case EM_SETREADONLY:
            if (c.multi) c.multi->setReadOnly(wParam != 0);
            if (c.single) c.single->setReadOnly(wParam != 0);
            return 1;
        case EM_SETPASSWORDCHAR:
            if (c.single) c.single->setEchoMode(wParam ? QLineEdit::Password : QLineEdit::Normal);
            return 0;
        case EM_SETMARGINS:
            if (c.single) {
                QMargins m = c.single->textMargins();
                if (wParam & EC_LEFTMARGIN) m.setLeft(LOWORD(static_cast<uintptr_t>(lParam)));
                if (wParam & EC_RIGHTMARGIN) m.setRight(HIWORD(static_cast<uintptr_t>(lParam)));
                c.single->setTextMargins(m);
            }
            return 0;
        case EM_SETMODIFY: c.modified = wParam != 0; return 0;
        case EM_GETMODIFY: return c.modified ? 1 : 0;
        case EM_GETLINECOUNT: return c.multi ? std::max(1, c.multi->document()->blockCount()) : 1;
        case WM_PASTE:
            if (c.multi) c.multi->paste();
            if (c.single) c.single->paste();
            return 0;
        case WM_SETFONT:
            w->font = reinterpret_cast<HFONT>(wParam);
            if (w->widget) w->widget->setFont(fontOf(w->font).font);
            return 0;
        default: return DefWindowProc(w->hwnd, msg, wParam, lParam);
    }
}

LRESULT comboProc(const WindowPtr& w, ControlState& c, UINT msg, WPARAM wParam, LPARAM lParam) {
    QComboBox* combo = c.combo;
    const int count = combo->count();
    switch (msg) {
        case CB_ADDSTRING:
        case CB_INSERTSTRING: {
            const auto* text = reinterpret_cast<const char16_t*>(lParam);
            if (!text) return CB_ERR;
            const QString edit = controlText(c);
            int index = count;
            if (msg == CB_INSERTSTRING) {
                const int at = static_cast<int>(static_cast<intptr_t>(wParam));
                if (at > count) return CB_ERR;
                if (at >= 0) index = at;
            }
            {
                QSignalBlocker block(combo);
                combo->insertItem(index, QString::fromUtf16(text));
            }
            if (c.curSel >= index) ++c.curSel;
            keepEditText(combo, c.curSel, edit);
            if (c.curSel >= 0) {
                QSignalBlocker block(combo);
                combo->setCurrentIndex(c.curSel);
            }
            return index;
        }
        case CB_DELETESTRING: {
            const int at = static_cast<int>(static_cast<intptr_t>(wParam));
            if (at < 0 || at >= count) return CB_ERR;
            const QString edit = controlText(c);
            {
                QSignalBlocker block(combo);
                combo->removeItem(at);
            }
            if (c.curSel == at) {
                c.curSel = -1;
            } else if (c.curSel > at) {
                --c.curSel;
            }
            keepEditText(combo, c.curSel, edit);
            return combo->count();
        }
        case CB_RESETCONTENT: {
            QSignalBlocker block(combo);
            combo->clear();
            c.curSel = -1;
            if (combo->isEditable()) combo->lineEdit()->clear();
            return 0;
        }
        case CB_GETCOUNT: return count;
        case CB_SETCURSEL: {
            const int at = static_cast<int>(static_cast<intptr_t>(wParam));
            QSignalBlocker block(combo);
            if (at < 0 || at >= count) {
                c.curSel = -1;
                combo->setCurrentIndex(-1);
                if (combo->isEditable()) combo->lineEdit()->clear();
                return CB_ERR;
            }
            c.curSel = at;
            combo->setCurrentIndex(at);
            if (combo->isEditable()) combo->lineEdit()->setText(combo->itemText(at));
            return at;
        }
        case CB_GETCURSEL: return c.curSel;
        case CB_GETLBTEXTLEN: {
            const int at = static_cast<int>(static_cast<intptr_t>(wParam));
            if (at < 0 || at >= count) return CB_ERR;
            return combo->itemText(at).size();
        }
        case CB_GETLBTEXT: {
            const int at = static_cast<int>(static_cast<intptr_t>(wParam));
            if (at < 0 || at >= count || !lParam) return CB_ERR;
            const std::u16string s = combo->itemText(at).toStdU16String();
            auto* out = reinterpret_cast<char16_t*>(lParam);
            std::copy(s.begin(), s.end(), out);
            out[s.size()] = u'\0';
            return static_cast<LRESULT>(s.size());
        }
        case CB_FINDSTRINGEXACT: {
            const auto* text = reinterpret_cast<const char16_t*>(lParam);
            if (!text || count == 0) return CB_ERR;
            const QString wanted = QString::fromUtf16(text);
            int start = static_cast<int>(static_cast<intptr_t>(wParam));
            if (start < -1 || start >= count) start = -1;
            for (int k = 1; k <= count; ++k) {
                const int i = (start + k) % count;
                if (combo->itemText(i).compare(wanted, Qt::CaseInsensitive) == 0) return i;
            }
            return CB_ERR;
        }
        case CB_LIMITTEXT:
            if (combo->isEditable()) combo->lineEdit()->setMaxLength(wParam ? static_cast<int>(wParam) : 32767);
            return 1;
        case CB_SHOWDROPDOWN:
            if (wParam) {
                combo->showPopup();
            } else {
                combo->hidePopup();
            }
            return 1;
        case CB_GETDROPPEDSTATE: return combo->view() && combo->view()->isVisible() ? 1 : 0;
        case WM_PASTE:
            if (combo->isEditable()) combo->lineEdit()->paste();
            return 0;
        case WM_SETTEXT: {
            if (!combo->isEditable()) return CB_ERR;
            const auto* text = reinterpret_cast<const char16_t*>(lParam);
            QSignalBlocker block(combo->lineEdit());
            combo->lineEdit()->setText(text ? QString::fromUtf16(text) : QString());
            return 1;
        }
        case WM_GETTEXTLENGTH: return controlText(c).size();
        case WM_GETTEXT: return copyOut(controlText(c), wParam, lParam);
        case WM_SETFONT:
            w->font = reinterpret_cast<HFONT>(wParam);
            combo->setFont(fontOf(w->font).font);
            applyGeometry(*w);
            return 0;
        default: return DefWindowProc(w->hwnd, msg, wParam, lParam);
    }
}

LRESULT controlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    WindowPtr w = lookup(hwnd);
    if (!w || !w->control) return DefWindowProc(hwnd, msg, wParam, lParam);
    // A control shows its own context menu; its parent does not hear of the click.
    if (msg == WM_CONTEXTMENU) return 0;
    std::shared_ptr<ControlState> c = w->control;
    if (c->combo) return comboProc(w, *c, msg, wParam, lParam);
    return editProc(w, *c, msg, wParam, lParam);
}

// Mouse messages for the control's procedure, dialog keys, focus notifications.
class ControlFilter : public QObject {
public:
    ControlFilter(HWND hwnd, QObject* parent) : QObject(parent), hwnd_(hwnd) {}

    bool eventFilter(QObject* watched, QEvent* e) override {
        EntryGuard guard;
        WindowPtr w = lookup(hwnd_);
        if (!w || !w->widget) return false;
        if (isInputEvent(e) && inputBlocked(hwnd_)) return true;
        switch (e->type()) {
            case QEvent::MouseMove:
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick: {
                auto* me = static_cast<QMouseEvent*>(e);
                noteInputState(me->modifiers(), me->buttons());
                if (e->type() == QEvent::MouseMove) noteMouseOver(hwnd_);
                const QPoint p = w->widget->mapFromGlobal(me->globalPosition().toPoint());
                UINT msg = WM_MOUSEMOVE;
                if (e->type() != QEvent::MouseMove) {
                    const UINT base = e->type() == QEvent::MouseButtonPress     ? WM_LBUTTONDOWN
                                      : e->type() == QEvent::MouseButtonRelease ? WM_LBUTTONUP
                                                                                : WM_LBUTTONDBLCLK;
                    msg = base + (me->button() == Qt::RightButton ? 3 : me->button() == Qt::MiddleButton ? 6 : 0);
                }
                // The field handles the event first; its procedure hears of it afterwards.
                pending_.push_back(Pending{msg, mouseKeys(), MAKELPARAM(static_cast<WORD>(p.x()), static_cast<WORD>(p.y()))});
                QMetaObject::invokeMethod(this, [this] { deliver(); }, Qt::QueuedConnection);
                return false;
            }
            case QEvent::Leave:
                if (watched == w->widget.data()) mouseLeft(hwnd_);
                return false;
            case QEvent::KeyPress: {
                auto* ke = static_cast<QKeyEvent*>(e);
                noteInputState(ke->modifiers(), Qt::NoButton);
                if (translateAccelerator(hwnd_, ke)) return true;
                const bool enter = ke->key() == Qt::Key_Return || ke->key() == Qt::Key_Enter;
                const bool escape = ke->key() == Qt::Key_Escape;
                if (!enter && !escape) return false;
                if (enter && w->control && w->control->multi && w->control->wantReturn) return false;
                if (w->control && w->control->combo && w->control->combo->view()->isVisible()) return false;
                if (HWND target = dialogKeyTarget(hwnd_)) {
                    SendMessage(target, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(escape ? IDCANCEL : IDOK), BN_CLICKED), 0);
                    return true;
                }
                return false;
            }
            case QEvent::DragEnter:
            case QEvent::DragMove:
            case QEvent::Drop: return handleDragEvent(hwnd_, static_cast<QDropEvent*>(e));
            case QEvent::FocusIn:
                if (watched == w->widget.data()) notifyParent(hwnd_, w->control->combo ? CBN_SETFOCUS : EN_SETFOCUS);
                return false;
            case QEvent::FocusOut:
                if (watched == w->widget.data()) notifyParent(hwnd_, w->control->combo ? CBN_KILLFOCUS : EN_KILLFOCUS);
                return false;
            default: return false;
        }
    }

private:
    struct Pending {
        UINT msg;
        WPARAM wParam;
        LPARAM lParam;
    };

    void deliver() {
        EntryGuard guard;
        std::vector<Pending> batch;
        batch.swap(pending_);
        for (const Pending& p : batch) {
            WindowPtr w = lookup(hwnd_);
            if (!w) return;
            callProc(w, p.msg, p.wParam, p.lParam);
        }
    }

    HWND hwnd_;
    std::vector<Pending> pending_;
};

// A multi-line field refuses, whole, a paste, a drop or a typed character that would take it
// past its limit, and tells its parent (EN_MAXTEXT): cutting the text would lose its end unseen,
// and laying out megabytes would hold up the program for seconds.
class MultiLineEdit : public QPlainTextEdit {
public:
    MultiLineEdit(HWND hwnd, QWidget* parent) : QPlainTextEdit(parent), hwnd_(hwnd) {}

protected:
    void insertFromMimeData(const QMimeData* source) override {
        EntryGuard guard;
        if (source && source->hasText() && refused(source->text().size())) return;
        QPlainTextEdit::insertFromMimeData(source);
    }

    void keyPressEvent(QKeyEvent* e) override {
        // Printable text, or the line break Enter makes; shortcuts carry control characters.
        const QString typed = e->text();
        const bool inserts = !typed.isEmpty() && (typed.front().isPrint() || typed.front() == u'\r' ||
                                                  typed.front() == u'\n' || typed.front().isSurrogate());
        if (inserts && !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            EntryGuard guard;
            if (refused(typed.size())) {
                e->accept();
                return;
            }
        }
        QPlainTextEdit::keyPressEvent(e);
    }

    void inputMethodEvent(QInputMethodEvent* e) override {
        if (!e->commitString().isEmpty()) {
            EntryGuard guard;
            if (refused(e->commitString().size())) {
                e->accept();
                return;
            }
        }
        QPlainTextEdit::inputMethodEvent(e);
    }

private:
    // True, with EN_MAXTEXT sent, when `inserted` characters in place of the selection would take
    // the field past its limit.
    bool refused(qsizetype inserted) {
        WindowPtr w = lookup(hwnd_);
        if (!w || !w->control || w->control->limit <= 0) return false;
        const QTextCursor cursor = textCursor();
        const qsizetype kept = document()->characterCount() - 1 - (cursor.selectionEnd() - cursor.selectionStart());
        if (kept + inserted <= w->control->limit) return false;
        notifyParent(hwnd_, EN_MAXTEXT);
        return true;
    }

    HWND hwnd_;
};

class ComboWidget : public QComboBox {
public:
    ComboWidget(HWND hwnd, QWidget* parent) : QComboBox(parent), hwnd_(hwnd) {}
    void showPopup() override {
        EntryGuard guard;
        notifyParent(hwnd_, CBN_DROPDOWN);
        QComboBox::showPopup();
    }
    void hidePopup() override {
        EntryGuard guard;
        QComboBox::hidePopup();
        notifyParent(hwnd_, CBN_CLOSEUP);
    }

private:
    HWND hwnd_;
};

void watch(QWidget* widget, ControlFilter* filter) {
    widget->installEventFilter(filter);
    widget->setMouseTracking(true);
}

}  // namespace

bool isControlClass(std::u16string_view className, WindowKind& kind) {
    auto equalsNoCase = [&](std::u16string_view name) {
        if (className.size() != name.size()) return false;
        for (size_t i = 0; i < name.size(); ++i) {
            char16_t a = className[i], b = name[i];
            if (a >= u'a' && a <= u'z') a = static_cast<char16_t>(a - 32);
            if (b >= u'a' && b <= u'z') b = static_cast<char16_t>(b - 32);
            if (a != b) return false;
        }
        return true;
    };
    if (equalsNoCase(kRichEditClass) || equalsNoCase(kEditClass)) {
        kind = WindowKind::Edit;
    } else if (equalsNoCase(kComboBoxClass)) {
        kind = WindowKind::ComboBox;
    } else if (equalsNoCase(kStaticClass)) {
        kind = WindowKind::Static;
    } else {
        kind = WindowKind::Plain;
        return false;
    }
    return true;
}

bool createControl(WindowRecord& rec, QWidget* parentWidget) {
    if (!parentWidget) return false;
    const HWND hwnd = rec.hwnd;
    auto c = std::make_shared<ControlState>();
    const DWORD style = rec.style;
    QWidget* widget = nullptr;
    if (rec.kind == WindowKind::Edit) {
        if (style & ES_MULTILINE) {
            auto* edit = new MultiLineEdit(hwnd, parentWidget);
            edit->setVerticalScrollBarPolicy((style & WS_VSCROLL) ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
            edit->setHorizontalScrollBarPolicy((style & WS_HSCROLL) ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
            const bool wrap = !(style & ES_AUTOHSCROLL) && !(style & WS_HSCROLL);
            edit->setLineWrapMode(wrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
            edit->setReadOnly(style & ES_READONLY);
            edit->setFrameShape((style & WS_BORDER) ? QFrame::StyledPanel : QFrame::NoFrame);
            edit->setTabChangesFocus(true);
            edit->setPlainText(normaliseLineEnds(QString::fromStdU16String(rec.text)));
            c->multi = edit;
            c->wantReturn = style & ES_WANTRETURN;
            QObject::connect(edit, &QPlainTextEdit::textChanged, edit, [hwnd] {
                EntryGuard guard;
                WindowPtr w = lookup(hwnd);
                if (!w || !w->control || w->control->settingText) return;
                ControlState& st = *w->control;
                if (st.limit > 0 && st.multi->toPlainText().size() > st.limit) {
                    // Text that came past the checks above (an input method's own edits).
                    QSignalBlocker block(st.multi);
                    st.multi->setPlainText(st.multi->toPlainText().left(st.limit));
                    st.multi->moveCursor(QTextCursor::End);
                    notifyParent(hwnd, EN_MAXTEXT);
                }
                st.modified = true;
                notifyParent(hwnd, EN_CHANGE);
            });
            widget = edit;
        } else {
            auto* edit = new QLineEdit(parentWidget);
            edit->setFrame(style & WS_BORDER);
            edit->setReadOnly(style & ES_READONLY);
            if (style & ES_PASSWORD) edit->setEchoMode(QLineEdit::Password);
            if (style & ES_NUMBER) {
                edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
            }
            if (style & ES_CENTER) edit->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
            if (style & ES_RIGHT) edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            edit->setText(QString::fromStdU16String(rec.text));
            c->single = edit;
            QObject::connect(edit, &QLineEdit::textEdited, edit, [hwnd] {
                EntryGuard guard;
                WindowPtr w = lookup(hwnd);
                if (!w || !w->control) return;
                w->control->modified = true;
                notifyParent(hwnd, EN_CHANGE);
            });
            widget = edit;
        }
    } else if (rec.kind == WindowKind::ComboBox) {
        auto* combo = new ComboWidget(hwnd, parentWidget);
        combo->setEditable((style & 3) != CBS_DROPDOWNLIST);
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->setMaxVisibleItems(30);
        c->combo = combo;
        QObject::connect(combo, QOverload<int>::of(&QComboBox::activated), combo, [hwnd](int index) {
            EntryGuard guard;
            WindowPtr w = lookup(hwnd);
            if (!w || !w->control) return;
            w->control->curSel = index;
            notifyParent(hwnd, CBN_SELCHANGE);
        });
        if (combo->isEditable()) {
            combo->lineEdit()->setText(QString::fromStdU16String(rec.text));
            QObject::connect(combo->lineEdit(), &QLineEdit::textEdited, combo, [hwnd] {
                EntryGuard guard;
                WindowPtr w = lookup(hwnd);
                if (!w || !w->control) return;
                w->control->curSel = -1;
                notifyParent(hwnd, CBN_EDITCHANGE);
            });
        }
        widget = combo;
    } else {
        return false;
    }
    auto* filter = new ControlFilter(hwnd, widget);
    watch(widget, filter);
    if (c->multi) watch(c->multi->viewport(), filter);
    if (c->combo && c->combo->lineEdit()) watch(c->combo->lineEdit(), filter);
    rec.widget = widget;
    rec.control = c;
    rec.proc = controlProc;
    return true;
}

}  // namespace qtdetail

std::u16string ComboBox_GetItemText(HWND hwnd, int index) {
    const LRESULT n = SendMessage(hwnd, CB_GETLBTEXTLEN, static_cast<WPARAM>(index));
    if (n < 0) return {};
    std::u16string s(static_cast<size_t>(n) + 1, u'\0');
    const LRESULT got = SendMessage(hwnd, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(s.data()));
    if (got < 0) return {};
    s.resize(static_cast<size_t>(got));
    return s;
}

}  // namespace platform
