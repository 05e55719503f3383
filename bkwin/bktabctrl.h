// The tab control (`tabctrl`): a strip of tabs along the top (or the left) and a frame below
// (or beside) it in which the selected page (`tab`) is shown. Tabs are laid out from `tabpos`
// with `tabspacing` between them; hidden pages have no tab.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "bkwin/bkcontainerwnd.h"
#include "bkwin/bkskin.h"
#include "bkwin/bktab.h"

class CBkTabCtrl : public CBkContainerWnd {
public:
    enum Align { AlignTop = 0, AlignLeft = 1 };

    ~CBkTabCtrl() override;

    const char* GetObjectClass() const override { return "tabctrl"; }
    bool Load(const TiXmlElement* element) override;
    bool SetAttribute(const std::string& name, const std::string& value, bool loading) override;
    void SetContainer(platform::HWND container) override;
    BKWND HitTest(platform::POINT pt) override;
    bool RedrawRegion(platform::HDC dc, platform::HRGN region) override;
    bool ProcessMessage(platform::UINT msg, platform::WPARAM wParam, platform::LPARAM lParam,
                        platform::LRESULT& result) override;
    void SetCursor() override;

    CBkWindow* FindChildByCmdID(int id) override;
    void RepositionChilds() override;
    void RepositionChild(CBkWindow* child) override;

    // Asks the container's parent first (code 5, which may veto); then selects page `index`
    // and shows it in the frame. Fails for an index out of range or a veto; selecting the
    // current page succeeds without change.
    bool SetCurSel(int index);
    int GetCurSel() const { return m_nCurrentPage; }
    // Shows or hides page `index` and its tab. Hiding the selected page selects the first
    // visible page (none, -1, when there is no other). False for an index out of range.
    bool SetTabVisible(int index, bool show);
    // The tab rectangle of page `index`; empty for a hidden page or an index out of range.
    platform::RECT GetItemRect(int index) const;
    // The rectangle pages fill: the control without the tab strip and `framepos`, shrunk by
    // the control's margins.
    platform::RECT GetFrameRect() const;
    int GetHoverTab() const { return m_nHoverTab; }

    std::size_t GetPageCount() const { return m_lstPages.size(); }
    CBkTab* GetPage(std::size_t index) const { return index < m_lstPages.size() ? m_lstPages[index].get() : nullptr; }

protected:
    void OnPaint(platform::HDC dc) override;
    void OnShowWindow(bool show, platform::LPARAM status) override;
    void OnWindowPosChanged(const BkWindowPos& pos) override;
    void OnDestroy() override;

private:
    platform::SIZE GetTabSize() const;
    // The frame before the margins are taken off (where the frame skin is drawn).
    platform::RECT GetOuterFrameRect() const;
    // The visible, non-selected tab under the point, or -1.
    int TabFromPoint(platform::POINT pt) const;
    bool IsPageVisible(int index) const;
    int FirstVisiblePage() const;
    void ShowPage(int index, bool show);
    void PaintTab(platform::HDC dc, int index, int skinState, bool moreTabsFollow);
    void SetHoverTab(int index);

    std::vector<std::unique_ptr<CBkTab>> m_lstPages;
    int m_nHoverTab = -1;
    int m_nCurrentPage = 0;        // cursel
    int m_nTabSpacing = 0;         // tabspacing
    int m_nTabPos = 0;             // tabpos
    int m_nFramePos = 0;           // framepos
    int m_nTabWidth = 0;           // tabwidth
    int m_nTabHeight = 0;          // tabheight
    std::string m_strTabSkin;      // tabskin
    std::string m_strFrameSkin;    // frameskin
    std::string m_strIconSkin;     // iconskin
    std::string m_strSplitterSkin; // splitterskin
    platform::POINT m_ptIcon{0, 0};  // icon-x, icon-y
    platform::POINT m_ptText{0, 0};  // text-x, text-y
    Align m_nTabAlign = AlignTop;    // tabalign
};
