#include "bkwin/bkskinimgframe.h"

#include "bkres/bkvaluesyntax.h"

unsigned CBkSkinImgFrame::EdgesOfPart(const std::string& part) {
    if (part == "top") return EdgeTop | EdgeLeft | EdgeRight;
    if (part == "middle") return EdgeLeft | EdgeRight;
    if (part == "bottom") return EdgeBottom | EdgeLeft | EdgeRight;
    if (part == "left") return EdgeTop | EdgeBottom | EdgeLeft;
    if (part == "center") return EdgeTop | EdgeBottom;
    if (part == "right") return EdgeTop | EdgeBottom | EdgeRight;
    return EdgeAll;
}

bool CBkSkinImgFrame::SetAttribute(const std::string& name, const std::string& value, bool loading) {
    if (CBkSkinBase::SetAttribute(name, value, loading)) return true;
    if (name == "left") m_nLeft = BkParseInt(value);
    else if (name == "top") m_nTop = BkParseInt(value);
    else if (name == "crbg") m_crBg = BkParseColor(value);
    else if (name == "part") m_edges = EdgesOfPart(value);
    else return m_image.SetAttribute(name, value, loading);
    return true;
}

void CBkSkinImgFrame::Draw(HDC dc, const RECT& r, int) {
    if (!m_image.GetBitmap() || m_image.GetMode() == CBkImageSkin::ModeAlpha) return;
    const SIZE size = m_image.GetBitmapSize();
    const int L = m_nLeft, T = m_nTop;
    const int R = size.cx - L - 1;   // width of the right strip
    const int B = size.cy - T - 1;   // height of the bottom strip
    if (L < 0 || T < 0 || R < 0 || B < 0) return;
    const bool top = m_edges & EdgeTop, bottom = m_edges & EdgeBottom;
    const bool left = m_edges & EdgeLeft, right = m_edges & EdgeRight;

    RECT in = r;
    if (left) in.left += L;
    if (top) in.top += T;
    if (right) in.right -= R;
    if (bottom) in.bottom -= B;
    const int inW = in.right - in.left, inH = in.bottom - in.top;

    if (top && left) m_image.DrawPart(dc, r.left, r.top, L, T, 0, 0, L, T);
    if (top && right) m_image.DrawPart(dc, r.right - R, r.top, R, T, L + 1, 0, R, T);
    if (bottom && left) m_image.DrawPart(dc, r.left, r.bottom - B, L, B, 0, T + 1, L, B);
    if (bottom && right) m_image.DrawPart(dc, r.right - R, r.bottom - B, R, B, L + 1, T + 1, R, B);

    if (top) m_image.DrawPart(dc, in.left, r.top, inW, T, L, 0, 1, T);
    if (bottom) m_image.DrawPart(dc, in.left, r.bottom - B, inW, B, L, T + 1, 1, B);
    if (left) m_image.DrawPart(dc, r.left, in.top, L, inH, 0, T, L, 1);
    if (right) m_image.DrawPart(dc, r.right - R, in.top, R, inH, L + 1, T, R, 1);

    if (m_crBg != CLR_INVALID && inW > 0 && inH > 0) FillSolidRect(dc, &in, m_crBg);
}
