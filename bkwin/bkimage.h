// The bitmap skin (`imglst`): one bitmap, optionally a strip of state images `subwidth` wide,
// drawn at natural size by plain copy, colour-key copy or straight-alpha blend. The frame and
// horizontal-extend skins draw their bitmap through one of these.
#pragma once

#include "bkwin/bkskin.h"

class CBkImageSkin : public CBkSkinBase {
public:
    enum Mode { ModeNone, ModeMask, ModeAlpha };

    const char* GetObjectClass() const override { return "imglst"; }
    bool SetAttribute(const std::string& name, const std::string& value, bool loading) override;
    void Draw(HDC dc, const RECT& rect, int state) override;
    SIZE GetSkinSize() const override;
    bool IgnoreState() const override { return m_nSubImageWidth == 0; }

    // Copies source (sx, sy, sw, sh) of the bitmap to (x, y, w, h) of `dc`, stretching when
    // the sizes differ, honouring the mode. Parts outside the bitmap are not drawn.
    void DrawPart(HDC dc, int x, int y, int w, int h, int sx, int sy, int sw, int sh) const;

    HBITMAP GetBitmap() const { return m_hBitmap; }
    SIZE GetBitmapSize() const;
    Mode GetMode() const { return m_mode; }

private:
    HBITMAP m_hBitmap = nullptr;   // shared, owned by BkBmpPool
    int m_nSubImageWidth = 0;      // subwidth
    Mode m_mode = ModeNone;        // mode
    COLORREF m_crMask = RGB(0xFF, 0x00, 0xFF);  // maskcolor
};
