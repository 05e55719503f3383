// A page's preview image: a colour bitmap the size of its preview window, compatible with the
// main window's device context and kept selected into a memory device context for the life of
// the page. It always holds what the preview window should show. The window paints it when the
// window system asks (exposure, un-minimising, a page switch) and after Invalidate(), which
// whoever draws a new picture into the image calls; nothing repaints on a clock.
#pragma once

#include "bkres/bkplatform.h"

class CPreviewImage {
public:
    CPreviewImage() = default;
    ~CPreviewImage();
    CPreviewImage(const CPreviewImage&) = delete;
    CPreviewImage& operator=(const CPreviewImage&) = delete;

    // Makes the width x height image, compatible with `window`'s device context, filled white.
    // False when the bitmap cannot be made (the image then stays empty).
    bool Create(HWND window, int width, int height);
    // Makes `window` show the image: its WM_PAINT copies the image at 0, 0.
    void Attach(HWND window);
    // White all over (call Invalidate to show it).
    void Clear();
    // The picture changed: the window paints it anew when the event loop next runs.
    void Invalidate() const;

    HDC GetDC() const { return m_dc; }
    const RECT& GetRect() const { return m_rc; }

private:
    void Release();
    LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    HBITMAP m_bitmap = nullptr;
    HDC m_dc = nullptr;
    HBITMAP m_bitmapOld = nullptr;
    RECT m_rc{0, 0, 0, 0};
    HWND m_window = nullptr;
    platform::WindowProc m_windowProcOld;
};
