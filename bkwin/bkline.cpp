#include "bkwin/bkline.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "bkres/bkvaluesyntax.h"

using namespace platform;

namespace {

// Style names in the order of the pen styles they stand for.
constexpr std::array<std::string_view, 5> kPenStyleNames = {"solid", "dash", "dot", "dashdot", "dashdotdot"};

}  // namespace

bool CBkLine::SetAttribute(const std::string& name, const std::string& value, bool loading) {
    if (CBkWindow::SetAttribute(name, value, loading)) return true;
    if (name == "size") {
        m_nLineSize = BkParseInt(value);
    } else if (name == "style") {
        // An unknown name keeps the style it had.
        for (std::size_t i = 0; i < kPenStyleNames.size(); ++i) {
            if (value == kPenStyleNames[i]) m_nPenStyle = static_cast<int>(i);
        }
    } else {
        return false;
    }
    return true;
}

bool CBkLine::RedrawRegion(HDC dc, HRGN region) {
    if (region) {
        const int pen = std::max(1, m_nLineSize);
        RECT box{std::min(m_rcWindow.left, m_rcWindow.right), std::min(m_rcWindow.top, m_rcWindow.bottom),
                 std::max(m_rcWindow.left, m_rcWindow.right), std::max(m_rcWindow.top, m_rcWindow.bottom)};
        InflateRect(&box, pen, pen);
        if (!RectInRegion(region, &box)) return false;
    }
    return CBkWindow::RedrawRegion(dc, nullptr);
}

void CBkLine::OnPaint(HDC dc) {
    HPEN pen = CreatePen(m_nPenStyle, m_nLineSize, m_style.m_crBg);
    HPEN old = SelectObject(dc, pen);
    MoveToEx(dc, m_rcWindow.left, m_rcWindow.top, nullptr);
    LineTo(dc, m_rcWindow.right, m_rcWindow.bottom);
    SelectObject(dc, old);
    DeleteObject(pen);
}
