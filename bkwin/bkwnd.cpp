#include "bkwin/bkwnd.h"

#include <algorithm>
#include <cstdio>
#include <tinyxml.h>

#include "bkres/bkfontpool.h"
#include "bkres/bkstringpool.h"
#include "bkres/bkvaluesyntax.h"
#include "bkwin/bkcontainerwnd.h"
#include "bkwin/bkskinpool.h"
#include "bkwin/bkstylepool.h"
#include "platform/text.h"

namespace {

constexpr UINT kAlignmentBits = DT_CENTER | DT_RIGHT | DT_VCENTER | DT_BOTTOM;

}  // namespace

CBkWindow::CBkWindow() : m_hBkWnd(BkWnds::NewHandle(this)), m_ownerThread(std::this_thread::get_id()) {}

CBkWindow::~CBkWindow() { BkWnds::DestroyHandle(m_hBkWnd); }

void CBkWindow::CheckThread() const {
    if (std::this_thread::get_id() != m_ownerThread) std::fprintf(stderr, "bOK\n");
}

std::u16string CBkWindow::SubstituteStrings(const std::u16string& text) {
    std::u16string out = text;
    std::size_t from = 0;
    while (true) {
        std::size_t start = out.find(u"%str", from);
        if (start == std::u16string::npos) break;
        std::size_t digits = start + 4;
        std::string number;
        for (std::size_t i = digits; i < out.size() && number.size() < 12; ++i) {
            char16_t c = out[i];
            if (c > 0x7F) break;
            number.push_back(static_cast<char>(c));
        }
        int id = BkParseInt(number);
        if (id <= 0) break;
        std::size_t close = out.find(u'%', digits);
        if (close == std::u16string::npos) break;
        const std::u16string* value = BkString::Get(static_cast<unsigned>(id));
        std::u16string replacement = value ? *value : std::u16string();
        out.replace(start, close - start + 1, replacement);
        from = start + replacement.size();
    }
    return out;
}

bool CBkWindow::Load(const TiXmlElement* element) {
    if (!element) return false;
    const char* text = element->GetText();
    if (text && *text) {
        std::u16string inner = platform::utf8ToUtf16(text);
        m_strInnerText = inner.empty() ? inner : SubstituteStrings(inner);
    }

    m_uPositionType = 0;
    CBkObject::Load(element);

    if (const char* show = element->Attribute("show")) SetVisible(BkParseInt(show) != 0);

    if (m_dlgpos.count != 2 && m_dlgpos.count != 4) {
        auto sizeFlags = [](const char* value, unsigned specify, unsigned full, unsigned fit, int& specified,
                            LONG& edge, LONG origin) -> unsigned {
            if (value) {
                if (std::string_view(value) == "full") return full;
                int n = BkParseInt(value);
                if (n > 0) {
                    specified = n;
                    edge = origin + n;
                    return specify;
                }
            }
            return fit;
        };
        m_uPositionType |= sizeFlags(element->Attribute("width"), SizeX_Specify, SizeX_FitParent, SizeX_FitContent,
                                     m_lSpecifyWidth, m_rcWindow.right, m_rcWindow.left);
        m_uPositionType |= sizeFlags(element->Attribute("height"), SizeY_Specify, SizeY_FitParent, SizeY_FitContent,
                                     m_lSpecifyHeight, m_rcWindow.bottom, m_rcWindow.top);
        if (m_uPositionType & (SizeX_FitContent | SizeY_FitContent)) {
            SIZE size{0, 0};
            OnNcCalcSize(false, size);
            if (m_uPositionType & SizeX_FitContent) m_rcWindow.right = m_rcWindow.left + size.cx;
            if (m_uPositionType & SizeY_FitContent) m_rcWindow.bottom = m_rcWindow.top + size.cy;
        }
    }

    int floating = 0;
    if (const char* f = element->Attribute("float")) floating = BkParseInt(f);
    m_uPositionType = (m_uPositionType & ~(Position_Float | Position_Relative)) |
                      (floating ? Position_Float : Position_Relative);
    return true;
}

