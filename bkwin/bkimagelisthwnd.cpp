#include "bkwin/bkimagelisthwnd.h"

#include <algorithm>

#include "bkres/bkvaluesyntax.h"
#include "bkwin/bkskinpool.h"

using namespace platform;

namespace {

// "a=1, b=2;c=3" as key/value pairs; items without "=" are skipped.
std::map<std::string, std::string> ParsePairs(const std::string& text) {
    std::map<std::string, std::string> out;
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t end = text.find_first_of(",; \t\r\n", i);
        const std::string item = text.substr(i, end == std::string::npos ? std::string::npos : end - i);
        const std::size_t eq = item.find('=');
        if (eq != std::string::npos && eq > 0) out[item.substr(0, eq)] = item.substr(eq + 1);
        if (end == std::string::npos) break;
        i = end + 1;
    }
    return out;
}

}  // namespace

bool CBkImageListHWnd::SetAttribute(const std::string& name, const std::string& value, bool loading) {
    if (CBkWindow::SetAttribute(name, value, loading)) return true;
    if (name == "imagecount") {
        // Bounded so that a wild count cannot make painting loop for ever.
        m_nImageCount = std::clamp(BkParseInt(value), 0, 1024);
    } else if (name == "skin") {
        m_strSkin = value;
    } else if (name == "sub") {
        m_nSub = BkParseInt(value);
    } else if (name == "skinlist") {
        m_mapSkin = ParsePairs(value);
    } else if (name == "sublist") {
        m_mapSub.clear();
        for (const auto& [key, number] : ParsePairs(value)) m_mapSub[key] = BkParseInt(number);
    } else {
        return false;
    }
    return true;
}

std::string CBkImageListHWnd::GetSkinName(int index) const {
    auto it = m_mapSkin.find("skin" + std::to_string(index));
    return it != m_mapSkin.end() ? it->second : m_strSkin;
}

int CBkImageListHWnd::GetSubImage(int index) const {
    auto it = m_mapSub.find("sub" + std::to_string(index));
    return it != m_mapSub.end() ? it->second : m_nSub;
}

void CBkImageListHWnd::OnPaint(HDC dc) {
    int x = m_rcWindow.left;
    for (int i = 0; i < m_nImageCount && x < m_rcWindow.right; ++i) {
        const std::string name = GetSkinName(i);
        CBkSkinBase* skin = name.empty() ? nullptr : BkSkinPool::GetSkin(name);
        if (!skin) continue;
        const SIZE s = skin->GetSkinSize();
        skin->Draw(dc, RECT{x, m_rcWindow.top, x + s.cx, m_rcWindow.top + s.cy}, GetSubImage(i));
        x += s.cx;
    }
}

void CBkImageListHWnd::OnNcCalcSize(bool calcValidRects, SIZE& size) {
    CBkWindow::OnNcCalcSize(calcValidRects, size);
    if (m_dlgpos.count == 4) return;
    LONG width = 0, height = 0;
    for (int i = 0; i < m_nImageCount; ++i) {
        const std::string name = GetSkinName(i);
        CBkSkinBase* skin = name.empty() ? nullptr : BkSkinPool::GetSkin(name);
        if (!skin) continue;
        const SIZE s = skin->GetSkinSize();
        width += s.cx;
        height = std::max(height, s.cy);
    }
    if (width > 0) size = SIZE{width, height};
}
