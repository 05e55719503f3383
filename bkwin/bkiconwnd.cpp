#include "bkwin/bkiconwnd.h"

#include "bkres/bkiconpool.h"
#include "bkres/bkvaluesyntax.h"

using namespace platform;

CBkIconWnd::~CBkIconWnd() { ReleaseIcon(); }

bool CBkIconWnd::Load(const TiXmlElement* element) {
    const bool ok = CBkWindow::Load(element);
    LoadIconNow();
    return ok;
}

bool CBkIconWnd::SetAttribute(const std::string& name, const std::string& value, bool loading) {
    if (CBkWindow::SetAttribute(name, value, loading)) return true;
    if (name == "src") {
        m_nSrc = BkParseInt(value);
    } else if (name == "oem") {
        m_bOem = BkParseInt(value);
    } else if (name == "size") {
        m_nSize = BkParseInt(value);
    } else {
        return false;
    }
    return true;
}

void CBkIconWnd::ReleaseIcon() {
    if (m_hIcon && m_bOwnIcon) DestroyIcon(m_hIcon);
    m_hIcon = nullptr;
    m_bOwnIcon = false;
}

void CBkIconWnd::LoadIconNow() {
    ReleaseIcon();
    m_nLoadedSrc = m_nSrc;
    if (m_nSrc < 0) return;
    // A size the icon cannot have is drawn at the default 16 pixels rather than not at all.
    const int size = m_nSize > 0 && m_nSize <= 256 ? m_nSize : 16;
    if (m_bOem) {
        m_hIcon = LoadSystemIcon(m_nSrc, size);
        m_bOwnIcon = m_hIcon != nullptr;
    } else {
        m_hIcon = BkIconPool::GetIcon(static_cast<unsigned>(m_nSrc), size);
    }
}

void CBkIconWnd::OnPaint(HDC dc) {
    if (m_nLoadedSrc != m_nSrc) LoadIconNow();
    if (!m_hIcon || IsRectEmpty(&m_rcWindow)) return;
    DrawIconEx(dc, m_rcWindow.left, m_rcWindow.top, m_hIcon, RectWidth(m_rcWindow), RectHeight(m_rcWindow));
}

void CBkIconWnd::OnNcCalcSize(bool calcValidRects, SIZE& size) {
    // A four-item position gives the rectangle the icon is stretched to.
    if (m_dlgpos.count == 4) return CBkWindow::OnNcCalcSize(calcValidRects, size);
    size = SIZE{m_nSize, m_nSize};
}

void CBkIconWnd::OnDestroy() { ReleaseIcon(); }
