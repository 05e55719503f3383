#include <gtest/gtest.h>

#include <chrono>

#include "Canvas.h"
#include "platform/font.h"
#include "platform/gdi.h"

namespace platform {
namespace {

using testing::Canvas;

constexpr COLORREF kWhite = RGB(255, 255, 255);

DWORD GetTickCountForTest() {
    return static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                  std::chrono::steady_clock::now().time_since_epoch())
                                  .count());
}

class DrawTextTest : public ::testing::Test {
protected:
    void SetUp() override {
        LOGFONTW lf;
        lf.lfHeight = -12;
        SetFaceName(lf, u"Tahoma");
        font_ = CreateFontIndirect(&lf);
        ASSERT_NE(font_, nullptr);
    }
    void TearDown() override { DeleteObject(font_); }

    // A canvas with the test font selected, transparent background.
    struct Page {
        Page(HFONT font, int w, int h) : canvas(w, h) {
            old = SelectObject(canvas.dc(), font);
            SetBkMode(canvas.dc(), TRANSPARENT);
        }
        ~Page() { SelectObject(canvas.dc(), old); }
        Canvas canvas;
        HFONT old;
        HDC dc() const { return canvas.dc(); }
    };

    int lineHeight(HDC dc) {
        TEXTMETRIC tm;
        GetTextMetrics(dc, &tm);
        return tm.tmHeight;
    }
    int width(HDC dc, std::u16string_view s) {
        SIZE sz;
        GetTextExtentPoint32(dc, s, &sz);
        return sz.cx;
    }

    HFONT font_ = nullptr;
};

TEST_F(DrawTextTest, CalcRectMeasuresOneLine) {
    Page p(font_, 200, 50);
    RECT r{10, 5, 10, 5};
    const int h = DrawText(p.dc(), u"Hello world", &r, DT_SINGLELINE | DT_CALCRECT);
    EXPECT_EQ(h, lineHeight(p.dc()));
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.top, 5);
    EXPECT_EQ(RectWidth(r), width(p.dc(), u"Hello world"));
    EXPECT_EQ(RectHeight(r), lineHeight(p.dc()));
    RECT all{0, 0, 200, 50};
    EXPECT_EQ(p.canvas.countNot(all, kWhite), 0);  // measuring draws nothing
}

TEST_F(DrawTextTest, WordBreakWrapsAtSpacesAndDropsThem) {
    Page p(font_, 300, 200);
    const int wordWidth = width(p.dc(), u"alpha beta");
    RECT r{0, 0, wordWidth + 2, 0};
    const int h = DrawText(p.dc(), u"alpha beta  alpha beta", &r, DT_WORDBREAK | DT_CALCRECT);
    EXPECT_EQ(h, 2 * lineHeight(p.dc()));
    EXPECT_EQ(RectWidth(r), wordWidth);  // the spaces at the wrap are not counted
    RECT three{0, 0, wordWidth + 2, 0};
    EXPECT_EQ(DrawText(p.dc(), u"alpha beta gamma delta", &three, DT_WORDBREAK | DT_CALCRECT),
              3 * lineHeight(p.dc()));
    // Line breaks in the text count; single line ignores them.
    RECT m{0, 0, 300, 0};
    EXPECT_EQ(DrawText(p.dc(), u"a\r\nb\nc\rd", &m, DT_CALCRECT), 4 * lineHeight(p.dc()));
    RECT s{0, 0, 300, 0};
    EXPECT_EQ(DrawText(p.dc(), u"a\r\nb", &s, DT_CALCRECT | DT_SINGLELINE), lineHeight(p.dc()));
    EXPECT_EQ(RectWidth(s), width(p.dc(), u"ab"));
}

TEST_F(DrawTextTest, LongWordsBreakBetweenCharactersAndNarrowRectsStillProgress) {
    Page p(font_, 300, 300);
    const int w = width(p.dc(), u"abcd");
    RECT r{0, 0, w, 0};
    const int h = DrawText(p.dc(), u"abcdabcdabcd", &r, DT_WORDBREAK | DT_CALCRECT);
    EXPECT_EQ(h, 3 * lineHeight(p.dc()));
    RECT narrow{0, 0, 1, 0};
    EXPECT_EQ(DrawText(p.dc(), u"abc", &narrow, DT_WORDBREAK | DT_CALCRECT), 3 * lineHeight(p.dc()));
}

TEST_F(DrawTextTest, ChineseWrapsBetweenCharacters) {
    Page p(font_, 300, 300);
    const int two = width(p.dc(), u"解码");
    RECT r{0, 0, two + 1, 0};
    EXPECT_EQ(DrawText(p.dc(), u"解码后的相关文本", &r, DT_WORDBREAK | DT_CALCRECT), 4 * lineHeight(p.dc()));
    // Closing punctuation stays with the character before it.
    const int withComma = width(p.dc(), u"文本，");
    RECT q{0, 0, withComma + 1, 0};
    EXPECT_EQ(DrawText(p.dc(), u"文本，文本", &q, DT_WORDBREAK | DT_CALCRECT), 2 * lineHeight(p.dc()));
}

