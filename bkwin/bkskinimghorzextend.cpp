#include "bkwin/bkskinimghorzextend.h"

#include <algorithm>

#include "bkres/bkvaluesyntax.h"

bool CBkSkinImgHorzExtend::SetAttribute(const std::string& name, const std::string& value, bool loading) {
    if (CBkSkinBase::SetAttribute(name, value, loading)) return true;
    if (name == "left") {
        m_nLeft = BkParseInt(value);
        return true;
    }
    if (name == "subwidth") m_nSubWidth = std::max(0, BkParseInt(value));
    return m_image.SetAttribute(name, value, loading);
}

void CBkSkinImgHorzExtend::Draw(HDC dc, const RECT& rect, int state) {
    if (!m_image.GetBitmap()) return;
    const SIZE size = m_image.GetBitmapSize();
    int sx = 0;
    int W = size.cx;
    if (state != kBkNoState) {
        W = m_nSubWidth > 0 ? m_nSubWidth : size.cx;
        sx = StateToIndex(static_cast<unsigned>(state)) * W;
    }
    const int L = m_nLeft, Rw = W - L - 1, H = size.cy;
    if (L < 0 || Rw < 0) return;
    RECT r = rect;
    if (r.right - r.left < W) r.right = r.left + W;
    m_image.DrawPart(dc, r.left, r.top, L, H, sx, 0, L, H);
    m_image.DrawPart(dc, r.right - Rw, r.top, Rw, H, sx + L + 1, 0, Rw, H);
    m_image.DrawPart(dc, r.left + L, r.top, r.right - r.left - L - Rw, H, sx + L, 0, 1, H);
}
