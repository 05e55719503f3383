#include "app/PreviewImage.h"

CPreviewImage::~CPreviewImage() {
    // The window usually went with the main window already.
    if (IsWindow(m_window)) SetWindowProc(m_window, m_windowProcOld);
    Release();
}

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
    Invalidate();
    return m_bitmap != nullptr;
}

void CPreviewImage::Attach(HWND window) {
    if (IsWindow(m_window)) SetWindowProc(m_window, m_windowProcOld);
    m_window = window;
    m_windowProcOld = SetWindowProc(window, [this](HWND h, UINT msg, WPARAM w, LPARAM l) { return WindowProc(h, msg, w, l); });
    Invalidate();
}

void CPreviewImage::Clear() { PatBlt(m_dc, 0, 0, RectWidth(m_rc), RectHeight(m_rc), WHITENESS); }

void CPreviewImage::Invalidate() const {
    if (m_window) InvalidateRect(m_window, nullptr, false);
}

LRESULT CPreviewImage::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != WM_PAINT) return CallWindowProc(m_windowProcOld, hwnd, msg, wParam, lParam);
    PAINTSTRUCT ps;
    if (HDC dc = BeginPaint(hwnd, &ps)) {
        if (m_dc) BitBlt(dc, 0, 0, RectWidth(m_rc), RectHeight(m_rc), m_dc, 0, 0, SRCCOPY);
        EndPaint(hwnd, &ps);
    }
    return 0;
}
