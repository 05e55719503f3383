// A memory DC with a bitmap selected, for drawing tests.
#pragma once

#include <algorithm>

#include "platform/gdi.h"

namespace platform::testing {

class Canvas {
public:
    Canvas(int width, int height, COLORREF fill = RGB(255, 255, 255), bool mono = false) {
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = mono ? CreateBitmap(width, height, 1, 1, nullptr) : CreateBitmap(width, height, 1, 32, nullptr);
        old_ = SelectObject(dc_, bitmap_);
        RECT r{0, 0, width, height};
        FillSolidRect(dc_, &r, fill);
    }
    ~Canvas() {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC dc() const { return dc_; }
    HBITMAP bitmap() const { return bitmap_; }
    COLORREF at(int x, int y) const { return GetPixel(dc_, x, y); }
    // Pixels in the rectangle that are not `background`.
    int countNot(const RECT& r, COLORREF background) const {
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                if (at(x, y) != background) ++n;
        return n;
    }
    // The bounding box of pixels that are not `background` (empty when none).
    RECT inkBox(COLORREF background) const {
        BITMAP bm;
        GetObject(bitmap_, &bm);
        RECT box{bm.bmWidth, bm.bmHeight, 0, 0};
        for (int y = 0; y < bm.bmHeight; ++y)
            for (int x = 0; x < bm.bmWidth; ++x)
                if (at(x, y) != background) {
                    box.left = std::min<LONG>(box.left, x);
                    box.top = std::min<LONG>(box.top, y);
                    box.right = std::max<LONG>(box.right, x + 1);
                    box.bottom = std::max<LONG>(box.bottom, y + 1);
                }
        if (box.right == 0) return RECT{};
        return box;
    }

private:
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HBITMAP old_ = nullptr;
};

}  // namespace platform::testing
