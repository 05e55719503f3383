// Rich text (`richtext`): running text with markup, laid out at paint time inside the element
// rectangle shrunk by its margins. `b`, `i`, `u` add bold, italic, underline to the running font
// (font code `defaultfont`); `c color=RRGGBB` colours its content; `br` starts a new line;
// `a id=N` is a link drawn in the link style (`linkclass`) whose click sends code 1 with N.
// Text wraps at the last character that fits, words of spaced scripts (English) at a space.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "bkwin/bkstyle.h"
#include "bkwin/bkwnd.h"

class TiXmlNode;

class CBkRichText : public CBkWindow {
public:
    // One piece of running text placed on one line.
    struct Run {
        std::u16string text;
        platform::RECT rect;          // where it is drawn: (x, y) and its measured size
        uint16_t fontCode = 0;
        platform::COLORREF color = platform::CLR_INVALID;  // none: the colour the DC has
    };
    struct Link {
        std::u16string text;
        platform::RECT rect;
        int id = 0;
    };

    CBkRichText();
    ~CBkRichText() override;

    const char* GetObjectClass() const override { return "richtext"; }
    bool Load(const TiXmlElement* element) override;
    bool SetAttribute(const std::string& name, const std::string& value, bool loading) override;
    bool ProcessMessage(platform::UINT msg, platform::WPARAM wParam, platform::LPARAM lParam,
                        platform::LRESULT& result) override;
    void SetCursor() override;

    // Lays the content out with `dc`'s current text colour as the running colour: the runs of
    // text in drawing order; records the links when they are not laid out yet.
    std::vector<Run> LayoutRuns(platform::HDC dc);
    const std::vector<Link>& GetLinks() const { return m_vecLinks; }
    int GetHoverLink() const { return m_nHoverLink; }
    int GetPushedLink() const { return m_nPushedLink; }

protected:
    void OnPaint(platform::HDC dc) override;
    void OnWindowPosChanged(const BkWindowPos& pos) override;

private:
    struct Cursor;
    void LayoutNodes(platform::HDC dc, const TiXmlNode* parent, Cursor& cursor, std::vector<Run>& runs);
    void LayoutText(platform::HDC dc, const std::u16string& text, Cursor& cursor, std::vector<Run>& runs);
    void LayoutLink(platform::HDC dc, const std::u16string& text, int id, Cursor& cursor);
    int LinkFromPoint(platform::POINT pt) const;
    void SetHoverLink(int index);
    void SendLinkClick(int index);

    std::unique_ptr<TiXmlNode> m_xmlContent;
    uint16_t m_nDefaultFont = 0;   // defaultfont
    BkStyle m_styleLink;           // linkclass
    std::vector<Link> m_vecLinks;
    int m_nHoverLink = -1;
    int m_nPushedLink = -1;
    bool m_bLayouted = false;
};
