#include "bkwin/bktabctrl.h"

#include <tinyxml.h>

#include "bkres/bkvaluesyntax.h"
#include "bkwin/bknotify.h"
#include "bkwin/bkskinpool.h"
#include "platform/window.h"

using namespace platform;

namespace {

// Tab titles: centred both ways on one line, tabs expanded, no prefix, cut with an ellipsis.
constexpr UINT kTitleFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_EXPANDTABS | DT_NOPREFIX | DT_END_ELLIPSIS;

CBkSkinBase* SkinNamed(const std::string& name) { return name.empty() ? nullptr : BkSkinPool::GetSkin(name); }

}  // namespace

CBkTabCtrl::~CBkTabCtrl() { OnDestroy(); }

void CBkTabCtrl::OnDestroy() {
    std::vector<std::unique_ptr<CBkTab>> pages;
    pages.swap(m_lstPages);
    for (auto& page : pages) {
        page->BkSendMessage(WM_DESTROY);
        page.reset();
    }
    m_nHoverTab = -1;
}

bool CBkTabCtrl::SetAttribute(const std::string& name, const std::string& value, bool loading) {
    if (CBkContainerWnd::SetAttribute(name, value, loading)) return true;
    if (name == "cursel") m_nCurrentPage = BkParseInt(value);
    else if (name == "tabwidth") m_nTabWidth = BkParseInt(value);
    else if (name == "tabheight") m_nTabHeight = BkParseInt(value);
    else if (name == "tabpos") m_nTabPos = BkParseInt(value);
    else if (name == "tabspacing") m_nTabSpacing = BkParseInt(value);
    else if (name == "framepos") m_nFramePos = BkParseInt(value);
    else if (name == "icon-x") m_ptIcon.x = BkParseInt(value);
    else if (name == "icon-y") m_ptIcon.y = BkParseInt(value);
    else if (name == "text-x") m_ptText.x = BkParseInt(value);
    else if (name == "text-y") m_ptText.y = BkParseInt(value);
    else if (name == "tabskin") m_strTabSkin = value;
    else if (name == "frameskin") m_strFrameSkin = value;
    else if (name == "iconskin") m_strIconSkin = value;
    else if (name == "splitterskin") m_strSplitterSkin = value;
    else if (name == "tabalign") m_nTabAlign = value == "left" ? AlignLeft : AlignTop;
    else return false;
    return true;
}

bool CBkTabCtrl::Load(const TiXmlElement* element) {
    if (!CBkContainerWnd::Load(element)) return false;
    OnDestroy();
    for (const TiXmlElement* e = element->FirstChildElement(); e; e = e->NextSiblingElement()) {
        if (e->ValueStr() != "tab") continue;
        auto page = std::make_unique<CBkTab>();
        page->SetParent(m_hBkWnd);
        page->SetContainer(m_hWndContainer);
        page->Load(e);
        page->SetAttribute("pos", "0,0,-0,-0", true);
        m_lstPages.push_back(std::move(page));
    }

    const int firstVisible = FirstVisiblePage();
    const int count = static_cast<int>(m_lstPages.size());
    // A selection that is 0, out of range or names a hidden page becomes the first visible
    // page; with no visible page there is no selection.
    if (m_nCurrentPage == 0 || m_nCurrentPage < 0 || m_nCurrentPage >= count || !IsPageVisible(m_nCurrentPage)) {
        m_nCurrentPage = firstVisible;
    }
    for (int i = 0; i < count; ++i) m_lstPages[i]->SetVisible(i == m_nCurrentPage);
    return true;
}

void CBkTabCtrl::SetContainer(HWND container) {
    CBkContainerWnd::SetContainer(container);
    for (auto& page : m_lstPages) page->SetContainer(container);
}

bool CBkTabCtrl::IsPageVisible(int index) const {
    return index >= 0 && index < static_cast<int>(m_lstPages.size()) && !m_lstPages[index]->IsHidden();
}

