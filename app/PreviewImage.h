// A page's preview image: a colour bitmap the size of its preview window, compatible with the
// main window's device context and kept selected into a memory device context for the life of
// the page. It always holds what the preview window should show; the make page's timers copy it
// onto the window.
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
    // White all over.
    void Clear();
    // Copies the whole image onto `window` at 0, 0.
    void CopyTo(HWND window) const;

    HDC GetDC() const { return m_dc; }
    const RECT& GetRect() const { return m_rc; }

private:
    void Release();

    HBITMAP m_bitmap = nullptr;
    HDC m_dc = nullptr;
    HBITMAP m_bitmapOld = nullptr;
    RECT m_rc{0, 0, 0, 0};
};
