#include "bkwin/bkedit.h"

#include "bkres/bkfontpool.h"
#include "bkres/bkvaluesyntax.h"
#include "bkwin/bknotify.h"
#include "bkwin/bkrealwnd.h"
#include "bkwin/bkskinpool.h"
#include "platform/controls.h"

using namespace platform;

namespace {

constexpr std::u16string_view kElementProperty = u"WndX";
constexpr COLORREF kHoverBorder = RGB(0x85, 0xE4, 0xFF);
constexpr COLORREF kBorder = RGB(0x4E, 0xA0, 0xD1);
constexpr COLORREF kDisabledBackground = RGB(0xF4, 0xF4, 0xF4);

void FrameSolid(HDC dc, RECT rc, COLORREF color, int thickness) {
    for (int i = 0; i < thickness && !IsRectEmpty(&rc); ++i) {
        HBRUSH brush = CreateSolidBrush(color);
        FrameRect(dc, &rc, brush);
        DeleteObject(brush);
        InflateRect(&rc, -1, -1);
    }
}

}  // namespace

CBkEdit::~CBkEdit() { DestroyEditWindow(); }

bool CBkEdit::SetAttribute(const std::string& name, const std::string& value, bool loading) {
    if (CBkWindow::SetAttribute(name, value, loading)) return true;
    if (name == "defaultfont") m_nDefaultFont = BkParseHex(value) & 0xFFFF;
    else if (name == "password") m_bPassword = BkParseInt(value);
    else if (name == "readonly") m_bReadOnly = BkParseInt(value);
    else if (name == "number") m_bNumber = BkParseInt(value);
    else if (name == "multiline") m_bMultiLine = BkParseInt(value);
    else if (name == "maxchar") m_nMaxChar = BkParseInt(value);
    else return false;
    return true;
}

DWORD CBkEdit::EditStyle() const {
    DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL | ES_AUTOVSCROLL;
    if (m_bMultiLine) style |= ES_MULTILINE | ES_WANTRETURN;
    if (m_bNumber) style |= ES_NUMBER;
    if (m_bPassword) style |= ES_PASSWORD;
    return style;
}

RECT CBkEdit::EditRect() const {
    RECT rc = m_rcWindow;
    InflateRect(&rc, -2, -2);
    if (rc.right < rc.left) rc.right = rc.left;
    if (rc.bottom < rc.top) rc.bottom = rc.top;
    return rc;
}

HWND CBkEdit::CreateEditWindow() {
    if (m_hWndEdit && IsWindow(m_hWndEdit)) return m_hWndEdit;
    m_hWndEdit = nullptr;
    if (!m_hWndContainer || !IsWindow(m_hWndContainer)) return nullptr;
    const RECT rc = EditRect();
    // Created hidden and shown once set up, so it never shows a half-made state.
    HWND edit = CreateWindowEx(0, kEditClass, u"", EditStyle() & ~WS_VISIBLE, rc.left, rc.top, RectWidth(rc),
                               RectHeight(rc), m_hWndContainer, m_uCmdID, nullptr);
    if (!edit) return nullptr;
    m_hWndEdit = edit;
    SetProp(edit, kElementProperty, this);
    m_procEdit = SetWindowProc(edit, [this](HWND h, UINT msg, WPARAM wp, LPARAM lp) { return EditProc(h, msg, wp, lp); });
    SetWindowFont(edit, BkFontPool::GetFont(static_cast<uint16_t>(m_nDefaultFont)), false);
    if (m_nMaxChar > 0) Edit_LimitText(edit, m_nMaxChar);
    if (m_bPassword) SendMessage(edit, EM_SETPASSWORDCHAR, m_chPassword);
    m_bSyncing = true;
    SetWindowText(edit, m_strInnerText);
    m_bSyncing = false;
    Edit_SetModify(edit, false);
    SendMessage(edit, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
    m_bEnabled = !IsDisabled(true);
    EnableWindow(edit, m_bEnabled);
    Edit_SetReadOnly(edit, m_bReadOnly != 0);
    if (IsVisible(true)) ShowWindow(edit, SW_SHOWNOACTIVATE);
    return edit;
}

void CBkEdit::DestroyEditWindow() {
    HWND edit = m_hWndEdit;
    m_hWndEdit = nullptr;
    if (edit && IsWindow(edit)) {
        RemoveProp(edit, kElementProperty);
        if (m_procEdit) SetWindowProc(edit, m_procEdit);
        DestroyWindow(edit);
    }
    m_procEdit = nullptr;
}

std::u16string CBkEdit::GetText() const {
    if (m_hWndEdit && IsWindow(m_hWndEdit)) return GetWindowText(m_hWndEdit);
    return m_strInnerText;
}

void CBkEdit::SyncTextFromEdit() {
    if (m_bSyncing || !m_hWndEdit) return;
    std::u16string text = GetWindowText(m_hWndEdit);
    if (text == m_strInnerText) return;
    m_strInnerText = std::move(text);
    NotifyInvalidate();
}

bool CBkEdit::ReflectCommand(WPARAM wParam, LPARAM lParam) {
    HWND child = reinterpret_cast<HWND>(lParam);
    if (!child || HIWORD(wParam) != EN_CHANGE || !IsWindow(child)) return false;
    auto* edit = static_cast<CBkEdit*>(GetProp(child, kElementProperty));
    if (!edit || edit->m_hWndEdit != child) return false;
    edit->SyncTextFromEdit();
    return true;
}

void CBkEdit::SetInnerText(const std::u16string& text) {
    CBkWindow::SetInnerText(text);
    if (m_hWndEdit && IsWindow(m_hWndEdit)) {
        m_bSyncing = true;
        SetWindowText(m_hWndEdit, text);
        m_bSyncing = false;
    }
}

void CBkEdit::SetHover(bool hover) {
    if (hover == m_bHover) return;
    m_bHover = hover;
    if (hover && m_hWndEdit) {
        TRACKMOUSEEVENT tme;
        tme.dwFlags = TME_LEAVE;
        tme.hwndTrack = m_hWndEdit;
        TrackMouseEvent(&tme);
    }
    NotifyInvalidate();
}

LRESULT CBkEdit::EditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = CallWindowProc(m_procEdit, hwnd, msg, wParam, lParam);
    switch (msg) {
    case WM_MOUSEMOVE:
        SetHover(true);
        break;
    case WM_MOUSELEAVE:
        SetHover(false);
        break;
    case WM_SETTEXT:
    case WM_CHAR:
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_LBUTTONUP:
    case WM_KILLFOCUS:
        // Every way text reaches the field ends in one of these: copy it into the element.
        SyncTextFromEdit();
        break;
    default:
        break;
    }
    return result;
}

