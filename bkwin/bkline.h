// A line (`hr`): a pen of style `style`, width `size` and the colour `crbg`, from the
// rectangle's top-left corner to its bottom-right corner ("4,5,-4,5" is horizontal,
// "385,5,385,-5" vertical).
#pragma once

#include "bkwin/bkwnd.h"

class CBkLine : public CBkWindow {
public:
    const char* GetObjectClass() const override { return "hr"; }
    bool SetAttribute(const std::string& name, const std::string& value, bool loading) override;
    // A line's rectangle is often empty (one of its sides 0): the region test uses the pixels
    // the pen covers instead, so that a line inside the paint region is drawn.
    bool RedrawRegion(platform::HDC dc, platform::HRGN region) override;

    int GetPenStyle() const { return m_nPenStyle; }
    int GetLineSize() const { return m_nLineSize; }

protected:
    void OnPaint(platform::HDC dc) override;

private:
    int m_nPenStyle = 0;   // style: solid, dash, dot, dashdot, dashdotdot (pen styles 0-4)
    int m_nLineSize = 1;   // size
};
