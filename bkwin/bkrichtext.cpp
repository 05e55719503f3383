#include "bkwin/bkrichtext.h"

#include <tinyxml.h>

#include <algorithm>
#include <cctype>

#include "bkres/bkfontpool.h"
#include "bkres/bkvaluesyntax.h"
#include "bkwin/bknotify.h"
#include "bkwin/bkstylepool.h"
#include "platform/text.h"
#include "platform/window.h"

using namespace platform;

namespace {

constexpr uint16_t kFontItalic = 1;
constexpr uint16_t kFontUnderline = 2;
constexpr uint16_t kFontBold = 4;

std::string Lower(const std::string& s) {
    std::string out = s;
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

// Code units taken by the first `positions` characters (a surrogate pair is one character).
std::size_t UnitsOf(const std::u16string& text, int positions) {
    std::size_t i = 0;
    for (int n = 0; n < positions && i < text.size(); ++n) {
        const bool pair = text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                          text[i + 1] <= 0xDFFF;
        i += pair ? 2 : 1;
    }
    return i;
}

// True when a line break between text[at - 1] and text[at] would cut a word of a script that
// spaces its words (Chinese breaks between any two characters).
bool InsideWord(const std::u16string& text, std::size_t at) {
    auto spaced = [](char16_t c) { return c != u' ' && c < 0x2E80; };
    return spaced(text[at - 1]) && spaced(text[at]);
}

// All text inside a node, markup left out.
std::u16string TextOf(const TiXmlNode* node) {
    std::u16string out;
    for (const TiXmlNode* child = node->FirstChild(); child; child = child->NextSibling()) {
        if (const TiXmlText* text = child->ToText()) out += utf8ToUtf16(text->ValueStr());
        else if (child->ToElement()) out += TextOf(child);
    }
    return out;
}

}  // namespace

struct CBkRichText::Cursor {
    int left = 0, right = 0;    // the line limits
    int x = 0, y = 0;
    uint16_t fontCode = 0;
    COLORREF color = CLR_INVALID;
    std::size_t nextLink = 0;   // the link the next `a` lays out
    int lineSpacing = 20, spacing = 0;

