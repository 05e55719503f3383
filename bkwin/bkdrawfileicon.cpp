#include "bkwin/bkdrawfileicon.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

#include "bkres/bkvaluesyntax.h"

using namespace platform;

namespace {

constexpr std::size_t kMaxIconFileBytes = 4u << 20;

}  // namespace

CBkDrawFileIcon::~CBkDrawFileIcon() { ReleaseFileIcon(); }

bool CBkDrawFileIcon::SetAttribute(const std::string& name, const std::string& value, bool loading) {
    if (CBkWindow::SetAttribute(name, value, loading)) return true;
    if (name == "srcfile") {
        m_strSrcFile = value;
    } else if (name == "issmall") {
        m_bSmall = BkParseInt(value);
    } else if (name == "iconhandle") {
        if (!loading) {
            const unsigned long long number = std::strtoull(value.c_str(), nullptr, 0);
            SetIcon(reinterpret_cast<HICON>(static_cast<uintptr_t>(number)));
        }
    } else {
        return false;
    }
    return true;
}

void CBkDrawFileIcon::SetIcon(HICON icon) {
    m_hGivenIcon = icon;
    NotifyInvalidate();
}

void CBkDrawFileIcon::ReleaseFileIcon() {
    if (m_hFileIcon) DestroyIcon(m_hFileIcon);
    m_hFileIcon = nullptr;
    m_strLoadedFile.clear();
}

HICON CBkDrawFileIcon::GetIcon() {
    if (m_hGivenIcon) return m_hGivenIcon;
    if (m_strSrcFile.empty()) return nullptr;
    if (m_strSrcFile == m_strLoadedFile) return m_hFileIcon;
    ReleaseFileIcon();
    m_strLoadedFile = m_strSrcFile;
    std::ifstream in(m_strSrcFile, std::ios::binary);
    if (!in) return nullptr;
    std::vector<uint8_t> bytes;
    char buffer[65536];
    while (in && bytes.size() <= kMaxIconFileBytes) {
        in.read(buffer, sizeof buffer);
        bytes.insert(bytes.end(), buffer, buffer + in.gcount());
    }
    if (bytes.size() > kMaxIconFileBytes) return nullptr;
    m_hFileIcon = CreateIconFromPng(bytes.data(), bytes.size());
    return m_hFileIcon;
}

void CBkDrawFileIcon::OnPaint(HDC dc) {
    HICON icon = GetIcon();
    if (!icon || IsRectEmpty(&m_rcWindow)) return;
    DrawIconEx(dc, m_rcWindow.left, m_rcWindow.top, icon, RectWidth(m_rcWindow), RectHeight(m_rcWindow));
}

void CBkDrawFileIcon::OnNcCalcSize(bool calcValidRects, SIZE& size) {
    if (m_dlgpos.count == 4) return CBkWindow::OnNcCalcSize(calcValidRects, size);
    const LONG side = m_bSmall ? 16 : 32;
    size = SIZE{side, side};
}

void CBkDrawFileIcon::OnDestroy() { ReleaseFileIcon(); }
