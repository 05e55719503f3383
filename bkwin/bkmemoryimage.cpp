#include "bkwin/bkmemoryimage.h"

#include <algorithm>
#include <cstdlib>

#include "bkres/bkvaluesyntax.h"

using namespace platform;

bool CBkMemoryImage::SetAttribute(const std::string& name, const std::string& value, bool loading) {
    if (CBkWindow::SetAttribute(name, value, loading)) return true;
    if (name == "autosize") {
        m_bAutoSize = BkParseInt(value);
    } else if (name == "mempointer") {
        if (!loading) {
            const unsigned long long number = std::strtoull(value.c_str(), nullptr, 0);
            SetBitmap(reinterpret_cast<HBITMAP>(static_cast<uintptr_t>(number)));
        }
    } else {
        return false;
    }
    return true;
}

void CBkMemoryImage::SetBitmap(HBITMAP bitmap) {
    m_hBitmap = bitmap;
    if (m_bAutoSize && bitmap) {
        BITMAP info;
        if (GetObject(bitmap, &info)) {
            m_rcWindow.right = m_rcWindow.left + info.bmWidth;
            m_rcWindow.bottom = m_rcWindow.top + info.bmHeight;
        }
    }
    NotifyInvalidate();
}

void CBkMemoryImage::OnPaint(HDC dc) {
    BITMAP info;
    if (!m_hBitmap || !GetObject(m_hBitmap, &info)) return;
    HDC src = CreateCompatibleDC(dc);
    HBITMAP old = SelectObject(src, m_hBitmap);
    const int w = std::min<LONG>(info.bmWidth, RectWidth(m_rcWindow));
    const int h = std::min<LONG>(info.bmHeight, RectHeight(m_rcWindow));
    if (w > 0 && h > 0) BitBlt(dc, m_rcWindow.left, m_rcWindow.top, w, h, src, 0, 0, SRCCOPY);
    SelectObject(src, old);
    DeleteDC(src);
}

void CBkMemoryImage::OnNcCalcSize(bool calcValidRects, SIZE& size) {
    CBkWindow::OnNcCalcSize(calcValidRects, size);
    BITMAP info;
    if (m_bAutoSize && m_hBitmap && GetObject(m_hBitmap, &info)) size = SIZE{info.bmWidth, info.bmHeight};
}
