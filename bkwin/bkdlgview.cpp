#include "bkwin/bkdlgview.h"

#include <cstdio>
#include <tinyxml.h>

#include "bkres/bkfontpool.h"
#include "bkres/bkinterfacetext.h"
#include "bkres/bkresutil.h"
#include "bkres/bkvaluesyntax.h"
#include "bkwin/bkedit.h"
#include "bkwin/bkrealwnd.h"
#include "bkwin/bktabctrl.h"
#include "bkwin/bkwinmanager.h"
#include "platform/shell.h"
#include "platform/text.h"

namespace {

// Styles a layer starts from: a pop-up window with a system menu.
constexpr DWORD kBaseStyle = WS_POPUP | WS_SYSMENU;
// A child layer keeps only the bits that make sense below a parent (no popup, no caption).
constexpr DWORD kChildStyleMask = 0x3F3FFF7F;
// System commands with the caption hit code in the low bits, as a caption click sends them.
constexpr WPARAM kSysCommandDrag = SC_MOVE | HTCAPTION;
constexpr WPARAM kSysCommandMaximize = SC_MAXIMIZE | HTCAPTION;
constexpr WPARAM kSysCommandRestore = SC_RESTORE | HTCAPTION;

int IntAttribute(const TiXmlElement* element, const char* name) {
    const char* value = element->Attribute(name);
    return value ? BkParseInt(value) : 0;
}

POINT PointFromLParam(LPARAM lParam) { return POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; }

}  // namespace

CBkDialogView::CBkDialogView() = default;

CBkDialogView::~CBkDialogView() {
    if (m_hWnd && IsWindow(m_hWnd)) DestroyWindow(m_hWnd);
    ReleaseBuffer();
    if (m_dcBuffer) DeleteDC(m_dcBuffer);
    if (m_hRgnInvalidate) DeleteObject(m_hRgnInvalidate);
}

// ---------------------------------------------------------------------------------------------
// The layer.

void CBkDialogView::ResetLayer() {
    m_bXmlLoaded = false;
    m_dwDlgStyle = kBaseStyle;
    m_dwDlgExStyle = 0;
    m_bResizable = false;
    m_strTitle.clear();
    m_nWidth = m_nHeight = 0;
    m_hHover = m_hPushDown = 0;
    m_bkHeader.BkSendMessage(WM_DESTROY);
    m_bkBody.BkSendMessage(WM_DESTROY);
    m_bkFooter.BkSendMessage(WM_DESTROY);
    m_bHasHeader = m_bHasBody = m_bHasFooter = false;
}

bool CBkDialogView::SetXml(std::string_view xml) {
    ResetLayer();

    TiXmlDocument doc;
    const std::string text(xml);
    doc.Parse(text.c_str(), nullptr, TIXML_ENCODING_UTF8);
    if (doc.Error()) {
        std::fprintf(stderr, "Failed parsing layer: %s\n", doc.ErrorDesc());
        return false;
    }
    const TiXmlElement* root = doc.RootElement();
    if (!root || root->ValueStr() != "layer") return false;
    BkInterfaceText::Translate(&doc);

    if (const char* title = root->Attribute("title")) m_strTitle = utf8ToUtf16(title);
    m_nWidth = IntAttribute(root, "width");
    m_nHeight = IntAttribute(root, "height");
    if (IntAttribute(root, "appwin")) m_dwDlgExStyle |= WS_EX_APPWINDOW;
    if (IntAttribute(root, "resize")) {
        m_dwDlgStyle |= WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
        m_bResizable = true;
        if (IntAttribute(root, "nomaxsize")) {
            m_dwDlgStyle &= ~WS_MAXIMIZEBOX;
            m_bResizable = false;
        }
    }
    if (IntAttribute(root, "noborder")) {
        m_dwDlgExStyle |= WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
    } else {
        m_dwDlgExStyle |= WS_EX_CLIENTEDGE | WS_EX_WINDOWEDGE;
    }
    if (IntAttribute(root, "child")) {
        m_dwDlgStyle = (m_dwDlgStyle & kChildStyleMask) | WS_CHILD;
        m_dwDlgExStyle &= ~WS_EX_CLIENTEDGE;
    }

    char pos[48];
    if (const TiXmlElement* header = root->FirstChildElement("header")) {
        m_bkHeader.Load(header);
        std::snprintf(pos, sizeof pos, "0,0,-0,%d", IntAttribute(header, "height"));
        m_bkHeader.SetAttribute("pos", pos, false);
        m_bHasHeader = true;
    }
    if (const TiXmlElement* footer = root->FirstChildElement("footer")) {
        m_bkFooter.Load(footer);
        std::snprintf(pos, sizeof pos, "0,-%d,-0,-0", IntAttribute(footer, "height"));
        m_bkFooter.SetAttribute("pos", pos, false);
        m_bHasFooter = true;
    }
    if (const TiXmlElement* body = root->FirstChildElement("body")) {
        m_bkBody.Load(body);
        m_bkBody.SetAttribute("pos", "0,0,-0,-0", false);
        m_bHasBody = true;
    }

    m_bXmlLoaded = true;
    if (m_hWnd) {
        m_bkHeader.SetContainer(m_hWnd);
        m_bkBody.SetContainer(m_hWnd);
        m_bkFooter.SetContainer(m_hWnd);
        LayoutBands();
    }
    return true;
}

