#include "bkwin/bkpanel.h"

#include <tinyxml.h>

#include "bkres/bkvaluesyntax.h"
#include "bkwin/bkwndfactory.h"

CBkPanel::~CBkPanel() { OnDestroy(); }

bool CBkPanel::SetAttribute(const std::string& name, const std::string& value, bool loading) {
    if (CBkContainerWnd::SetAttribute(name, value, loading)) return true;
    if (name == "onlydrawchild") {
        m_bOnlyDrawChild = BkParseInt(value) != 0;
        return true;
    }
    return false;
}

void CBkPanel::SetContainer(HWND container) {
    CBkContainerWnd::SetContainer(container);
    for (auto& child : m_lstWndChild) child->SetContainer(container);
}

void CBkPanel::OnDestroy() {
    // Children go in list order, each told first so it can release what it holds.
    std::vector<std::unique_ptr<CBkWindow>> children;
    children.swap(m_lstWndChild);
    for (auto& child : children) {
        child->BkSendMessage(WM_DESTROY);
        child.reset();
    }
}

void CBkPanel::AppendChild(std::unique_ptr<CBkWindow> child) {
    if (!child) return;
    child->SetParent(m_hBkWnd);
    child->SetContainer(m_hWndContainer);
    m_lstWndChild.push_back(std::move(child));
}

void CBkPanel::LoadChilds(const TiXmlElement* first) {
    BkSendMessage(WM_DESTROY);
    for (const TiXmlElement* e = first; e; e = e->NextSiblingElement()) {
        std::unique_ptr<CBkWindow> child = BkWndFactory::CreateElementByName(e->ValueStr());
        if (!child) continue;
        child->SetParent(m_hBkWnd);
        child->SetContainer(m_hWndContainer);
        child->Load(e);
        m_lstWndChild.push_back(std::move(child));
    }
}

CBkWindow* CBkPanel::FindChildByCmdID(int id) {
    for (auto& child : m_lstWndChild) {
        if (child->GetCmdID() == id) return child.get();
    }
    for (auto& child : m_lstWndChild) {
        if (!child->IsContainer()) continue;
        if (CBkWindow* found = static_cast<CBkContainerWnd*>(child.get())->FindChildByCmdID(id)) return found;
    }
    return nullptr;
}

BKWND CBkPanel::HitTest(POINT pt) {
    if (!PtInRect(&m_rcWindow, pt)) return 0;
    if (m_bOnlyDrawChild) return m_hBkWnd;
    for (int pass = 0; pass < 2; ++pass) {
        const bool floating = pass == 0;
        for (auto& child : m_lstWndChild) {
            if (child->IsFloat() != floating) continue;
            if (!child->IsVisible() || child->IsTransparent()) continue;
            if (BKWND hit = child->HitTest(pt)) return hit;
        }
    }
    return m_hBkWnd;
}

bool CBkPanel::RedrawRegion(HDC dc, HRGN region) {
    if (!CBkContainerWnd::RedrawRegion(dc, region)) return false;
    DrawState saved;
    BeginDraw(dc, saved);
    for (auto& child : m_lstWndChild) {
        if (child->IsVisible()) child->RedrawRegion(dc, region);
    }
    EndDraw(dc, saved);
    return true;
}

void CBkPanel::OnShowWindow(bool show, LPARAM status) {
    CBkContainerWnd::OnShowWindow(show, status);
    // A hidden panel shows nothing of its own when its parent opens.
    if (show && !IsVisible()) return;
    const LPARAM toChildren = show ? BkShowFromParentOpening : BkShowFromParentClosing;
    for (auto& child : m_lstWndChild) child->BkSendMessage(WM_SHOWWINDOW, show ? 1 : 0, toChildren);
}

void CBkPanel::OnMouseMove(POINT pt) {
    for (auto& child : m_lstWndChild) {
        if (child->IsVisible() && PtInRect(&child->GetRect(), pt)) {
            child->BkSendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(static_cast<WORD>(pt.x), static_cast<WORD>(pt.y)));
        }
    }
}

bool CBkPanel::ProcessMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (msg == WM_MOUSEMOVE) {
        OnMouseMove(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return true;
    }
    return CBkContainerWnd::ProcessMessage(msg, wParam, lParam, result);
}
