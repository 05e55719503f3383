// The frame skin (`imgframe`): a bitmap cut into corners, one-pixel edge slices and a centre;
// corners are drawn at natural size, edges stretched, the inside filled with `crbg`.
#pragma once

#include "bkwin/bkimage.h"

class CBkSkinImgFrame : public CBkSkinBase {
public:
    // Edges a frame draws; corners are drawn where both adjoining edges are.
    enum Edge : unsigned { EdgeTop = 1, EdgeBottom = 2, EdgeLeft = 4, EdgeRight = 8,
                           EdgeAll = 15 };

    const char* GetObjectClass() const override { return "imgframe"; }
    bool SetAttribute(const std::string& name, const std::string& value, bool loading) override;
    void Draw(HDC dc, const RECT& rect, int state) override;
    bool IgnoreState() const override { return m_image.IgnoreState(); }

    // The edges of a `part` value: all, top, middle, bottom, left, center, right.
    static unsigned EdgesOfPart(const std::string& part);

private:
    CBkImageSkin m_image;
    int m_nLeft = 0;                  // left: width of the left strip
    int m_nTop = 0;                   // top: height of the top strip
    COLORREF m_crBg = CLR_INVALID;    // crbg: fill of the inside
    unsigned m_edges = EdgeAll;       // part
};
