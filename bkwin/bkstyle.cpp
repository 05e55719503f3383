#include "bkwin/bkstyle.h"

#include "bkres/bkfontpool.h"
#include "bkres/bkvaluesyntax.h"

bool BkStyle::SetAttribute(const std::string& name, const std::string& value, bool loading) {
    if (CBkObject::SetAttribute(name, value, loading)) return true;
    if (name == "crbg") m_crBg = BkParseColor(value);
    else if (name == "crbghover") m_crBgHover = BkParseColor(value);
    else if (name == "crtext") m_crText = BkParseColor(value);
    else if (name == "crhover") m_crHoverText = BkParseColor(value);
    else if (name == "crdisabled") m_crDisabledText = BkParseColor(value);
    else if (name == "textmode") m_nTextAlign = BkParseHex(value);
    else if (name == "font") m_ftText = BkFontPool::GetFont(static_cast<uint16_t>(BkParseHex(value)));
    else if (name == "hoverfont") m_ftHover = BkFontPool::GetFont(static_cast<uint16_t>(BkParseHex(value)));
    else if (name == "x-margin") m_nMarginX = BkParseInt(value);
    else if (name == "y-margin") m_nMarginY = BkParseInt(value);
    else if (name == "margin") m_nMarginX = m_nMarginY = BkParseInt(value);
    else if (name == "spacing") m_nSpacing = BkParseInt(value);
    else if (name == "linespacing") m_nLineSpacing = BkParseInt(value);
    else if (name == "cursor") m_nCursor = value == "hand" ? CursorHand : CursorArrow;
    else if (name == "skin") m_strSkinName = value;
    else if (name == "name") m_strClassName = value;
    else return false;
    return true;
}