int CBkTabCtrl::FirstVisiblePage() const {
    for (int i = 0; i < static_cast<int>(m_lstPages.size()); ++i) {
        if (IsPageVisible(i)) return i;
    }
    return -1;
}

SIZE CBkTabCtrl::GetTabSize() const {
    SIZE size{m_nTabWidth, m_nTabHeight};
    if (size.cx == 0 || size.cy == 0) {
        SIZE skin{0, 0};
        if (CBkSkinBase* tab = SkinNamed(m_strTabSkin)) skin = tab->GetSkinSize();
        if (size.cx == 0) size.cx = skin.cx;
        if (size.cy == 0) size.cy = skin.cy;
    }
    return size;
}

RECT CBkTabCtrl::GetItemRect(int index) const {
    if (!IsPageVisible(index)) return RECT{};
    int before = 0;
    for (int i = 0; i < index; ++i) {
        if (IsPageVisible(i)) ++before;
    }
    const SIZE tab = GetTabSize();
    RECT rc{m_rcWindow.left, m_rcWindow.top, m_rcWindow.left + tab.cx, m_rcWindow.top + tab.cy};
    if (m_nTabAlign == AlignLeft) OffsetRect(&rc, 0, m_nTabPos + before * (tab.cy + m_nTabSpacing));
    else OffsetRect(&rc, m_nTabPos + before * (tab.cx + m_nTabSpacing), 0);
    return rc;
}

RECT CBkTabCtrl::GetOuterFrameRect() const {
    RECT rc = m_rcWindow;
    const SIZE tab = GetTabSize();
    if (m_nTabAlign == AlignLeft) rc.left += tab.cx + m_nFramePos;
    else rc.top += tab.cy + m_nFramePos;
    return rc;
}

RECT CBkTabCtrl::GetFrameRect() const {
    RECT rc = GetOuterFrameRect();
    rc.left += m_style.m_nMarginX;
    rc.right -= m_style.m_nMarginX;
    rc.top += m_style.m_nMarginY;
    rc.bottom -= m_style.m_nMarginY;
    return rc;
}

void CBkTabCtrl::RepositionChild(CBkWindow* child) {
    if (!child) return;
    const RECT frame = GetFrameRect();
    BkWindowPos pos;
    pos.x = frame.left;
    pos.y = frame.top;
    pos.cx = RectWidth(frame);
    pos.cy = RectHeight(frame);
    child->BkSendMessage(WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
}

void CBkTabCtrl::RepositionChilds() {
    for (auto& page : m_lstPages) RepositionChild(page.get());
}

void CBkTabCtrl::OnWindowPosChanged(const BkWindowPos& pos) {
    CBkContainerWnd::OnWindowPosChanged(pos);
    RepositionChilds();
}

CBkWindow* CBkTabCtrl::FindChildByCmdID(int id) {
    for (auto& page : m_lstPages) {
        if (page->GetCmdID() == id) return page.get();
    }
    // The page on show first: its pages repeat ids (one button or field per page).
    if (CBkTab* shown = GetPage(static_cast<std::size_t>(m_nCurrentPage))) {
        if (CBkWindow* found = shown->FindChildByCmdID(id)) return found;
    }
    for (auto& page : m_lstPages) {
        if (CBkWindow* found = page->FindChildByCmdID(id)) return found;
    }
    return nullptr;
}

BKWND CBkTabCtrl::HitTest(POINT pt) {
    if (!PtInRect(&m_rcWindow, pt)) return 0;
    const RECT frame = GetFrameRect();
    if (!PtInRect(&frame, pt)) return m_hBkWnd;
    CBkTab* page = GetPage(static_cast<std::size_t>(m_nCurrentPage));
    if (!page || !page->IsVisible()) return m_hBkWnd;
    const BKWND hit = page->HitTest(pt);
    return hit ? hit : m_hBkWnd;
}

int CBkTabCtrl::TabFromPoint(POINT pt) const {
    for (int i = 0; i < static_cast<int>(m_lstPages.size()); ++i) {
        if (i == m_nCurrentPage || !IsPageVisible(i)) continue;
        const RECT rc = GetItemRect(i);
        if (PtInRect(&rc, pt)) return i;
    }
    return -1;
}

void CBkTabCtrl::SetHoverTab(int index) {
    if (index == m_nHoverTab) return;
    const int old = m_nHoverTab;
    m_nHoverTab = index;
    if (old >= 0) NotifyInvalidateRect(GetItemRect(old));
    if (index >= 0) NotifyInvalidateRect(GetItemRect(index));
}

void CBkTabCtrl::SetCursor() {
    platform::SetCursor(LoadCursor(m_nHoverTab >= 0 ? IDC_HAND : IDC_ARROW));
}

bool CBkTabCtrl::ProcessMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    const POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (msg) {
    case WM_MOUSEMOVE:
        SetHoverTab(TabFromPoint(pt));
        break;
    case WM_MOUSELEAVE:
        SetHoverTab(-1);
        break;
    case WM_LBUTTONDOWN: {
        const int tab = TabFromPoint(pt);
        if (tab >= 0) SetCurSel(tab);
        break;
    }
    default:
        return CBkContainerWnd::ProcessMessage(msg, wParam, lParam, result);
    }
    result = 0;
    return true;
}