TEST_F(DrawTextTest, AlignmentPlacesTheInk) {
    const std::u16string text = u"MMMM";
    Page left(font_, 200, 40), center(font_, 200, 40), right(font_, 200, 40), bottom(font_, 200, 40);
    RECT r{0, 0, 200, 40};
    DrawText(left.dc(), text, &r, DT_SINGLELINE);
    DrawText(center.dc(), text, &r, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    DrawText(right.dc(), text, &r, DT_SINGLELINE | DT_RIGHT);
    DrawText(bottom.dc(), text, &r, DT_SINGLELINE | DT_BOTTOM);
    const RECT l = left.canvas.inkBox(kWhite), c = center.canvas.inkBox(kWhite), rt = right.canvas.inkBox(kWhite),
               b = bottom.canvas.inkBox(kWhite);
    ASSERT_FALSE(IsRectEmpty(&l));
    EXPECT_LT(l.left, 3);
    EXPECT_GT(rt.right, 196);
    EXPECT_NEAR((c.left + c.right) / 2.0, 100.0, 3.0);
    EXPECT_NEAR((c.top + c.bottom) / 2.0, 20.0, 5.0);
    EXPECT_LT(l.top, 10);
    EXPECT_GT(b.bottom, 30);
    // Vertical centring without single line does nothing (lines start at the top).
    Page multi(font_, 200, 40);
    DrawText(multi.dc(), text, &r, DT_VCENTER);
    EXPECT_EQ(multi.canvas.inkBox(kWhite).top, l.top);
}

TEST_F(DrawTextTest, EndEllipsisFitsTheRectangle) {
    Page p(font_, 300, 30);
    const std::u16string longText = u"The quick brown fox jumps over the lazy dog";
    const int full = width(p.dc(), longText);
    RECT r{0, 0, full / 2, 30};
    DrawText(p.dc(), longText, &r, DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOCLIP);
    const RECT ink = p.canvas.inkBox(kWhite);
    EXPECT_LE(ink.right, full / 2);
    EXPECT_GT(ink.right, full / 4);
    // Without the ellipsis, NOCLIP lets the text run past.
    Page q(font_, 300, 30);
    DrawText(q.dc(), longText, &r, DT_SINGLELINE | DT_NOCLIP);
    EXPECT_GT(q.canvas.inkBox(kWhite).right, full / 2 + 10);
    // Clipped by default.
    Page c(font_, 300, 30);
    DrawText(c.dc(), longText, &r, DT_SINGLELINE);
    EXPECT_LE(c.canvas.inkBox(kWhite).right, full / 2);
}

TEST_F(DrawTextTest, PrefixesUnlessNoPrefix) {
    Page p(font_, 300, 30);
    RECT a{0, 0, 300, 30}, b{0, 0, 300, 30}, c{0, 0, 300, 30};
    DrawText(p.dc(), u"A&&B", &a, DT_SINGLELINE | DT_CALCRECT);
    EXPECT_EQ(RectWidth(a), width(p.dc(), u"A&B"));
    DrawText(p.dc(), u"&Open", &b, DT_SINGLELINE | DT_CALCRECT);
    EXPECT_EQ(RectWidth(b), width(p.dc(), u"Open"));
    DrawText(p.dc(), u"&Open", &c, DT_SINGLELINE | DT_CALCRECT | DT_NOPREFIX);
    EXPECT_EQ(RectWidth(c), width(p.dc(), u"&Open"));
    // The tab title format: tab stops in the second byte, no prefix processing, and with
    // DT_CALCRECT added it still only measures.
    RECT t{0, 0, 300, 30};
    DrawText(p.dc(), u"A&B\tC", &t, 0x88A5 | DT_CALCRECT);
    EXPECT_GT(RectWidth(t), width(p.dc(), u"A&BC"));
    RECT all{0, 0, 300, 30};
    EXPECT_EQ(p.canvas.countNot(all, kWhite), 0);
}

TEST_F(DrawTextTest, EditControlLeavesOutAPartialLastLine) {
    const int lh = [&] {
        Page p(font_, 10, 10);
        return lineHeight(p.dc());
    }();
    Page with(font_, 200, 100), without(font_, 200, 100);
    RECT r{0, 0, 200, lh + lh / 2};
    DrawText(with.dc(), u"first\nsecond", &r, DT_EDITCONTROL);
    DrawText(without.dc(), u"first\nsecond", &r, 0);
    EXPECT_LE(with.canvas.inkBox(kWhite).bottom, lh);
    EXPECT_GT(without.canvas.inkBox(kWhite).bottom, lh);
}

TEST_F(DrawTextTest, OpaqueModeFillsTheCellAndColourIsUsed) {
    Page p(font_, 100, 30);
    SetBkMode(p.dc(), OPAQUE);
    SetBkColor(p.dc(), RGB(0, 0, 255));
    SetTextColor(p.dc(), RGB(255, 0, 0));
    RECT r{0, 0, 100, 30};
    DrawText(p.dc(), u"Hi", &r, DT_SINGLELINE);
    EXPECT_EQ(p.canvas.at(0, 0), RGB(0, 0, 255));
    EXPECT_EQ(p.canvas.at(99, 29), kWhite);
    bool red = false;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) red |= GetRValue(p.canvas.at(x, y)) > 200 && GetBValue(p.canvas.at(x, y)) < 80;
    EXPECT_TRUE(red);
}