bool CBkDialogView::Load(UINT resourceId) {
    std::string xml;
    if (!BkResUtil::LoadRawResource(resourceId, "xml", xml)) return false;
    return SetXml(xml.c_str());
}

HWND CBkDialogView::Create(HWND parent, const RECT* rect, int controlId) {
    if (m_hWnd) return nullptr;
    const RECT r = rect ? *rect : RECT{};
    HWND hwnd = CreateWindowEx(0, u"BkDialogView", u"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, r.left, r.top,
                               RectWidth(r), RectHeight(r), parent, controlId,
                               [this](HWND h, UINT msg, WPARAM w, LPARAM l) { return WindowProc(h, msg, w, l); });
    if (!hwnd) return nullptr;
    m_hWnd = hwnd;
    m_bkHeader.SetContainer(hwnd);
    m_bkBody.SetContainer(hwnd);
    m_bkFooter.SetContainer(hwnd);
    // Enter and Escape become the OK and Cancel commands, which go on to the parent.
    SetDialogKeys(hwnd, true);
    RECT client{};
    GetClientRect(hwnd, &client);
    OnSize(RectWidth(client), RectHeight(client));
    return hwnd;
}

// ---------------------------------------------------------------------------------------------
// Operations by command id.

CBkWindow* CBkDialogView::GetItem(int id) {
    if (CBkWindow* found = m_bkHeader.FindChildByCmdID(id)) return found;
    if (CBkWindow* found = m_bkBody.FindChildByCmdID(id)) return found;
    return m_bkFooter.FindChildByCmdID(id);
}

bool CBkDialogView::SetItemText(int id, const std::u16string& text) {
    CBkWindow* element = GetItem(id);
    if (!element) return false;
    if (element->IsVisible(true)) element->NotifyInvalidate();
    element->SetInnerText(text);
    element->NotifyInvalidate();
    return true;
}

bool CBkDialogView::SetTabCurSel(int id, int index) {
    CBkWindow* element = GetItem(id);
    if (!element || !element->IsClass("tabctrl")) return false;
    return static_cast<CBkTabCtrl*>(element)->SetCurSel(index);
}

bool CBkDialogView::SetTabVisible(int id, int index, bool show) {
    CBkWindow* element = GetItem(id);
    if (!element || !element->IsClass("tabctrl")) return false;
    return static_cast<CBkTabCtrl*>(element)->SetTabVisible(index, show);
}

void CBkDialogView::ModifyItemState(CBkWindow* element, unsigned add, unsigned remove) {
    if (!element) return;
    element->ModifyState(add, remove);
    if (element->NeedRedrawWhenStateChange()) element->NotifyInvalidate();
}