bool CBkWindow::SetAttribute(const std::string& name, const std::string& value, bool loading) {
    if (CBkObject::SetAttribute(name, value, loading)) return true;
    if (name == "class") {
        m_style = BkStylePool::GetStyle(value);
    } else if (name == "id") {
        m_uCmdID = BkParseInt(value);
    } else if (name == "crbg") {
        m_style.m_crBg = BkParseColor(value);
    } else if (name == "crtext") {
        m_style.m_crText = BkParseColor(value);
    } else if (name == "font") {
        m_style.m_ftText = BkFontPool::GetFont(static_cast<uint16_t>(BkParseHex(value)));
    } else if (name == "href") {
        m_strLinkUrl = platform::utf8ToUtf16(value);
    } else if (name == "tip") {
        m_strToolTipText = platform::utf8ToUtf16(value);
    } else if (name == "pos") {
        m_dlgpos = BkWndPos::Parse(value);
        if (m_dlgpos.count == 2 || m_dlgpos.count == 4) {
            m_uPositionType = (m_uPositionType & ~(SizeX_Mask | SizeY_Mask)) | SizeX_FitContent | SizeY_FitContent;
        }
        if (!loading) RepositionSelf();
    } else if (name == "transparent") {
        m_bTransparent = BkParseInt(value);
    } else {
        return false;
    }
    return true;
}

void CBkWindow::SetInnerText(const std::u16string& text) {
    CheckThread();
    m_strInnerText = text;
    if ((m_uPositionType & (SizeX_FitContent | SizeY_FitContent)) && m_dlgpos.count != 4) {
        SIZE size{0, 0};
        OnNcCalcSize(false, size);
        if (m_uPositionType & SizeX_FitContent) m_rcWindow.right = m_rcWindow.left + size.cx;
        if (m_uPositionType & SizeY_FitContent) m_rcWindow.bottom = m_rcWindow.top + size.cy;
    }
}

void CBkWindow::SetCursor() {
    platform::SetCursor(LoadCursor(m_style.m_nCursor == BkStyle::CursorHand ? IDC_HAND : IDC_ARROW));
}

void CBkWindow::SetContainer(HWND container) { m_hWndContainer = container; }

BKWND CBkWindow::HitTest(POINT pt) { return PtInRect(&m_rcWindow, pt) ? m_hBkWnd : 0; }

bool CBkWindow::NeedRedrawWhenStateChange() {
    if (!m_style.m_strSkinName.empty()) {
        CBkSkinBase* skin = BkSkinPool::GetSkin(m_style.m_strSkinName);
        if (skin && !skin->IgnoreState()) return true;
    }
    return m_style.m_crBgHover != CLR_INVALID || m_style.m_ftHover != nullptr ||
           m_style.m_crHoverText != CLR_INVALID;
}

bool CBkWindow::RedrawRegion(HDC dc, HRGN region) {
    if (region && !RectInRegion(region, &m_rcWindow)) return false;
    if (!m_style.m_strSkinName.empty()) {
        if (CBkSkinBase* skin = BkSkinPool::GetSkin(m_style.m_strSkinName)) {
            skin->Draw(dc, m_rcWindow, static_cast<int>(m_dwState));
        }
    } else {
        COLORREF bg = m_style.m_crBg;
        if ((m_dwState & BkWndState_Hover) && m_style.m_crBgHover != CLR_INVALID) bg = m_style.m_crBgHover;
        if (bg != CLR_INVALID) FillSolidRect(dc, &m_rcWindow, bg);
    }
    if (m_pPaintHook && m_pPaintHook->BeforePaint(this, dc)) return true;
    BkSendMessage(WM_PAINT, reinterpret_cast<WPARAM>(dc));
    if (m_pPaintHook) m_pPaintHook->AfterPaint(this, dc);
    return true;
}

LRESULT CBkWindow::BkSendMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    ProcessMessage(msg, wParam, lParam, result);
    return result;
}

