// The gradient skin (`gradation`): a fill with `to`, then a two-colour gradient from `from`
// to `to` across the rectangle or its first `size` pixels.
#pragma once

#include "bkwin/bkskin.h"

class CBkSkinGradation : public CBkSkinBase {
public:
    const char* GetObjectClass() const override { return "gradation"; }
    bool SetAttribute(const std::string& name, const std::string& value, bool loading) override;
    void Draw(HDC dc, const RECT& rect, int state) override;

private:
    COLORREF m_crFrom = CLR_INVALID;
    COLORREF m_crTo = CLR_INVALID;
    bool m_bVertical = false;   // direction: "vert", else horizontal
    int m_nSize = 0;            // extent of the gradient; 0 = the whole rectangle
};
