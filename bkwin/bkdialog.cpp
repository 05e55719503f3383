#include "bkwin/bkdialog.h"

#include <tinyxml.h>

bool CBkDialog::Load(const TiXmlElement* element) {
    if (!CBkPanel::Load(element)) return false;
    LoadChilds(element->FirstChildElement());
    return true;
}

RECT CBkDialog::GetInnerRect() const {
    return RECT{m_rcWindow.left + m_style.m_nMarginX, m_rcWindow.top + m_style.m_nMarginY,
                m_rcWindow.right - m_style.m_nMarginX, m_rcWindow.bottom - m_style.m_nMarginY};
}

void CBkDialog::RepositionChild(CBkWindow* child) {
    if (!child) return;
    const RECT inner = GetInnerRect();
    const int width = inner.right - inner.left, height = inner.bottom - inner.top;
    BkWindowPos pos;
    pos.x = inner.left;
    pos.y = inner.top;
    const BkWndPos& p = child->GetPos();
    if (p.count == 2 || p.count == 4) {
        pos.x = p.item[0].Resolve(inner.left, width);
        pos.y = p.item[1].Resolve(inner.top, height);
    }
    pos.cx = width;
    pos.cy = height;
    child->BkSendMessage(WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
}

void CBkDialog::RepositionChilds() {
    for (auto& child : m_lstWndChild) RepositionChild(child.get());
}

void CBkDialog::OnWindowPosChanged(const BkWindowPos& pos) {
    CBkPanel::OnWindowPosChanged(pos);
    RepositionChilds();
}
