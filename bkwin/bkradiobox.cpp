#include "bkwin/bkradiobox.h"

#include <algorithm>

#include "bkwin/bkcheckbox.h"
#include "bkwin/bkwnds.h"

using namespace platform;

CBkRadioBox::~CBkRadioBox() {
    if (m_bJoined) BkWnds::LeaveGroup(m_strGroup, m_hBkWnd);
}

bool CBkRadioBox::Load(const TiXmlElement* element) {
    const bool ok = CBkWindow::Load(element);
    if (!m_bJoined) {
        BkWnds::JoinGroup(m_strGroup, m_hBkWnd);
        m_bJoined = true;
    }
    return ok;
}

bool CBkRadioBox::SetAttribute(const std::string& name, const std::string& value, bool loading) {
    if (CBkWindow::SetAttribute(name, value, loading)) return true;
    if (name != "group") return false;
    if (m_bJoined && value != m_strGroup) {
        // Moving to another group after loading: leave the old one first.
        BkWnds::LeaveGroup(m_strGroup, m_hBkWnd);
        BkWnds::JoinGroup(value, m_hBkWnd);
    }
    m_strGroup = value;
    return true;
}

void CBkRadioBox::Check() {
    for (BKWND member : BkWnds::GroupMembers(m_strGroup)) {
        if (member == m_hBkWnd) continue;
        CBkWindow* other = BkWnds::GetWindow(member);
        if (!other || !(other->GetState() & BkWndState_Check)) continue;
        other->ModifyState(0, BkWndState_Check);
        other->NotifyInvalidate();
    }
    ModifyState(BkWndState_Check, 0);
    NotifyInvalidate();
}

bool CBkRadioBox::ProcessMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (msg == WM_LBUTTONUP) {
        Check();
        result = 0;
        return true;
    }
    return CBkWindow::ProcessMessage(msg, wParam, lParam, result);
}

void CBkRadioBox::OnPaint(HDC dc) {
    const RECT mark{m_rcWindow.left, m_rcWindow.top, m_rcWindow.left + kMarkSize, m_rcWindow.bottom};
    DrawButtonMark(dc, BP_RADIOBUTTON,
                   CBkCheckBox::MarkState(IsChecked(), IsDisabled(true), (m_dwState & BkWndState_PushDown) != 0,
                                          (m_dwState & BkWndState_Hover) != 0),
                   &mark);
    DrawState saved;
    RECT text = BeginDraw(dc, saved);
    text.left = m_rcWindow.left + kTextOffset;
    DrawText(dc, m_strInnerText, &text,
             (m_style.m_nTextAlign & ~(DT_BOTTOM | DT_WORDBREAK)) | DT_SINGLELINE | DT_VCENTER);
    EndDraw(dc, saved);
}

void CBkRadioBox::OnNcCalcSize(bool calcValidRects, SIZE& size) {
    CBkWindow::OnNcCalcSize(calcValidRects, size);
    size.cx += kTextOffset;
    size.cy = std::max<LONG>(size.cy, kMarkSize);
}
