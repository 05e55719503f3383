// The button skin (`button`): a background, a vertical two-colour gradient per state and a
// one-pixel border; no image.
#pragma once

#include "bkwin/bkskin.h"

class CBkSkinButton : public CBkSkinBase {
public:
    const char* GetObjectClass() const override { return "button"; }
    bool SetAttribute(const std::string& name, const std::string& value, bool loading) override;
    void Draw(HDC dc, const RECT& rect, int state) override;
    bool IgnoreState() const override { return false; }

private:
    COLORREF m_crBg = RGB(0xEE, 0xEE, 0xEE);
    COLORREF m_crBorder = RGB(0x70, 0x70, 0x70);
    COLORREF m_crBgUpNormal = RGB(0xEE, 0xEE, 0xEE);
    COLORREF m_crBgUpHover = RGB(0xEE, 0xEE, 0xEE);
    COLORREF m_crBgUpPush = RGB(0xCE, 0xCE, 0xCE);
    COLORREF m_crBgDownNormal = RGB(0xD6, 0xD6, 0xD6);
    COLORREF m_crBgDownHover = RGB(0xE0, 0xE0, 0xE0);
    COLORREF m_crBgDownPush = RGB(0xC0, 0xC0, 0xC0);
};