bool CBkWindow::ProcessMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    const bool outerHandled = m_bMsgHandled;
    m_bMsgHandled = true;
    switch (msg) {
    case WM_CREATE:
        result = 1;
        break;
    case WM_DESTROY:
        OnDestroy();
        break;
    case WM_PAINT:
        OnPaint(reinterpret_cast<HDC>(wParam));
        break;
    case WM_SHOWWINDOW:
        OnShowWindow(wParam != 0, lParam);
        break;
    case WM_WINDOWPOSCHANGED:
        if (lParam) OnWindowPosChanged(*reinterpret_cast<const BkWindowPos*>(lParam));
        break;
    case WM_NCCALCSIZE:
        if (lParam) OnNcCalcSize(wParam != 0, *reinterpret_cast<SIZE*>(lParam));
        break;
    default:
        m_bMsgHandled = false;
        break;
    }
    const bool handled = m_bMsgHandled;
    m_bMsgHandled = outerHandled;
    return handled;
}

unsigned CBkWindow::ModifyState(unsigned add, unsigned remove) {
    CheckThread();
    unsigned old = m_dwState;
    m_dwState = (m_dwState | add) & ~remove;
    return old;
}

bool CBkWindow::IsVisible(bool checkParent) const {
    if (m_dwState & BkWndState_Invisible) return false;
    if (!checkParent) return true;
    for (CBkWindow* p = GetParentWindow(); p; p = p->GetParentWindow()) {
        if (p->m_dwState & BkWndState_Invisible) return false;
    }
    return true;
}

bool CBkWindow::IsDisabled(bool checkParent) const {
    if (m_dwState & BkWndState_Disable) return true;
    if (!checkParent) return false;
    for (CBkWindow* p = GetParentWindow(); p; p = p->GetParentWindow()) {
        if (p->m_dwState & BkWndState_Disable) return true;
    }
    return false;
}

void CBkWindow::SetVisible(bool show) {
    if (show) ModifyState(0, BkWndState_Invisible);
    else ModifyState(BkWndState_Invisible, 0);
}

void CBkWindow::NotifyInvalidate() { NotifyInvalidateRect(m_rcWindow); }

void CBkWindow::NotifyInvalidateRect(const RECT& rect) {
    if (!IsVisible(true) || !m_hWndContainer || !IsWindow(m_hWndContainer)) return;
    BKNMINVALIDATERECT nm{};
    nm.hdr.hwndFrom = m_hWndContainer;
    nm.hdr.idFrom = static_cast<UINT_PTR>(m_uCmdID);
    nm.hdr.code = BKNM_INVALIDATERECT;
    nm.hbkWnd = m_hBkWnd;
    nm.rect = rect;
    SendMessage(m_hWndContainer, WM_NOTIFY, static_cast<WPARAM>(m_uCmdID), reinterpret_cast<LPARAM>(&nm));
}

void CBkWindow::RepositionSelf() {
    CBkWindow* parent = GetParentWindow();
    if (parent && parent->IsContainer()) static_cast<CBkContainerWnd*>(parent)->RepositionChild(this);
}

HFONT CBkWindow::GetMeasureFont() const {
    HFONT font = nullptr;
    for (const CBkWindow* w = this; w && !font; w = w->GetParentWindow()) font = w->m_style.m_ftText;
    if (m_dwState & BkWndState_Hover) {
        HFONT hover = nullptr;
        for (const CBkWindow* w = this; w && !hover; w = w->GetParentWindow()) hover = w->m_style.m_ftHover;
        if (hover) font = hover;
    }
    return font ? font : BkFontPool::GetFont(0);
}

void CBkWindow::OnNcCalcSize(bool calcValidRects, SIZE& size) {
    const int W = size.cx, H = size.cy;
    if (m_dlgpos.count == 4) {
        const int left = m_dlgpos.item[0].Resolve(0, W);
        const int top = m_dlgpos.item[1].Resolve(0, H);
        const int right = m_dlgpos.item[2].Resolve(0, W);
        const int bottom = m_dlgpos.item[3].Resolve(0, H);
        size = SIZE{right - left, bottom - top};
        return;
    }
    RECT rc = m_rcWindow;
    if (calcValidRects) rc = RECT{m_rcWindow.left, m_rcWindow.top, m_rcWindow.left + W, m_rcWindow.top + H};
    rc.left += m_style.m_nMarginX;
    rc.right -= m_style.m_nMarginX;
    rc.top += m_style.m_nMarginY;
    rc.bottom -= m_style.m_nMarginY;
    const UINT mode = m_style.m_nTextAlign;
    if (mode & DT_WORDBREAK) rc.bottom = 0x7FFF;
    HDC dc = CreateCompatibleDC(nullptr);
    HFONT old = SelectObject(dc, GetMeasureFont());
    DrawText(dc, m_strInnerText, &rc, (mode & ~kAlignmentBits) | DT_CALCRECT);
    SelectObject(dc, old);
    DeleteDC(dc);
    size = SIZE{rc.right - rc.left + 2 * m_style.m_nMarginX, rc.bottom - rc.top + 2 * m_style.m_nMarginY};
}