void CBkEdit::OnWindowPosChanged(const BkWindowPos& pos) {
    const RECT old = m_rcWindow;
    CBkWindow::OnWindowPosChanged(pos);
    const bool created = m_hWndEdit == nullptr;
    HWND edit = CreateEditWindow();
    if (!edit || (!created && old == m_rcWindow)) return;
    const RECT rc = EditRect();
    CBkRealWnd::PlaceHostedWindow(m_hWndContainer, m_uCmdID, edit, rc, true);
}

void CBkEdit::OnShowWindow(bool show, LPARAM status) {
    CBkWindow::OnShowWindow(show, status);
    if (!m_hWndEdit) return;
    ShowWindow(m_hWndEdit, show && IsVisible(true) ? SW_SHOWNOACTIVATE : SW_HIDE);
}

void CBkEdit::OnDestroy() { DestroyEditWindow(); }

void CBkEdit::SetCursor() { platform::SetCursor(LoadCursor(IDC_IBEAM)); }

bool CBkEdit::ProcessMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (msg == WM_LBUTTONDOWN) {
        if (HWND edit = CreateEditWindow()) {
            SetFocus(edit);
            Edit_SetSel(edit, 0, -1);
        }
        result = 0;
        return true;
    }
    return CBkWindow::ProcessMessage(msg, wParam, lParam, result);
}

void CBkEdit::OnPaint(HDC dc) {
    const bool disabled = IsDisabled(true);
    if (m_hWndEdit && m_bEnabled == disabled) {
        m_bEnabled = !disabled;
        EnableWindow(m_hWndEdit, m_bEnabled);
    }
    FillSolidRect(dc, &m_rcWindow, disabled ? kDisabledBackground : RGB(0xFF, 0xFF, 0xFF));
    if (!m_style.m_strSkinName.empty()) {
        if (CBkSkinBase* skin = BkSkinPool::GetSkin(m_style.m_strSkinName)) skin->Draw(dc, m_rcWindow, static_cast<int>(m_dwState));
    }

    const std::u16string text = m_bPassword ? std::u16string(GetText().size(), m_chPassword) : GetText();
    const HFONT oldFont = SelectObject(dc, BkFontPool::GetFont(static_cast<uint16_t>(m_nDefaultFont)));
    const COLORREF oldColor = SetTextColor(dc, disabled ? m_style.m_crDisabledText : RGB(0, 0, 0));
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    RECT rc = EditRect();
    DrawText(dc, text, &rc, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    SetBkMode(dc, oldMode);
    SetTextColor(dc, oldColor);
    SelectObject(dc, oldFont);

    if (m_bHover) FrameSolid(dc, m_rcWindow, kHoverBorder, 2);
    else FrameSolid(dc, m_rcWindow, kBorder, 1);
}
