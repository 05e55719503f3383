#include "bkwin/bkprogress.h"

#include <algorithm>
#include <cstdio>

#include "bkres/bkvaluesyntax.h"
#include "bkwin/bkskinpool.h"

using namespace platform;

namespace {

constexpr COLORREF kOutline = RGB(0x70, 0x70, 0x70);
constexpr COLORREF kBar = RGB(0x42, 0x61, 0x90);

CBkSkinBase* SkinNamed(const std::string& name) { return name.empty() ? nullptr : BkSkinPool::GetSkin(name); }

void RoundOutline(HDC dc, const RECT& rc, COLORREF outline, HBRUSH fill) {
    HPEN pen = CreatePen(PS_SOLID, 1, outline);
    HPEN oldPen = SelectObject(dc, pen);
    HBRUSH oldBrush = SelectObject(dc, fill);
    RoundRect(dc, rc.left, rc.top, rc.right, rc.bottom, 2, 2);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
}

}  // namespace

bool CBkProgress::SetAttribute(const std::string& name, const std::string& value, bool loading) {
    if (CBkWindow::SetAttribute(name, value, loading)) return true;
    if (name == "min") m_nMin = BkParseInt(value);
    else if (name == "max") m_nMax = BkParseInt(value);
    else if (name == "value") m_nValue = BkParseInt(value);
    else if (name == "showpercent") m_bShowPercent = BkParseInt(value);
    else if (name == "bgskin") m_strBgSkin = value;
    else if (name == "posskin") m_strPosSkin = value;
    else return false;
    if (!loading) NotifyInvalidate();
    return true;
}

void CBkProgress::SetValue(int value) {
    m_nValue = value;
    NotifyInvalidate();
}

double CBkProgress::GetFraction() const {
    const long long lo = std::min(m_nMin, m_nMax), hi = std::max(m_nMin, m_nMax);
    if (hi == lo) return 0.0;
    const long long v = std::clamp<long long>(m_nValue, lo, hi);
    return static_cast<double>(v - lo) / static_cast<double>(hi - lo);
}

std::u16string CBkProgress::GetPercentText() const {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%d%%", static_cast<int>(GetFraction() * 100.0));
    return std::u16string(buf, buf + std::char_traits<char>::length(buf));
}

void CBkProgress::OnPaint(HDC dc) {
    const RECT rc = m_rcWindow;
    if (CBkSkinBase* bg = SkinNamed(m_strBgSkin)) bg->Draw(dc, rc, kBkNoState);
    else RoundOutline(dc, rc, kOutline, GetStockBrush(NULL_BRUSH));

    RECT inner = rc;
    InflateRect(&inner, -2, -2);
    const int width = std::max<LONG>(0, RectWidth(inner));
    RECT bar = inner;
    bar.right = inner.left + static_cast<LONG>(width * GetFraction());
    if (CBkSkinBase* pos = SkinNamed(m_strPosSkin)) {
        const int h = pos->GetSkinSize().cy;
        if (h > 0) {
            bar.top = rc.top + (RectHeight(rc) - h) / 2;
            bar.bottom = bar.top + h;
        }
        if (bar.right > bar.left) pos->Draw(dc, bar, kBkNoState);
    } else if (bar.right > bar.left) {
        HBRUSH fill = CreateSolidBrush(kBar);
        RoundOutline(dc, bar, kBar, fill);
        DeleteObject(fill);
    }

    if (!m_bShowPercent) return;
    const std::u16string text = GetPercentText();
    DrawState saved;
    BeginDraw(dc, saved);
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColor = GetTextColor(dc);
    constexpr UINT kCentred = DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOPREFIX;

    // Outside the bar in the text colour, then over the bar in the background colour.
    HRGN oldClip = CreateRectRgn(0, 0, 0, 0);
    const bool hadClip = GetClipRgn(dc, oldClip) == 1;
    RECT textRect = rc;
    ExcludeClipRect(dc, bar.left, bar.top, bar.right, bar.bottom);
    DrawText(dc, text, &textRect, kCentred);
    SelectClipRgn(dc, hadClip ? oldClip : nullptr);
    if (bar.right > bar.left) {
        IntersectClipRect(dc, bar.left, bar.top, bar.right, bar.bottom);
        SetTextColor(dc, m_style.m_crBg != CLR_INVALID ? m_style.m_crBg : RGB(0xFF, 0xFF, 0xFF));
        textRect = rc;
        DrawText(dc, text, &textRect, kCentred);
        SelectClipRgn(dc, hadClip ? oldClip : nullptr);
    }
    DeleteObject(oldClip);
    SetTextColor(dc, oldColor);
    SetBkMode(dc, oldMode);
    EndDraw(dc, saved);
}

void CBkProgress::OnNcCalcSize(bool calcValidRects, SIZE& size) {
    CBkWindow::OnNcCalcSize(calcValidRects, size);
    if (CBkSkinBase* bg = SkinNamed(m_strBgSkin)) {
        const LONG h = bg->GetSkinSize().cy;
        if (h > 0) size.cy = h;
    }
}
