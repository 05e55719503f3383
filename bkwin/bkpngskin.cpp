#include "bkwin/bkpngskin.h"

#include <algorithm>

#include "bkres/bkvaluesyntax.h"

bool CBkPngSkin::Load(const TiXmlElement* element) {
    CBkSkinBase::Load(element);
    if (m_nSrc != 0) m_image = BkPngPool::GetImage(m_nSrc);
    return true;
}

bool CBkPngSkin::SetAttribute(const std::string& name, const std::string& value, bool loading) {
    if (CBkSkinBase::SetAttribute(name, value, loading)) return true;
    if (name == "src") m_nSrc = static_cast<unsigned>(std::max(0, BkParseInt(value)));
    else if (name == "subwidth") m_nSubImageWidth = std::max(0, BkParseInt(value));
    else return false;
    return true;
}

SIZE CBkPngSkin::GetSkinSize() const {
    if (!m_image) return SIZE{0, 0};
    return SIZE{m_nSubImageWidth > 0 ? m_nSubImageWidth : GetImageWidth(m_image), GetImageHeight(m_image)};
}

void CBkPngSkin::Draw(HDC dc, const RECT& rect, int state) {
    if (!m_image) return;
    if (m_nSubImageWidth == 0 || state == kBkNoState) {
        DrawImage(dc, m_image, rect.left, rect.top, 0, 0, GetImageWidth(m_image), GetImageHeight(m_image));
        return;
    }
    if (state < 0 || (state + 1) * m_nSubImageWidth > GetImageWidth(m_image)) return;  // no such state image
    DrawImage(dc, m_image, rect.left, rect.top, state * m_nSubImageWidth, 0, m_nSubImageWidth, GetImageHeight(m_image));
}
