// A 32-bit memory bitmap selected into a memory DC, for painting elements and skins and reading
// back pixels.
#pragma once

#include "bkres/bkplatform.h"

class BkTestCanvas {
public:
    BkTestCanvas(int width, int height, COLORREF fill = RGB(255, 255, 255)) {
        void* bits = nullptr;
        m_bitmap = CreateDIBSection32(width, height, &bits);
        m_dc = CreateCompatibleDC(nullptr);
        m_old = SelectObject(m_dc, m_bitmap);
        RECT all{0, 0, width, height};
        FillSolidRect(m_dc, &all, fill);
    }
    ~BkTestCanvas() {
        SelectObject(m_dc, m_old);
        DeleteDC(m_dc);
        DeleteObject(m_bitmap);
    }
    BkTestCanvas(const BkTestCanvas&) = delete;
    BkTestCanvas& operator=(const BkTestCanvas&) = delete;

    HDC dc() const { return m_dc; }
    COLORREF at(int x, int y) const { return GetPixel(m_dc, x, y); }

private:
    HBITMAP m_bitmap = nullptr;
    HBITMAP m_old = nullptr;
    HDC m_dc = nullptr;
};
