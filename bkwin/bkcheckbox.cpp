#include "bkwin/bkcheckbox.h"

#include <algorithm>

using namespace platform;

int CBkCheckBox::MarkState(bool checked, bool disabled, bool pushed, bool hover) {
    const int base = checked ? CBS_CHECKEDNORMAL : CBS_UNCHECKEDNORMAL;
    if (disabled) return base + 3;
    if (pushed) return base + 2;
    if (hover) return base + 1;
    return base;
}

bool CBkCheckBox::ProcessMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (msg == WM_LBUTTONUP) {
        if (IsChecked()) ModifyState(0, BkWndState_Check);
        else ModifyState(BkWndState_Check, 0);
        NotifyInvalidate();
        result = 0;
        return true;
    }
    return CBkWindow::ProcessMessage(msg, wParam, lParam, result);
}

void CBkCheckBox::OnPaint(HDC dc) {
    const RECT box{m_rcWindow.left, m_rcWindow.top, m_rcWindow.left + kBoxSize, m_rcWindow.bottom};
    DrawButtonMark(dc, BP_CHECKBOX,
                   MarkState(IsChecked(), IsDisabled(true), (m_dwState & BkWndState_PushDown) != 0,
                             (m_dwState & BkWndState_Hover) != 0),
                   &box);
    DrawState saved;
    RECT text = BeginDraw(dc, saved);
    text.left = m_rcWindow.left + kTextOffset;
    DrawText(dc, m_strInnerText, &text, (m_style.m_nTextAlign & ~DT_BOTTOM) | DT_VCENTER);
    EndDraw(dc, saved);
}

void CBkCheckBox::OnNcCalcSize(bool calcValidRects, SIZE& size) {
    CBkWindow::OnNcCalcSize(calcValidRects, size);
    size.cx += kTextOffset;
    size.cy = std::max<LONG>(size.cy, kBoxSize);
}