namespace {

void ShowRealWindowsIn(CBkWindow* element, bool show) {
    if (!element->IsVisible()) return;
    if (element->IsClass("realwnd")) {
        static_cast<CBkRealWnd*>(element)->ShowRealWindow(show);
    } else if (element->IsClass("tabctrl")) {
        auto* tabs = static_cast<CBkTabCtrl*>(element);
        if (tabs->GetCurSel() >= 0) {
            if (CBkTab* page = tabs->GetPage(static_cast<std::size_t>(tabs->GetCurSel()))) ShowRealWindowsIn(page, show);
        }
    } else if (auto* panel = dynamic_cast<CBkPanel*>(element)) {
        for (const auto& child : panel->Children()) ShowRealWindowsIn(child.get(), show);
    }
}

}  // namespace

void CBkDialogView::ShowAllRealWindows(bool show) {
    ShowRealWindowsIn(&m_bkHeader, show);
    ShowRealWindowsIn(&m_bkBody, show);
    ShowRealWindowsIn(&m_bkFooter, show);
}

// ---------------------------------------------------------------------------------------------
// Layout, buffer and painting.

void CBkDialogView::LayoutBands() {
    if (!m_hWnd) return;
    RECT client{};
    GetClientRect(m_hWnd, &client);
    RECT header{}, footer{};
    if (m_bHasHeader) {
        BkWindowPos pos{client.left, client.top, RectWidth(client), RectHeight(client)};
        m_bkHeader.BkSendMessage(WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
        header = m_bkHeader.GetRect();
    }
    if (m_bHasFooter) {
        // A first pass tells the footer's height, the second puts it at the bottom.
        BkWindowPos probe{client.left, client.top, RectWidth(client), RectHeight(client)};
        m_bkFooter.BkSendMessage(WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&probe));
        const int height = RectHeight(m_bkFooter.GetRect());
        BkWindowPos pos{client.left, client.bottom - height, RectWidth(client), height};
        m_bkFooter.BkSendMessage(WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
        footer = m_bkFooter.GetRect();
    }
    if (m_bHasBody) {
        const int top = m_bHasHeader ? header.bottom : client.top;
        BkWindowPos pos{client.left, top, RectWidth(client), client.bottom - top - RectHeight(footer)};
        m_bkBody.BkSendMessage(WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
    }
    InvalidateRect(client);
}

void CBkDialogView::ReleaseBuffer() {
    if (!m_bmpBuffer) return;
    if (m_dcBuffer) SelectObject(m_dcBuffer, m_bmpBufferOld);
    DeleteObject(m_bmpBuffer);
    m_bmpBuffer = nullptr;
    m_bmpBufferOld = nullptr;
    m_sizeBuffer = SIZE{0, 0};
}

void CBkDialogView::RecreateBuffer(int width, int height) {
    ReleaseBuffer();
    if (width <= 0 || height <= 0) return;
    // Compatible with the window's own surface, so at the pixel density of the screen it is on.
    HDC screen = GetDC(m_hWnd);
    if (!screen) screen = GetDC(nullptr);
    m_bmpBuffer = CreateCompatibleBitmap(screen, width, height);
    ReleaseDC(m_hWnd, screen);
    if (!m_bmpBuffer) return;
    if (!m_dcBuffer) m_dcBuffer = CreateCompatibleDC(nullptr);
    m_bmpBufferOld = SelectObject(m_dcBuffer, m_bmpBuffer);
    m_sizeBuffer = SIZE{width, height};
}

void CBkDialogView::OnSize(int width, int height) {
    RecreateBuffer(width, height);
    LayoutBands();
}

void CBkDialogView::InvalidateRect(const RECT& rect) {
    if (IsRectEmpty(&rect)) return;
    if (!m_hRgnInvalidate) {
        m_hRgnInvalidate = CreateRectRgnIndirect(&rect);
    } else {
        HRGN added = CreateRectRgnIndirect(&rect);
        CombineRgn(m_hRgnInvalidate, m_hRgnInvalidate, added, RGN_OR);
        DeleteObject(added);
    }
    if (m_hWnd) platform::InvalidateRect(m_hWnd, &rect, false);
    m_bNeedRedraw = true;
}

void CBkDialogView::RenderBuffer() {
    if (!m_bNeedRedraw || !m_bmpBuffer) return;
    BkPaintLockGuard lock;
    HDC dc = m_dcBuffer;
    HFONT oldFont = SelectObject(dc, BkFontPool::GetFont(0));
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    if (m_hRgnInvalidate) SelectClipRgn(dc, m_hRgnInvalidate);
    m_bkHeader.RedrawRegion(dc, m_hRgnInvalidate);
    m_bkBody.RedrawRegion(dc, m_hRgnInvalidate);
    m_bkFooter.RedrawRegion(dc, m_hRgnInvalidate);
    // The focus mark: a dotted frame inside the button that Space or Return would press.
    if (CBkWindow* focused = GetFocusItem() ? GetItem(m_nFocusItem) : nullptr) {
        if (focused->IsVisible(true)) {
            RECT r = focused->GetRect();
            InflateRect(&r, -3, -3);
            HPEN pen = CreatePen(PS_DOT, 1, RGB(0x30, 0x30, 0x30));
            HPEN oldPen = SelectObject(dc, pen);
            MoveToEx(dc, r.left, r.top, nullptr);
            LineTo(dc, r.right - 1, r.top);
            LineTo(dc, r.right - 1, r.bottom - 1);
            LineTo(dc, r.left, r.bottom - 1);
            LineTo(dc, r.left, r.top);
            SelectObject(dc, oldPen);
            DeleteObject(pen);
        }
    }
    SelectClipRgn(dc, nullptr);
    if (m_hRgnInvalidate) {
        DeleteObject(m_hRgnInvalidate);
        m_hRgnInvalidate = nullptr;
    }
    SetBkMode(dc, oldMode);
    SelectObject(dc, oldFont);
    m_bNeedRedraw = false;
}

LRESULT CBkDialogView::OnPaint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(m_hWnd, &ps);
    RenderBuffer();
    if (m_bmpBuffer) BitBlt(dc, 0, 0, m_sizeBuffer.cx, m_sizeBuffer.cy, m_dcBuffer, 0, 0, SRCCOPY);
    EndPaint(m_hWnd, &ps);
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Mouse.

CBkWindow* CBkDialogView::HitTestAll(POINT pt, bool* inHeader) {
    if (inHeader) *inHeader = false;
    if (BKWND hit = m_bkHeader.HitTest(pt)) {
        if (inHeader) *inHeader = true;
        return BkWnds::GetWindow(hit);
    }
    if (BKWND hit = m_bkBody.HitTest(pt)) return BkWnds::GetWindow(hit);
    if (BKWND hit = m_bkFooter.HitTest(pt)) return BkWnds::GetWindow(hit);
    return nullptr;
}

bool CBkDialogView::IsDragSource(const CBkWindow* element) const {
    return !element->IsClass("button") && !element->IsClass("imgbtn") && !element->IsClass("link");
}

void CBkDialogView::SendNotify(UINT code) {
    NMHDR hdr{m_hWnd, static_cast<UINT_PTR>(GetDlgCtrlID(m_hWnd)), code};
    SendMessage(GetParent(m_hWnd), WM_NOTIFY, hdr.idFrom, reinterpret_cast<LPARAM>(&hdr));
}

void CBkDialogView::OnMouseMove(WPARAM keys, POINT pt) {
    if (!m_bTrackFlag) {
        TRACKMOUSEEVENT request{TME_LEAVE, m_hWnd};
        TrackMouseEvent(&request);
        m_bTrackFlag = true;
        SendNotify(BKNM_MOUSEHOVER);
    }

    CBkWindow* hit = HitTestAll(pt, nullptr);
    const BKWND hitHandle = hit ? hit->GetBkHWnd() : 0;
    if (hit && !hit->IsDisabled(true)) {
        hit->BkSendMessage(WM_MOUSEMOVE, keys, MAKELPARAM(static_cast<WORD>(pt.x), static_cast<WORD>(pt.y)));
    }
    // The cursor request before this message may have seen an older pointer position (the
    // platform's cursor position does not follow every input source); settle it here.
    if (!m_bCaptureSetted) {
        SetCursorAt(pt, MAKELPARAM(HTCLIENT, static_cast<WORD>(WM_MOUSEMOVE)));
    }
    if (hitHandle == m_hHover) return;

    if (CBkWindow* old = BkWnds::GetWindow(m_hHover)) {
        if (!old->IsDisabled(true)) {
            ModifyItemState(old, 0, BkWndState_Hover);
            old->BkSendMessage(WM_MOUSELEAVE);
        }
    }
    // A disabled element still becomes the hover element, so that moving on to an enabled
    // neighbour is seen as a change.
    hit = BkWnds::GetWindow(hitHandle);
    if (hit && !hit->IsDisabled(true)) ModifyItemState(hit, BkWndState_Hover, 0);
    m_hHover = hitHandle;
    SetWindowToolTip(m_hWnd, hit ? hit->GetToolTipText() : std::u16string());
}

void CBkDialogView::OnMouseLeave() {
    m_bTrackFlag = false;
    if (CBkWindow* hover = BkWnds::GetWindow(m_hHover)) {
        ModifyItemState(hover, 0, BkWndState_Hover);
        hover->BkSendMessage(WM_MOUSELEAVE);
    }
    if (CBkWindow* pushed = BkWnds::GetWindow(m_hPushDown)) ModifyItemState(pushed, 0, BkWndState_PushDown);
    m_hHover = m_hPushDown = 0;
    SendNotify(BKNM_MOUSELEAVE);
}

void CBkDialogView::OnLButtonDown(WPARAM keys, POINT pt) {
    CBkWindow* hit = nullptr;
    if (BKWND header = m_bkHeader.HitTest(pt)) {
        hit = BkWnds::GetWindow(header);
        if (hit && IsDragSource(hit)) {
            HWND top = GetParent(m_hWnd);
            if (!IsZoomed(top) && !IsIconic(top)) SendMessage(top, WM_SYSCOMMAND, kSysCommandDrag, 0);
            return;
        }
    }
    if (!hit) {
        if (BKWND body = m_bkBody.HitTest(pt)) {
            hit = BkWnds::GetWindow(body);
        } else if (BKWND footer = m_bkFooter.HitTest(pt)) {
            hit = BkWnds::GetWindow(footer);
        }
    }
    if (!hit || hit->IsDisabled(true) || m_bCaptureSetted) return;
    SetCapture(m_hWnd);
    m_bCaptureSetted = true;
    m_hHover = m_hPushDown = hit->GetBkHWnd();
    ModifyItemState(hit, BkWndState_PushDown, 0);
    hit->BkSendMessage(WM_LBUTTONDOWN, keys, MAKELPARAM(static_cast<WORD>(pt.x), static_cast<WORD>(pt.y)));
}

void CBkDialogView::OnLButtonUp(WPARAM keys, POINT pt) {
    if (m_bCaptureSetted) {
        m_bCaptureSetted = false;
        ReleaseCapture();
    }
    CBkWindow* pushed = BkWnds::GetWindow(m_hPushDown);
    const bool overIt = m_hPushDown != 0 && m_hPushDown == m_hHover;
    // Cleared before anything is told, so that a handler that runs a modal loop finds the host idle.
    m_hPushDown = 0;
    if (!pushed) return;
    ModifyItemState(pushed, 0, BkWndState_PushDown);
    if (!overIt) return;

    const BKWND handle = pushed->GetBkHWnd();
    pushed->BkSendMessage(WM_LBUTTONUP, keys, MAKELPARAM(static_cast<WORD>(pt.x), static_cast<WORD>(pt.y)));
    pushed = BkWnds::GetWindow(handle);  // the element may have gone meanwhile
    if (pushed) Click(pushed);
}

void CBkDialogView::Click(CBkWindow* element) {
    if (!element->GetLinkUrl().empty()) {
        ShellExecuteOpen(element->GetLinkUrl());
    } else if (element->GetCmdID() != 0) {
        BKNMCOMMAND nm;
        nm.hdr = NMHDR{m_hWnd, static_cast<UINT_PTR>(GetDlgCtrlID(m_hWnd)), BKNM_COMMAND};
        nm.uItemID = element->GetCmdID();
        nm.szItemClass = element->GetObjectClass();
        SendMessage(GetParent(m_hWnd), WM_NOTIFY, nm.hdr.idFrom, reinterpret_cast<LPARAM>(&nm));
    }
}

// ---------------------------------------------------------------------------------------------
// Keyboard focus.

HWND CBkDialogView::FocusTarget(int id) {
    CBkWindow* element = GetItem(id);
    if (!element || !element->IsVisible(true) || element->IsDisabled(true)) return nullptr;
    if (element->IsClass("realwnd")) {
        HWND real = static_cast<CBkRealWnd*>(element)->GetRealHWnd();
        return real && IsWindowVisible(real) && IsWindowEnabled(real) ? real : nullptr;
    }
    return element->IsClass("button") ? m_hWnd : nullptr;
}

void CBkDialogView::InvalidateFocusItem() {
    if (CBkWindow* element = m_nFocusItem ? GetItem(m_nFocusItem) : nullptr) InvalidateRect(element->GetRect());
}

bool CBkDialogView::SetFocusItem(int id) {
    HWND target = FocusTarget(id);
    if (!target) return false;
    InvalidateFocusItem();
    m_nFocusItem = target == m_hWnd ? id : 0;
    InvalidateFocusItem();
    SetFocus(target);
    return true;
}

int CBkDialogView::GetFocusItem() const { return GetFocus() == m_hWnd ? m_nFocusItem : 0; }

bool CBkDialogView::MoveFocus(bool forward) {
    const int n = static_cast<int>(m_tabOrder.size());
    if (n == 0) return false;
    // Where the focus is now: the button of the host, or a real window (or a part of one).
    HWND focus = GetFocus();
    int current = -1;
    for (int i = 0; i < n && current < 0; ++i) {
        HWND target = FocusTarget(m_tabOrder[static_cast<size_t>(i)]);
        if (!target) continue;
        if (target == m_hWnd ? (focus == m_hWnd && m_tabOrder[static_cast<size_t>(i)] == m_nFocusItem)
                             : (focus == target || IsChild(target, focus))) {
            current = i;
        }
    }
    for (int step = 1; step <= n; ++step) {
        const int i = current < 0 ? (forward ? step - 1 : n - step) : ((current + (forward ? step : -step)) % n + n) % n;
        if (SetFocusItem(m_tabOrder[static_cast<size_t>(i)])) return true;
    }
    return false;
}

void CBkDialogView::OnLButtonDblClk(POINT pt) {
    if (!m_bResizable) return;
    BKWND header = m_bkHeader.HitTest(pt);
    CBkWindow* hit = BkWnds::GetWindow(header);
    if (!hit || !IsDragSource(hit)) return;
    HWND top = GetParent(m_hWnd);
    SendMessage(top, WM_SYSCOMMAND, IsZoomed(top) ? kSysCommandRestore : kSysCommandMaximize, 0);
}

bool CBkDialogView::OnSetCursor(WPARAM wParam, LPARAM lParam) {
    HWND top = GetParent(m_hWnd);
    if ((m_dwDlgStyle & WS_THICKFRAME) && !IsZoomed(top)) {
        // The top-level window answers on its sizing border with a sizing cursor.
        POINT screen{};
        GetCursorPos(&screen);
        const LRESULT hit = SendMessage(top, WM_NCHITTEST, 0, MAKELPARAM(static_cast<WORD>(screen.x), static_cast<WORD>(screen.y)));
        if (hit >= HTLEFT && hit <= HTBOTTOMRIGHT) {
            DefWindowProc(top, WM_SETCURSOR, wParam, MAKELPARAM(static_cast<WORD>(hit), HIWORD(static_cast<uintptr_t>(lParam))));
            return true;
        }
    }
    POINT pt{};
    GetCursorPos(&pt);
    ScreenToClient(m_hWnd, &pt);
    SetCursorAt(pt, lParam);
    return true;
}

void CBkDialogView::SetCursorAt(POINT pt, LPARAM lParam) {
    CBkWindow* hit = HitTestAll(pt, nullptr);
    if (!hit || hit->IsDisabled(true)) {
        SetCursor(LoadCursor(IDC_ARROW));
    } else if (hit->IsClass("realwnd") || hit->IsClass("edit")) {
        if (HWND real = GetDlgItem(m_hWnd, hit->GetCmdID())) {
            SendMessage(real, WM_SETCURSOR, reinterpret_cast<WPARAM>(real), lParam);
        } else {
            SetCursor(LoadCursor(IDC_ARROW));
        }
    } else {
        hit->SetCursor();
    }
}

LRESULT CBkDialogView::OnNotify(WPARAM wParam, LPARAM lParam) {
    const auto* hdr = reinterpret_cast<const NMHDR*>(lParam);
    if (!hdr) return 0;
    if (hdr->code == BKNM_INVALIDATERECT) {
        InvalidateRect(reinterpret_cast<const BKNMINVALIDATERECT*>(lParam)->rect);
        return 0;
    }
    return SendMessage(GetParent(m_hWnd), WM_NOTIFY, wParam, lParam);
}

// ---------------------------------------------------------------------------------------------

LRESULT CBkDialogView::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT:
        return OnPaint();
    case WM_ERASEBKGND:
        return 1;
    case WM_SIZE:
        OnSize(LOWORD(static_cast<uintptr_t>(lParam)), HIWORD(static_cast<uintptr_t>(lParam)));
        return 0;
    case WM_DPICHANGED:
        // Another screen's pixel density: the back buffer anew at it, everything drawn again.
        RecreateBuffer(m_sizeBuffer.cx, m_sizeBuffer.cy);
        InvalidateRect(RECT{0, 0, m_sizeBuffer.cx, m_sizeBuffer.cy});
        return 0;
    case WM_MOUSEMOVE:
        OnMouseMove(wParam, PointFromLParam(lParam));
        return 0;
    case WM_MOUSELEAVE:
        OnMouseLeave();
        return 0;
    case WM_LBUTTONDOWN:
        OnLButtonDown(wParam, PointFromLParam(lParam));
        return 0;
    case WM_LBUTTONUP:
        OnLButtonUp(wParam, PointFromLParam(lParam));
        return 0;
    case WM_LBUTTONDBLCLK:
        OnLButtonDblClk(PointFromLParam(lParam));
        return 0;
    case WM_CAPTURECHANGED:
        m_bCaptureSetted = false;
        return 0;
    case WM_SETCURSOR:
        if (reinterpret_cast<HWND>(wParam) == hwnd) return OnSetCursor(wParam, lParam) ? 1 : 0;
        break;
    case WM_NOTIFY:
        return OnNotify(wParam, lParam);
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        InvalidateFocusItem();
        return 0;
    case WM_NEXTDLGCTL:
        return MoveFocus(wParam == 0) ? 1 : 0;
    case WM_KEYDOWN:
        if (wParam == VK_SPACE && GetFocusItem()) {
            if (CBkWindow* focused = GetItem(m_nFocusItem)) Click(focused);
            return 0;
        }
        break;
    case WM_COMMAND:
        // Return (OK from the dialog keys) presses the button that has the focus.
        if (LOWORD(wParam) == IDOK && lParam == 0 && GetFocusItem()) {
            if (CBkWindow* focused = GetItem(m_nFocusItem)) Click(focused);
            return 0;
        }
        // An `edit` element's field reports its changes here: its element takes the new text
        // first, then the top-level window hears of it like any other control's command.
        CBkEdit::ReflectCommand(wParam, lParam);
        return SendMessage(GetParent(hwnd), msg, wParam, lParam);
    case WM_HSCROLL:
    case WM_VSCROLL:
        // Real controls in `realwnd` elements report to the top-level window directly.
        return SendMessage(GetParent(hwnd), msg, wParam, lParam);
    case WM_DESTROY:
        ReleaseBuffer();
        if (m_bCaptureSetted) {
            m_bCaptureSetted = false;
            ReleaseCapture();
        }
        break;
    case WM_NCDESTROY:
        m_hWnd = nullptr;
        break;
    default:
        break;
    }
    return DefWindowProc(hwnd, msg, wParam, lParam);
}
