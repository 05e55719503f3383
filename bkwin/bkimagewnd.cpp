#include "bkwin/bkimagewnd.h"

#include "bkres/bkvaluesyntax.h"
#include "bkwin/bkskinpool.h"

using namespace platform;

bool CBkImageWnd::SetAttribute(const std::string& name, const std::string& value, bool loading) {
    if (CBkWindow::SetAttribute(name, value, loading)) return true;
    if (name == "skin") {
        m_strSkinName = value;
    } else if (name == "sub") {
        m_nSubImageID = BkParseInt(value);
    } else {
        return false;
    }
    return true;
}

CBkSkinBase* CBkImageWnd::GetSkin() const {
    return m_strSkinName.empty() ? nullptr : BkSkinPool::GetSkin(m_strSkinName);
}

void CBkImageWnd::OnPaint(HDC dc) {
    if (CBkSkinBase* skin = GetSkin()) skin->Draw(dc, m_rcWindow, m_nSubImageID);
}

void CBkImageWnd::OnNcCalcSize(bool calcValidRects, SIZE& size) {
    CBkWindow::OnNcCalcSize(calcValidRects, size);
    if (CBkSkinBase* skin = GetSkin()) {
        const SIZE image = skin->GetSkinSize();
        if (image.cx) size.cx = image.cx;
        if (image.cy) size.cy = image.cy;
    }
}
