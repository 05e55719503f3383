// A named set of presentation attributes (colours, text mode, fonts, margins, cursor, skin).
// Elements name one with `class` and keep their own copy.
#pragma once

#include <string>

#include "bkwin/bkobject.h"
#include "bkres/bkplatform.h"


class BkStyle : public CBkObject {
public:
    enum Cursor { CursorArrow, CursorHand };

    const char* GetObjectClass() const override { return "style"; }
    bool SetAttribute(const std::string& name, const std::string& value, bool loading) override;

    COLORREF m_crBg = CLR_INVALID;           // crbg
    COLORREF m_crBgHover = CLR_INVALID;      // crbghover
    COLORREF m_crText = CLR_INVALID;         // crtext
    COLORREF m_crHoverText = CLR_INVALID;    // crhover
    COLORREF m_crDisabledText = RGB(0xCC, 0xCC, 0xCC);  // crdisabled
    UINT m_nTextAlign = DT_SINGLELINE | DT_BOTTOM;      // textmode, DrawText flags (28 hex)
    HFONT m_ftText = nullptr;                // font; none: the element's default font
    HFONT m_ftHover = nullptr;               // hoverfont
    int m_nMarginX = 0;                      // x-margin (margin sets both)
    int m_nMarginY = 0;                      // y-margin
    int m_nSpacing = 0;                      // spacing
    int m_nLineSpacing = 20;                 // linespacing
    Cursor m_nCursor = CursorArrow;          // cursor: "hand" or "arrow"
    std::string m_strSkinName;               // skin
    std::string m_strClassName;              // name
};
