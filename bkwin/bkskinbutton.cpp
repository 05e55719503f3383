#include "bkwin/bkskinbutton.h"

#include "bkres/bkvaluesyntax.h"
#include "bkwin/bkwndstate.h"

bool CBkSkinButton::SetAttribute(const std::string& name, const std::string& value, bool loading) {
    if (CBkSkinBase::SetAttribute(name, value, loading)) return true;
    COLORREF* target = nullptr;
    if (name == "bg") target = &m_crBg;
    else if (name == "border") target = &m_crBorder;
    else if (name == "bgup") target = &m_crBgUpNormal;
    else if (name == "bguphover") target = &m_crBgUpHover;
    else if (name == "bguppush") target = &m_crBgUpPush;
    else if (name == "bgdown") target = &m_crBgDownNormal;
    else if (name == "bgdownhover") target = &m_crBgDownHover;
    else if (name == "bgdownpush") target = &m_crBgDownPush;
    else return false;
    *target = BkParseColor(value);
    return true;
}

void CBkSkinButton::Draw(HDC dc, const RECT& rect, int state) {
    const unsigned flags = state == kBkNoState ? 0u : static_cast<unsigned>(state);
    FillSolidRect(dc, &rect, m_crBg);
    if (!(flags & BkWndState_Disable)) {
        COLORREF up = m_crBgUpNormal, down = m_crBgDownNormal;
        if (flags & BkWndState_PushDown) {
            up = m_crBgUpPush;
            down = m_crBgDownPush;
        } else if (flags & BkWndState_Hover) {
            up = m_crBgUpHover;
            down = m_crBgDownHover;
        }
        RECT inner{rect.left + 2, rect.top + 2, rect.right - 2, rect.bottom - 2};
        if (inner.right > inner.left && inner.bottom > inner.top) GradientFillRect(dc, &inner, up, down, true);
    }
    HPEN pen = CreatePen(PS_SOLID, 1, m_crBorder);
    HPEN oldPen = SelectObject(dc, pen);
    HBRUSH oldBrush = SelectObject(dc, GetStockBrush(NULL_BRUSH));
    Rectangle(dc, rect.left, rect.top, rect.right, rect.bottom);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
}