void CBkTabCtrl::ShowPage(int index, bool show) {
    if (CBkTab* page = GetPage(static_cast<std::size_t>(index))) page->BkSendMessage(WM_SHOWWINDOW, show ? 1 : 0, 0);
}

bool CBkTabCtrl::SetCurSel(int index) {
    // An index out of range fails before anyone is told of it, so no receiver acts on it.
    const int count = static_cast<int>(m_lstPages.size());
    if (index < 0 || index >= count) return false;

    const int old = m_nCurrentPage;
    BKNMTABSELCHANGE nm;
    nm.hdr.hwndFrom = m_hWndContainer;
    nm.hdr.idFrom = IDC_RICHVIEW_WIN;
    nm.hdr.code = BKNM_TAB_SELCHANGE;
    nm.uTabID = m_uCmdID;
    nm.nTabItemIDNew = index;
    nm.nTabItemIDOld = old;
    nm.bCancel = false;
    if (m_hWndContainer) SendMessage(m_hWndContainer, WM_NOTIFY, IDC_RICHVIEW_WIN, reinterpret_cast<LPARAM>(&nm));
    if (nm.bCancel) return false;
    if (index == old) return true;

    if (old >= 0) NotifyInvalidateRect(GetItemRect(old));
    NotifyInvalidateRect(GetItemRect(index));
    ShowPage(old, false);
    ShowPage(index, true);
    m_nCurrentPage = index;
    if (m_nHoverTab == index) m_nHoverTab = -1;
    RepositionChild(m_lstPages[index].get());
    NotifyInvalidateRect(GetOuterFrameRect());
    return true;
}

bool CBkTabCtrl::SetTabVisible(int index, bool show) {
    if (index < 0 || index >= static_cast<int>(m_lstPages.size())) return false;
    if (show == IsPageVisible(index)) return true;
    // The whole control is invalidated before and after: the strip moves up behind the tab.
    NotifyInvalidate();
    m_lstPages[index]->SetHidden(!show);
    if (m_nHoverTab >= 0) m_nHoverTab = -1;
    if (!show && index == m_nCurrentPage) {
        ShowPage(index, false);
        m_nCurrentPage = FirstVisiblePage();
        if (m_nCurrentPage >= 0) {
            ShowPage(m_nCurrentPage, true);
            RepositionChild(m_lstPages[m_nCurrentPage].get());
        }
    } else if (show && m_nCurrentPage < 0) {
        // A control left without a page shows the first page that comes back.
        m_nCurrentPage = index;
        ShowPage(index, true);
        RepositionChild(m_lstPages[index].get());
    }
    NotifyInvalidate();
    return true;
}

