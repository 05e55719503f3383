// A memory image (`memimage`): draws a bitmap that the owner code hands over at run time
// (SetBitmap, or `mempointer` set through SetAttribute after loading), at the rectangle's
// top-left, cut to the rectangle; with `autosize` the element takes the bitmap's size.
// A layout document cannot name a bitmap: `mempointer` read while loading is ignored, so a
// number in a file never becomes a pointer.
#pragma once

#include "bkwin/bkwnd.h"

class CBkMemoryImage : public CBkWindow {
public:
    const char* GetObjectClass() const override { return "memimage"; }
    bool SetAttribute(const std::string& name, const std::string& value, bool loading) override;

    // The bitmap stays the caller's; it must outlive its use here (or be replaced first).
    void SetBitmap(platform::HBITMAP bitmap);
    platform::HBITMAP GetBitmap() const { return m_hBitmap; }

protected:
    void OnPaint(platform::HDC dc) override;
    void OnNcCalcSize(bool calcValidRects, platform::SIZE& size) override;

private:
    platform::HBITMAP m_hBitmap = nullptr;  // mempointer
    int m_bAutoSize = 0;                    // autosize
};
