// A container with an ordered list of children (document order) that it owns, paints and
// hit-tests. Tag "div"; not created from XML by this program's layouts.
#pragma once

#include <memory>
#include <vector>

#include "bkwin/bkcontainerwnd.h"

class CBkPanel : public CBkContainerWnd {
public:
    ~CBkPanel() override;

    const char* GetObjectClass() const override { return "div"; }
    bool SetAttribute(const std::string& name, const std::string& value, bool loading) override;
    void SetContainer(HWND container) override;
    BKWND HitTest(POINT pt) override;
    bool RedrawRegion(HDC dc, HRGN region) override;
    bool ProcessMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    CBkWindow* FindChildByCmdID(int id) override;
    void RepositionChilds() override {}
    void RepositionChild(CBkWindow*) override {}

    // Destroys the children, then creates one child per element from `first` on through its
    // siblings (unknown tags are skipped), linking and loading each.
    void LoadChilds(const TiXmlElement* first);

    // Appends an element made elsewhere; the panel takes ownership.
    void AppendChild(std::unique_ptr<CBkWindow> child);
    const std::vector<std::unique_ptr<CBkWindow>>& Children() const { return m_lstWndChild; }
    bool IsOnlyDrawChild() const { return m_bOnlyDrawChild; }

protected:
    void OnDestroy() override;
    void OnPaint(HDC) override {}
    void OnShowWindow(bool show, LPARAM status) override;
    void OnMouseMove(POINT pt);

    std::vector<std::unique_ptr<CBkWindow>> m_lstWndChild;
    bool m_bOnlyDrawChild = false;
};