void CBkTabCtrl::OnShowWindow(bool show, LPARAM status) {
    CBkContainerWnd::OnShowWindow(show, status);
    if (show && !IsVisible()) return;
    // Only the selected page follows; it keeps its own state bit, which the selection owns.
    if (CBkTab* page = GetPage(static_cast<std::size_t>(m_nCurrentPage))) {
        page->BkSendMessage(WM_SHOWWINDOW, show ? 1 : 0, show ? BkShowFromParentOpening : BkShowFromParentClosing);
    }
}

void CBkTabCtrl::PaintTab(HDC dc, int index, int skinState, bool moreTabsFollow) {
    const RECT tab = GetItemRect(index);
    if (moreTabsFollow && m_nTabSpacing > 0) {
        if (CBkSkinBase* splitter = SkinNamed(m_strSplitterSkin)) {
            const SIZE s = splitter->GetSkinSize();
            RECT rc;
            if (m_nTabAlign == AlignLeft) {
                const int x = tab.left + (RectWidth(tab) - s.cx) / 2;
                const int y = tab.bottom + (m_nTabSpacing - s.cy) / 2;
                rc = RECT{x, y, x + s.cx, y + s.cy};
            } else {
                const int x = tab.right + (m_nTabSpacing - s.cx) / 2;
                const int y = tab.top + (RectHeight(tab) - s.cy) / 2;
                rc = RECT{x, y, x + s.cx, y + s.cy};
            }
            splitter->Draw(dc, rc, kBkNoState);
        }
    }
    if (CBkSkinBase* skin = SkinNamed(m_strTabSkin)) skin->Draw(dc, tab, skinState);
    if (CBkSkinBase* icon = SkinNamed(m_strIconSkin)) {
        const SIZE s = icon->GetSkinSize();
        const int x = tab.left + m_ptIcon.x, y = tab.top + m_ptIcon.y;
        icon->Draw(dc, RECT{x, y, x + s.cx, y + s.cy}, index);
    }
    RECT text = tab;
    OffsetRect(&text, m_ptText.x, m_ptText.y);
    DrawText(dc, m_lstPages[index]->GetTitle(), &text, kTitleFormat);
}

void CBkTabCtrl::OnPaint(HDC dc) {
    if (CBkSkinBase* frame = SkinNamed(m_strFrameSkin)) frame->Draw(dc, GetOuterFrameRect(), static_cast<int>(m_dwState));

    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColor = GetTextColor(dc);
    const HFONT oldFont = GetCurrentFont(dc);
    if (m_style.m_crText != CLR_INVALID) SetTextColor(dc, m_style.m_crText);
    if (m_style.m_ftText) SelectObject(dc, m_style.m_ftText);

    int visibleLeft = 0;
    for (int i = 0; i < static_cast<int>(m_lstPages.size()); ++i) {
        if (IsPageVisible(i)) ++visibleLeft;
    }
    for (int i = 0; i < static_cast<int>(m_lstPages.size()); ++i) {
        if (!IsPageVisible(i)) continue;
        --visibleLeft;
        if (i == m_nCurrentPage) continue;
        PaintTab(dc, i, i == m_nHoverTab ? 1 : 0, visibleLeft > 0);
    }
    if (IsPageVisible(m_nCurrentPage)) {
        if (m_style.m_crHoverText != CLR_INVALID) SetTextColor(dc, m_style.m_crHoverText);
        if (m_style.m_ftHover) SelectObject(dc, m_style.m_ftHover);
        PaintTab(dc, m_nCurrentPage, 2, false);
    }

    SelectObject(dc, oldFont);
    SetTextColor(dc, oldColor);
    SetBkMode(dc, oldMode);
}

bool CBkTabCtrl::RedrawRegion(HDC dc, HRGN region) {
    if (!CBkContainerWnd::RedrawRegion(dc, region)) return false;
    CBkTab* page = GetPage(static_cast<std::size_t>(m_nCurrentPage));
    if (page && page->IsVisible()) page->RedrawRegion(dc, region);
    return true;
}
