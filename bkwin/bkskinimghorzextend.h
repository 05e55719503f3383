// The horizontal-extend skin (`imghorzex`): a left end, a one-pixel middle column stretched
// across the width and a right end, all at the bitmap's height; one state image per
// `subwidth` pixels.
#pragma once

#include "bkwin/bkimage.h"

class CBkSkinImgHorzExtend : public CBkSkinBase {
public:
    const char* GetObjectClass() const override { return "imghorzex"; }
    bool SetAttribute(const std::string& name, const std::string& value, bool loading) override;
    void Draw(HDC dc, const RECT& rect, int state) override;
    SIZE GetSkinSize() const override { return SIZE{0, m_image.GetBitmapSize().cy}; }
    bool IgnoreState() const override { return m_image.IgnoreState(); }

private:
    CBkImageSkin m_image;
    int m_nLeft = 0;   // left: width of the left end
    int m_nSubWidth = 0;
};
