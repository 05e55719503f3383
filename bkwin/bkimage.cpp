#include "bkwin/bkimage.h"

#include <algorithm>

#include "bkres/bkbmppool.h"
#include "bkres/bkvaluesyntax.h"

bool CBkImageSkin::SetAttribute(const std::string& name, const std::string& value, bool loading) {
    if (CBkSkinBase::SetAttribute(name, value, loading)) return true;
    if (name == "src") {
        int id = BkParseInt(value);
        m_hBitmap = id > 0 ? BkBmpPool::GetBitmap(static_cast<unsigned>(id)) : nullptr;
    } else if (name == "subwidth") {
        m_nSubImageWidth = std::max(0, BkParseInt(value));
    } else if (name == "mode") {
        m_mode = value == "mask" ? ModeMask : value == "alpha" ? ModeAlpha : ModeNone;
    } else if (name == "maskcolor") {
        m_crMask = BkParseColor(value);
    } else {
        return false;
    }
    return true;
}

SIZE CBkImageSkin::GetBitmapSize() const {
    SIZE size{0, 0};
    BITMAP bm;
    if (m_hBitmap && GetObject(m_hBitmap, &bm)) size = SIZE{bm.bmWidth, bm.bmHeight};
    return size;
}

SIZE CBkImageSkin::GetSkinSize() const {
    SIZE size = GetBitmapSize();
    if (m_nSubImageWidth > 0) size.cx = m_nSubImageWidth;
    return size;
}

void CBkImageSkin::Draw(HDC dc, const RECT& rect, int state) {
    if (!m_hBitmap) return;
    if (state != kBkNoState && m_nSubImageWidth == 0) return;
    SIZE size = GetBitmapSize();
    int sx = 0;
    int width = size.cx;
    if (state != kBkNoState) {
        sx = state * m_nSubImageWidth;
        width = m_nSubImageWidth;
    }
    DrawPart(dc, rect.left, rect.top, width, size.cy, sx, 0, width, size.cy);
}

void CBkImageSkin::DrawPart(HDC dc, int x, int y, int w, int h, int sx, int sy, int sw, int sh) const {
    if (!m_hBitmap || w <= 0 || h <= 0 || sw <= 0 || sh <= 0) return;
    SIZE size = GetBitmapSize();
    if (sx < 0 || sy < 0 || sx + sw > size.cx || sy + sh > size.cy) return;
    HDC src = CreateCompatibleDC(dc);
    HBITMAP old = SelectObject(src, m_hBitmap);
    switch (m_mode) {
    case ModeNone:
        if (w == sw && h == sh) BitBlt(dc, x, y, w, h, src, sx, sy, SRCCOPY);
        else StretchBlt(dc, x, y, w, h, src, sx, sy, sw, sh, SRCCOPY);
        break;
    case ModeMask:
        TransparentBlt(dc, x, y, w, h, src, sx, sy, sw, sh, m_crMask);
        break;
    case ModeAlpha:
        // Blending copies at natural size only.
        if (w == sw && h == sh) AlphaBlendStraight(dc, x, y, w, h, src, sx, sy);
        break;
    }
    SelectObject(src, old);
    DeleteDC(src);
}
