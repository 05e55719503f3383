#include "bkwin/bkskingradation.h"

#include <algorithm>

#include "bkres/bkvaluesyntax.h"

bool CBkSkinGradation::SetAttribute(const std::string& name, const std::string& value, bool loading) {
    if (CBkSkinBase::SetAttribute(name, value, loading)) return true;
    if (name == "from") m_crFrom = BkParseColor(value);
    else if (name == "to") m_crTo = BkParseColor(value);
    else if (name == "direction") m_bVertical = value == "vert";
    else if (name == "size") m_nSize = BkParseInt(value);
    else return false;
    return true;
}

void CBkSkinGradation::Draw(HDC dc, const RECT& rect, int) {
    if (rect.right <= rect.left || rect.bottom <= rect.top) return;
    FillSolidRect(dc, &rect, m_crTo);
    RECT g = rect;
    if (m_nSize > 0) {
        if (m_bVertical) g.bottom = std::min<LONG>(rect.bottom, rect.top + m_nSize);
        else g.right = std::min<LONG>(rect.right, rect.left + m_nSize);
    }
    GradientFillRect(dc, &g, m_crFrom, m_crTo, m_bVertical);
}
