#include "app/PreviewImage.h"

CPreviewImage::~CPreviewImage() { Release(); }

void CPreviewImage::Release() {
    if (m_dc) {
        SelectObject(m_dc, m_bitmapOld);
        DeleteDC(m_dc);
    }
    if (m_bitmap) DeleteObject(m_bitmap);
    m_dc = nullptr;
    m_bitmap = m_bitmapOld = nullptr;
    m_rc = RECT{0, 0, 0, 0};
}

bool CPreviewImage::Create(HWND window, int width, int height) {
    Release();
    HDC windowDC = platform::GetDC(window);
    m_bitmap = CreateCompatibleBitmap(windowDC, width, height);
    if (m_bitmap) {
        m_dc = CreateCompatibleDC(windowDC);
        m_bitmapOld = SelectObject(m_dc, m_bitmap);
        m_rc = RECT{0, 0, width, height};
        Clear();
    }
    ReleaseDC(window, windowDC);
    return m_bitmap != nullptr;
}

void CPreviewImage::Clear() { PatBlt(m_dc, 0, 0, RectWidth(m_rc), RectHeight(m_rc), WHITENESS); }

void CPreviewImage::CopyTo(HWND window) const {
    if (!window || !m_dc) return;
    HDC dc = platform::GetDC(window);
    if (!dc) return;
    const int width = RectWidth(m_rc), height = RectHeight(m_rc);
    StretchBlt(dc, 0, 0, width, height, m_dc, 0, 0, width, height, SRCCOPY);
    ReleaseDC(window, dc);
}