TEST_F(DrawTextTest, ExtentExCountsWhatFits) {
    Page p(font_, 10, 10);
    const int ab = width(p.dc(), u"ab");
    int fit = -1;
    std::vector<int> widths;
    SIZE size;
    ASSERT_TRUE(GetTextExtentExPoint(p.dc(), u"abcd", ab, &fit, &widths, &size));
    EXPECT_EQ(fit, 2);
    ASSERT_EQ(widths.size(), 4u);
    EXPECT_EQ(widths[1], ab);
    EXPECT_EQ(widths[3], size.cx);
    ASSERT_TRUE(GetTextExtentExPoint(p.dc(), u"abcd", 0, &fit, nullptr, nullptr));
    EXPECT_EQ(fit, 0);
    // A surrogate pair is never split.
    const std::u16string pair = u"a\U0001F600b";
    ASSERT_TRUE(GetTextExtentExPoint(p.dc(), pair, width(p.dc(), u"a") + 1, &fit, nullptr, nullptr));
    EXPECT_EQ(fit, 1);
}

TEST_F(DrawTextTest, OverlongTextStaysLinear) {
    Page p(font_, 300, 40);
    std::u16string text;
    for (int i = 0; i < 20000; ++i) text += (i % 7 == 6) ? u' ' : u'字';
    const DWORD start = GetTickCountForTest();
    RECT one{0, 0, 300, 40};
    DrawText(p.dc(), text, &one, DT_SINGLELINE | DT_END_ELLIPSIS);
    RECT wrapped{0, 0, 300, 0};
    const int h = DrawText(p.dc(), text, &wrapped, DT_WORDBREAK | DT_CALCRECT);
    EXPECT_GT(h, 100 * lineHeight(p.dc()));
    EXPECT_LE(RectWidth(wrapped), 300);
    EXPECT_LT(GetTickCountForTest() - start, 5000u);
}

TEST(Fonts, FacesMapToInstalledFamilies) {
    EXPECT_EQ(ResolveFontFamily(u"微软雅黑"), u"WenQuanYi Micro Hei");
    EXPECT_EQ(ResolveFontFamily(u"Microsoft YaHei"), u"WenQuanYi Micro Hei");
    EXPECT_EQ(ResolveFontFamily(u"Tahoma"), u"DejaVu Sans");
    LOGFONTW lf;
    GetObject(GetStockFont(DEFAULT_GUI_FONT), &lf);
    EXPECT_EQ(GetFaceName(lf), u"Tahoma");
    EXPECT_EQ(lf.lfHeight, -11);
    EXPECT_TRUE(DeleteObject(GetStockFont(DEFAULT_GUI_FONT)));  // stock: ignored
    EXPECT_NE(GetStockFont(DEFAULT_GUI_FONT), nullptr);
}

TEST(Fonts, HeightWeightAndChineseGlyphs) {
    LOGFONTW lf;
    lf.lfHeight = -12;
    SetFaceName(lf, u"微软雅黑");
    HFONT normal = CreateFontIndirect(&lf);
    lf.lfHeight = -22;
    lf.lfWeight = FW_BOLD;
    HFONT big = CreateFontIndirect(&lf);
    Canvas c(200, 40);
    HFONT old = SelectObject(c.dc(), normal);
    SetBkMode(c.dc(), TRANSPARENT);
    SIZE small, large;
    GetTextExtentPoint32(c.dc(), u"制作解码", &small);
    RECT r{0, 0, 200, 40};
    DrawText(c.dc(), u"制作解码", &r, DT_SINGLELINE);
    const RECT ink = c.inkBox(kWhite);
    // Four ideographs of a 12-pixel font: about 48 pixels wide, and real glyphs, not boxes.
    EXPECT_NEAR(small.cx, 48, 6);
    EXPECT_GT(RectWidth(ink), 36);
    EXPECT_GT(c.countNot(r, kWhite), 80);
    SelectObject(c.dc(), big);
    GetTextExtentPoint32(c.dc(), u"制作解码", &large);
    EXPECT_GT(large.cx, small.cx * 16 / 10);
    EXPECT_FALSE(DeleteObject(big));  // selected
    SelectObject(c.dc(), old);
    EXPECT_TRUE(DeleteObject(big));
    EXPECT_TRUE(DeleteObject(normal));

    // A positive height is the cell height.
    LOGFONTW cell;
    cell.lfHeight = 20;
    SetFaceName(cell, u"Tahoma");
    HFONT f = CreateFontIndirect(&cell);
    Canvas d(10, 10);
    SelectObject(d.dc(), f);
    TEXTMETRIC tm;
    GetTextMetrics(d.dc(), &tm);
    EXPECT_NEAR(tm.tmHeight, 20, 1);
    SelectObject(d.dc(), GetStockFont(DEFAULT_GUI_FONT));
    DeleteObject(f);
}

}  // namespace
}  // namespace platform
