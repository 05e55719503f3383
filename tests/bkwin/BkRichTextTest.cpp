// Rich text: markup to runs (fonts, colours restored), wrapping at the character, progress in
// an area narrower than one character, links with hover and the code-1 click.
#include "BkControlFixture.h"
#include "bkwin/bkrichtext.h"

namespace {

class BkRichTextTest : public BkControlTest {
protected:
    CBkRichText& Rich(const std::string& attributes, const std::string& content, int width = 400, int height = 200) {
        Root("<richtext id=5 pos=\"0,0,-0,-0\" " + attributes + ">" + content + "</richtext>", width, height);
        return Item<CBkRichText>(5);
    }
    static SIZE Extent(const std::u16string& text, uint16_t fontCode) {
        HDC dc = CreateCompatibleDC(nullptr);
        HFONT old = SelectObject(dc, BkFontPool::GetFont(fontCode));
        SIZE size{0, 0};
        GetTextExtentPoint32(dc, text, &size);
        SelectObject(dc, old);
        DeleteDC(dc);
        return size;
    }
};

TEST_F(BkRichTextTest, BoldDarkRedThenTheColourIsRestored) {
    auto& rich = Rich("class=richtext crtext=000000", "ab<b><c color=800000>CDE</c></b>fg<I>h</I>");
    BkTestCanvas canvas(400, 200);
    HDC dc = canvas.dc();
    SetTextColor(dc, RGB(0, 0, 0));
    const auto runs = rich.LayoutRuns(dc);
    ASSERT_EQ(runs.size(), 4u);
    EXPECT_EQ(runs[0].text, u"ab");
    EXPECT_EQ(runs[0].fontCode, 0);
    EXPECT_EQ(runs[1].text, u"CDE");
    EXPECT_EQ(runs[1].fontCode, 4);
    EXPECT_EQ(runs[1].color, RGB(0x80, 0, 0));
    EXPECT_EQ(runs[2].text, u"fg");
    EXPECT_EQ(runs[2].fontCode, 0) << "bold ends with its element";
    EXPECT_EQ(runs[2].color, RGB(0, 0, 0)) << "the colour before the c element comes back";
    EXPECT_EQ(runs[3].fontCode, 1) << "tags are read without regard to case";
    // Runs follow each other with the style's spacing (5).
    EXPECT_EQ(runs[1].rect.left, runs[0].rect.right + 5);
    EXPECT_EQ(RectWidth(runs[1].rect), Extent(u"CDE", 4).cx);

    Paint(canvas);
    EXPECT_GT(CountColor(canvas, runs[1].rect, RGB(0x80, 0, 0)), 5) << "dark red glyphs";
    EXPECT_EQ(CountColor(canvas, runs[2].rect, RGB(0x80, 0, 0)), 0);
    EXPECT_GT(CountNear(canvas, runs[2].rect, RGB(0, 0, 0), 90), 3) << "black glyphs after it";
    EXPECT_EQ(CountNear(canvas, runs[2].rect, RGB(0x80, 0, 0), 40), 0);
}

TEST_F(BkRichTextTest, WrapsChineseAtTheLastCharacterThatFitsAndWordsAtASpace) {
    BkTestCanvas canvas(400, 200);
    const int chineseWidth = Extent(u"一二三四", 0).cx + 1;
    const auto chinese = Rich("class=richtext", "一二三四五六七八", chineseWidth, 200).LayoutRuns(canvas.dc());
    ASSERT_EQ(chinese.size(), 2u);
    EXPECT_EQ(chinese[0].text, u"一二三四");

    const int width = Extent(u"abcdefgh ijk", 0).cx + 1;
    auto& rich = Rich("class=richtext", "abcdefgh ijklmnop qrstuvwx", width, 200);
    const auto runs = rich.LayoutRuns(canvas.dc());
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(runs[0].text, u"abcdefgh") << "broken at the space, not inside a word";
    EXPECT_EQ(runs[1].text, u"ijklmnop") << "the line does not start with the space it broke at";
    EXPECT_EQ(runs[1].rect.left, 0);
    EXPECT_EQ(runs[1].rect.top, 20) << "the style's line spacing";
    for (const auto& r : runs) EXPECT_LE(r.rect.right, width);

    // A br starts a new line at the left limit.
    auto& broken = Rich("class=client", "one<br/>two", 300, 100);
    const auto two = broken.LayoutRuns(canvas.dc());
    ASSERT_EQ(two.size(), 2u);
    EXPECT_EQ(two[0].rect.left, 10) << "inside the margin";
    EXPECT_EQ(two[1].rect.left, 10);
    EXPECT_EQ(two[1].rect.top, 30);
}

TEST_F(BkRichTextTest, AnAreaNarrowerThanACharacterStillEnds) {
    auto& rich = Rich("class=richtext", "wide text", 2, 400);
    BkTestCanvas canvas(400, 400);
    const auto runs = rich.LayoutRuns(canvas.dc());
    ASSERT_EQ(runs.size(), 8u) << "one character per line, none for the space broken at";
    for (std::size_t i = 0; i < runs.size(); ++i) EXPECT_EQ(runs[i].rect.top, static_cast<LONG>(20 * i));
    Paint(canvas);
}

TEST_F(BkRichTextTest, LinkHoverAndClickSendCodeOneToTheHostsParent) {
    MakeWindows();
    auto& rich = Rich("class=richtext linkclass=linktext", "see <a id=77>this link</a> now", 400, 100);
    BkTestCanvas canvas(400, 100);
    Paint(canvas);
    ASSERT_EQ(rich.GetLinks().size(), 1u);
    const RECT link = rich.GetLinks()[0].rect;
    EXPECT_EQ(RectWidth(link), Extent(u"this link", 2).cx) << "measured with the link style's font";
    EXPECT_GT(CountColor(canvas, link, RGB(0x30, 0x64, 0xA5)), 5) << "drawn in the link colour";

    const LPARAM on = Point(link.left + 2, link.top + 2);
    m_invalidated.clear();
    rich.BkSendMessage(WM_MOUSEMOVE, 0, on);
    EXPECT_EQ(rich.GetHoverLink(), 0);
    ASSERT_FALSE(m_invalidated.empty());
    EXPECT_EQ(m_invalidated.back(), link);

    BkTestCanvas hovered(400, 100);
    Paint(hovered);
    EXPECT_GT(CountColor(hovered, link, RGB(0xFF, 0, 0)), 5) << "the hover colour";

    // Released elsewhere: nothing.
    rich.BkSendMessage(WM_LBUTTONDOWN, 0, on);
    rich.BkSendMessage(WM_LBUTTONUP, 0, Point(link.right + 30, link.top + 2));
    EXPECT_TRUE(Seen(BKNM_COMMAND).empty());

    rich.BkSendMessage(WM_LBUTTONDOWN, 0, on);
    rich.BkSendMessage(WM_LBUTTONUP, 0, on);
    ASSERT_EQ(Seen(BKNM_COMMAND).size(), 1u);
    const BkSeenNotify click = Seen(BKNM_COMMAND)[0];
    EXPECT_EQ(click.window, m_parent);
    EXPECT_EQ(click.itemId, 77);
    EXPECT_EQ(click.itemClass, "richtext");

    rich.BkSendMessage(WM_MOUSELEAVE);
    EXPECT_EQ(rich.GetHoverLink(), -1);
}

TEST_F(BkRichTextTest, ALinkThatDoesNotFitMovesToTheNextLineWhole) {
    const int width = Extent(u"abc", 0).cx + 5 + Extent(u"linkxx", 2).cx / 2;
    auto& rich = Rich("class=richtext linkclass=linktext", "abc<a id=1>linkxx</a>", width, 100);
    BkTestCanvas canvas(400, 100);
    rich.LayoutRuns(canvas.dc());
    ASSERT_EQ(rich.GetLinks().size(), 1u);
    EXPECT_EQ(rich.GetLinks()[0].rect.left, 0);
    EXPECT_EQ(rich.GetLinks()[0].rect.top, 20);
    EXPECT_EQ(rich.GetLinks()[0].text, u"linkxx");
    // Moving the element lays the links out again.
    BkWindowPos pos{10, 10, width, 100};
    rich.BkSendMessage(WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
    EXPECT_TRUE(rich.GetLinks().empty());
    rich.LayoutRuns(canvas.dc());
    ASSERT_EQ(rich.GetLinks().size(), 1u);
    EXPECT_EQ(rich.GetLinks()[0].rect.left, 10);
}

}  // namespace