    void NewLine() {
        x = left;
        y += lineSpacing;
    }
};

CBkRichText::CBkRichText() = default;
CBkRichText::~CBkRichText() = default;

bool CBkRichText::Load(const TiXmlElement* element) {
    if (!element) return false;
    m_xmlContent.reset(element->Clone());
    m_vecLinks.clear();
    m_bLayouted = false;
    return CBkWindow::Load(element);
}

bool CBkRichText::SetAttribute(const std::string& name, const std::string& value, bool loading) {
    if (CBkWindow::SetAttribute(name, value, loading)) return true;
    if (name == "defaultfont") {
        m_nDefaultFont = static_cast<uint16_t>(BkParseHex(value));
    } else if (name == "linkclass") {
        m_styleLink = BkStylePool::GetStyle(value);
    } else {
        return false;
    }
    return true;
}

void CBkRichText::LayoutText(HDC dc, const std::u16string& text, Cursor& cursor, std::vector<Run>& runs) {
    SelectObject(dc, BkFontPool::GetFont(cursor.fontCode));
    std::u16string rest = text;
    while (!rest.empty()) {
        // A fresh line does not start with the space a line broke at.
        if (cursor.x == cursor.left && rest.front() == u' ' && !runs.empty()) {
            rest.erase(0, std::min(rest.find_first_not_of(u' '), rest.size()));
            continue;
        }
        int fit = 0;
        SIZE whole{0, 0};
        GetTextExtentExPoint(dc, rest, std::max(0, cursor.right - cursor.x), &fit, nullptr, &whole);
        std::size_t units = fit > 0 ? UnitsOf(rest, fit) : 0;
        if (units > 0 && units < rest.size() && InsideWord(rest, units)) {
            // A word of a spaced script breaks at the space before it, or goes to a fresh line.
            const std::size_t space = rest.rfind(u' ', units - 1);
            if (space != std::u16string::npos && space > 0) units = space;
            else if (cursor.x > cursor.left) units = 0;
        }
        if (units == 0) {
            // Nothing fits after what the line holds: go on at a fresh line. On a fresh line an
            // area narrower than one character still takes one, so that the layout ends.
            if (cursor.x > cursor.left) {
                cursor.NewLine();
                continue;
            }
            units = UnitsOf(rest, 1);
        }
        Run run;
        run.text = rest.substr(0, units);
        SIZE size{0, 0};
        GetTextExtentPoint32(dc, run.text, &size);
        run.rect = RECT{cursor.x, cursor.y, cursor.x + size.cx, cursor.y + size.cy};
        run.fontCode = cursor.fontCode;
        run.color = cursor.color;
        runs.push_back(std::move(run));
        rest.erase(0, units);
        if (!rest.empty()) cursor.NewLine();
        else cursor.x += size.cx + cursor.spacing;
    }
}

void CBkRichText::LayoutLink(HDC dc, const std::u16string& text, int id, Cursor& cursor) {
    if (!m_bLayouted) {
        SelectObject(dc, m_styleLink.m_ftText ? m_styleLink.m_ftText : BkFontPool::GetFont(cursor.fontCode));
        SIZE size{0, 0};
        GetTextExtentPoint32(dc, text, &size);
        if (cursor.x + size.cx > cursor.right && cursor.x > cursor.left) cursor.NewLine();
        Link link;
        link.text = text;
        link.rect = RECT{cursor.x, cursor.y, cursor.x + size.cx, cursor.y + size.cy};
        link.id = id;
        m_vecLinks.push_back(std::move(link));
    }
    if (cursor.nextLink < m_vecLinks.size()) {
        const RECT& rc = m_vecLinks[cursor.nextLink].rect;
        cursor.y = rc.top;
        cursor.x = rc.right + cursor.spacing;
    }
    ++cursor.nextLink;
}

void CBkRichText::LayoutNodes(HDC dc, const TiXmlNode* parent, Cursor& cursor, std::vector<Run>& runs) {
    for (const TiXmlNode* node = parent->FirstChild(); node; node = node->NextSibling()) {
        if (const TiXmlText* text = node->ToText()) {
            LayoutText(dc, utf8ToUtf16(text->ValueStr()), cursor, runs);
            continue;
        }
        const TiXmlElement* element = node->ToElement();
        if (!element) continue;
        const std::string tag = Lower(element->ValueStr());
        const uint16_t font = cursor.fontCode;
        const COLORREF color = cursor.color;
        if (tag == "br") {
            cursor.NewLine();
        } else if (tag == "a") {
            int id = 0;
            if (const char* v = element->Attribute("id")) id = BkParseInt(v);
            LayoutLink(dc, TextOf(element), id, cursor);
        } else {
            if (tag == "b") cursor.fontCode |= kFontBold;
            else if (tag == "i") cursor.fontCode |= kFontItalic;
            else if (tag == "u") cursor.fontCode |= kFontUnderline;
            else if (tag == "c") {
                if (const char* v = element->Attribute("color")) {
                    const COLORREF c = BkParseColor(v);
                    if (c != CLR_INVALID) cursor.color = c;
                }
            }
            // Unknown tags pass their content through as running text.
            LayoutNodes(dc, element, cursor, runs);
            cursor.fontCode = font;
            cursor.color = color;
        }
    }
}

std::vector<CBkRichText::Run> CBkRichText::LayoutRuns(HDC dc) {
    std::vector<Run> runs;
    if (!m_xmlContent) return runs;
    Cursor cursor;
    cursor.left = m_rcWindow.left + m_style.m_nMarginX;
    cursor.right = m_rcWindow.right - m_style.m_nMarginX;
    cursor.x = cursor.left;
    cursor.y = m_rcWindow.top + m_style.m_nMarginY;
    cursor.fontCode = m_nDefaultFont;
    cursor.color = GetTextColor(dc);
    cursor.lineSpacing = m_style.m_nLineSpacing;
    cursor.spacing = m_style.m_nSpacing;
    const HFONT oldFont = GetCurrentFont(dc);
    if (!m_bLayouted) m_vecLinks.clear();
    LayoutNodes(dc, m_xmlContent.get(), cursor, runs);
    m_bLayouted = true;
    if (m_nHoverLink >= static_cast<int>(m_vecLinks.size())) m_nHoverLink = -1;
    if (m_nPushedLink >= static_cast<int>(m_vecLinks.size())) m_nPushedLink = -1;
    SelectObject(dc, oldFont);
    return runs;
}

void CBkRichText::OnPaint(HDC dc) {
    DrawState saved;
    BeginDraw(dc, saved);
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColor = GetTextColor(dc);
    const HFONT oldFont = GetCurrentFont(dc);
    HRGN oldClip = CreateRectRgn(0, 0, 0, 0);
    const bool hadClip = GetClipRgn(dc, oldClip) == 1;
    IntersectClipRect(dc, m_rcWindow.left, m_rcWindow.top, m_rcWindow.right, m_rcWindow.bottom);

    for (const Run& run : LayoutRuns(dc)) {
        SelectObject(dc, BkFontPool::GetFont(run.fontCode));
        SetTextColor(dc, run.color != CLR_INVALID ? run.color : oldColor);
        TextOut(dc, run.rect.left, run.rect.top, run.text);
    }

    const bool disabled = IsDisabled(true);
    for (int i = 0; i < static_cast<int>(m_vecLinks.size()); ++i) {
        const Link& link = m_vecLinks[i];
        const bool hover = i == m_nHoverLink && !disabled;
        HFONT font = m_styleLink.m_ftText;
        COLORREF color = m_styleLink.m_crText;
        if (disabled) {
            color = m_styleLink.m_crDisabledText;
        } else if (hover) {
            if (m_styleLink.m_ftHover) font = m_styleLink.m_ftHover;
            if (m_styleLink.m_crHoverText != CLR_INVALID) color = m_styleLink.m_crHoverText;
        }
        SelectObject(dc, font ? font : BkFontPool::GetFont(m_nDefaultFont));
        SetTextColor(dc, color != CLR_INVALID ? color : oldColor);
        TextOut(dc, link.rect.left, link.rect.top, link.text);
    }

    SelectClipRgn(dc, hadClip ? oldClip : nullptr);
    DeleteObject(oldClip);
    SelectObject(dc, oldFont);
    SetTextColor(dc, oldColor);
    SetBkMode(dc, oldMode);
    EndDraw(dc, saved);
}

void CBkRichText::OnWindowPosChanged(const BkWindowPos& pos) {
    CBkWindow::OnWindowPosChanged(pos);
    m_vecLinks.clear();
    m_nHoverLink = -1;
    m_nPushedLink = -1;
    m_bLayouted = false;
}

int CBkRichText::LinkFromPoint(POINT pt) const {
    for (int i = 0; i < static_cast<int>(m_vecLinks.size()); ++i) {
        if (PtInRect(&m_vecLinks[i].rect, pt)) return i;
    }
    return -1;
}

void CBkRichText::SetHoverLink(int index) {
    if (index == m_nHoverLink) return;
    if (m_nHoverLink >= 0) NotifyInvalidateRect(m_vecLinks[m_nHoverLink].rect);
    m_nHoverLink = index;
    if (index >= 0) NotifyInvalidateRect(m_vecLinks[index].rect);
}

void CBkRichText::SendLinkClick(int index) {
    HWND parent = m_hWndContainer ? platform::GetParent(m_hWndContainer) : nullptr;
    if (!parent) return;
    BKNMCOMMAND nm;
    nm.hdr.hwndFrom = m_hWndContainer;
    nm.hdr.idFrom = IDC_RICHVIEW_WIN;
    nm.hdr.code = BKNM_COMMAND;
    nm.uItemID = m_vecLinks[index].id;
    nm.szItemClass = GetObjectClass();
    SendMessage(parent, WM_NOTIFY, IDC_RICHVIEW_WIN, reinterpret_cast<LPARAM>(&nm));
}

void CBkRichText::SetCursor() {
    const BkStyle& style = m_nHoverLink >= 0 ? m_styleLink : m_style;
    platform::SetCursor(LoadCursor(style.m_nCursor == BkStyle::CursorHand ? IDC_HAND : IDC_ARROW));
}

bool CBkRichText::ProcessMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    const POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (msg) {
    case WM_MOUSEMOVE:
        SetHoverLink(LinkFromPoint(pt));
        break;
    case WM_MOUSELEAVE:
        SetHoverLink(-1);
        break;
    case WM_LBUTTONDOWN:
        m_nPushedLink = m_nHoverLink;
        break;
    case WM_LBUTTONUP: {
        const int pushed = m_nPushedLink;
        m_nPushedLink = -1;
        if (pushed >= 0 && pushed == LinkFromPoint(pt)) SendLinkClick(pushed);
        break;
    }
    default:
        return CBkWindow::ProcessMessage(msg, wParam, lParam, result);
    }
    result = 0;
    return true;
}