void CBkWindow::OnWindowPosChanged(const BkWindowPos& pos) {
    m_rcWindow = RECT{pos.x, pos.y, pos.x + (m_rcWindow.right - m_rcWindow.left),
                      pos.y + (m_rcWindow.bottom - m_rcWindow.top)};
    SIZE size{pos.cx, pos.cy};
    // Text is measured only when a dimension follows it; four position items cost nothing.
    if (m_dlgpos.count == 4 || (m_uPositionType & (SizeX_FitContent | SizeY_FitContent))) OnNcCalcSize(true, size);
    else size = SIZE{0, 0};
    m_rcWindow = RECT{pos.x, pos.y, pos.x + size.cx, pos.y + size.cy};
    if (m_uPositionType & SizeX_FitParent) m_rcWindow.right = std::max(m_rcWindow.left, static_cast<LONG>(pos.x + pos.cx));
    else if (m_uPositionType & SizeX_Specify) m_rcWindow.right = m_rcWindow.left + m_lSpecifyWidth;
    if (m_uPositionType & SizeY_FitParent) m_rcWindow.bottom = std::max(m_rcWindow.top, static_cast<LONG>(pos.y + pos.cy));
    else if (m_uPositionType & SizeY_Specify) m_rcWindow.bottom = m_rcWindow.top + m_lSpecifyHeight;
}

void CBkWindow::OnShowWindow(bool show, LPARAM status) {
    if (status == 0) SetVisible(show);
}

RECT CBkWindow::BeginDraw(HDC dc, DrawState& saved) {
    RECT text{m_rcWindow.left + m_style.m_nMarginX, m_rcWindow.top + m_style.m_nMarginY,
              m_rcWindow.right - m_style.m_nMarginX, m_rcWindow.bottom - m_style.m_nMarginY};
    if (!m_style.m_strSkinName.empty()) {
        saved.oldBkMode = SetBkMode(dc, TRANSPARENT);
        saved.bkModeSet = true;
    }
    if (m_style.m_crBg != CLR_INVALID) {
        saved.oldBkColor = SetBkColor(dc, m_style.m_crBg);
        saved.bkColorSet = true;
    }
    HFONT font = m_style.m_ftText;
    COLORREF color = m_style.m_crText;
    if (IsDisabled(true)) {
        color = m_style.m_crDisabledText;
    } else if (m_dwState & BkWndState_Hover) {
        if (m_style.m_ftHover) font = m_style.m_ftHover;
        if (m_style.m_crHoverText != CLR_INVALID) color = m_style.m_crHoverText;
    }
    if (font) {
        saved.oldFont = SelectObject(dc, font);
        saved.fontSelected = true;
    }
    if (color != CLR_INVALID) {
        saved.oldTextColor = SetTextColor(dc, color);
        saved.textColorSet = true;
    }
    return text;
}

void CBkWindow::EndDraw(HDC dc, const DrawState& saved) {
    if (saved.fontSelected) SelectObject(dc, saved.oldFont);
    if (saved.textColorSet) SetTextColor(dc, saved.oldTextColor);
    if (saved.bkColorSet) SetBkColor(dc, saved.oldBkColor);
    if (saved.bkModeSet) SetBkMode(dc, saved.oldBkMode);
}

void CBkWindow::OnPaint(HDC dc) {
    if (!dc) return;
    DrawState saved;
    RECT text = BeginDraw(dc, saved);
    DrawText(dc, m_strInnerText, &text, m_style.m_nTextAlign);
    EndDraw(dc, saved);
}
