// The skin and style documents in the pools, and how each skin kind draws, checked pixel by
// pixel against the program's own images.
#include <gtest/gtest.h>

#include "BkTestCanvas.h"
#include "bkres/bkresutil.h"
#include "bkwin/bkskinpool.h"
#include "bkwin/bkstylepool.h"
#include "platform/imaging.h"

namespace {

// The PNG strips are drawn smooth (resampled), so their flat areas are flat to a few levels.
void ExpectNear(COLORREF actual, COLORREF expected, int tolerance = 8) {
    EXPECT_NEAR(GetRValue(actual), GetRValue(expected), tolerance) << std::hex << actual;
    EXPECT_NEAR(GetGValue(actual), GetGValue(expected), tolerance) << std::hex << actual;
    EXPECT_NEAR(GetBValue(actual), GetBValue(expected), tolerance) << std::hex << actual;
}

class BkSkinTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(BkSkinPool::Load(100));
        ASSERT_TRUE(BkStylePool::Load(101));
    }
    static CBkSkinBase* Skin(const char* name) {
        CBkSkinBase* skin = BkSkinPool::GetSkin(name);
        EXPECT_NE(skin, nullptr) << name;
        return skin;
    }
    // Pixel (x, y) of bitmap resource `id`, as the skin sees it.
    static COLORREF BitmapPixel(unsigned id, int x, int y) {
        std::string bytes;
        EXPECT_TRUE(BkResUtil::LoadRawResource(id, "bmp", bytes));
        platform::RgbImage image;
        EXPECT_EQ(platform::decodeImageBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), image), "");
        const uint8_t* p = image.pixel(x, y);
        return RGB(p[0], p[1], p[2]);
    }
};

TEST_F(BkSkinTest, SkinDocumentFillsThePool) {
    EXPECT_EQ(BkSkinPool::Count(), 27u);
    EXPECT_EQ(BkSkinPool::GetSkin("anibg"), nullptr);  // named by a style, defined nowhere
    EXPECT_EQ(BkSkinPool::GetSkin("tabmainsplitter"), nullptr);
    struct Expect { const char* name; const char* tag; SIZE size; bool ignoreState; };
    const Expect expected[] = {
        {"closebtn", "png", {47, 22}, false},      {"logo", "png", {260, 70}, true},
        {"logomodule", "png", {48, 49}, false},    {"tabmain", "imglst", {71, 71}, false},
        {"mainbghead", "imghorzex", {0, 23}, true}, {"tab", "imghorzex", {0, 25}, false},
        {"panel", "imgframe", {0, 0}, true},       {"normalbtn", "button", {0, 0}, false},
        {"tipbg", "gradation", {0, 0}, true},
    };
    for (const Expect& e : expected) {
        CBkSkinBase* skin = Skin(e.name);
        ASSERT_NE(skin, nullptr);
        EXPECT_STREQ(skin->GetObjectClass(), e.tag) << e.name;
        EXPECT_EQ(skin->GetSkinSize(), e.size) << e.name;
        EXPECT_EQ(skin->IgnoreState(), e.ignoreState) << e.name;
    }
}

TEST_F(BkSkinTest, SkinPoolSkipsWhatItCannotMakeAndReplacesByName) {
    ASSERT_TRUE(BkSkinPool::LoadFromXml(
        "<skins><gradation name=a from=FF0000 to=0000FF/><sprite name=b/><button/>"
        "<button name=a/></skins>"));
    EXPECT_EQ(BkSkinPool::Count(), 1u);
    EXPECT_STREQ(BkSkinPool::GetSkin("a")->GetObjectClass(), "button");
    EXPECT_FALSE(BkSkinPool::LoadFromXml("<skins><button name=a></skins>"));
    EXPECT_EQ(BkSkinPool::Count(), 0u);
    EXPECT_FALSE(BkSkinPool::LoadFromXml("<style><button name=a/></style>"));
    EXPECT_EQ(BkSkinPool::Count(), 0u);
    ASSERT_TRUE(BkSkinPool::Load(100));
}

TEST_F(BkSkinTest, StyleDocumentAndTheDefaultStyle) {
    EXPECT_EQ(BkStylePool::Count(), 54u);  // 53 classes and the default style
    const BkStyle& btn = BkStylePool::GetStyle("normalbtn");
    EXPECT_EQ(btn.m_strSkinName, "normalbtn");
    EXPECT_EQ(btn.m_nTextAlign, 0x25u);
    EXPECT_EQ(btn.m_nCursor, BkStyle::CursorHand);
    EXPECT_EQ(btn.m_nMarginX, 5);
    EXPECT_EQ(btn.m_crText, RGB(0, 0, 0));
    EXPECT_EQ(BkStylePool::GetStyle("cpanel").m_nMarginY, 20);  // margin sets both
    EXPECT_EQ(BkStylePool::GetStyle("linktext").m_crHoverText, RGB(0xFF, 0, 0));
    EXPECT_EQ(BkStylePool::GetStyle("logtext").m_nTextAlign, 0x2010u);

    const BkStyle& none = BkStylePool::GetStyle("infostyle");  // used by layouts, defined nowhere
    EXPECT_EQ(&none, &BkStylePool::GetStyle(""));
    EXPECT_EQ(none.m_nTextAlign, 0x28u);
    EXPECT_EQ(none.m_crText, CLR_INVALID);
    EXPECT_EQ(none.m_crBg, CLR_INVALID);
    EXPECT_EQ(none.m_crDisabledText, RGB(0xCC, 0xCC, 0xCC));
    EXPECT_EQ(none.m_ftText, nullptr);
    EXPECT_EQ(none.m_nLineSpacing, 20);
}

TEST_F(BkSkinTest, LoadingStylesTwiceKeepsOnlyTheSecondLoad) {
    ASSERT_TRUE(BkStylePool::LoadFromXml("<style><class name=a crtext=FF0000/><class name=b/></style>"));
    ASSERT_TRUE(BkStylePool::LoadFromXml(
        "<style><class name=c crtext=00FF00/><class name=c crbg=0000FF/><class crbg=123456/></style>"));
    EXPECT_EQ(BkStylePool::Count(), 2u);
    EXPECT_EQ(&BkStylePool::GetStyle("a"), &BkStylePool::GetStyle(""));
    const BkStyle& c = BkStylePool::GetStyle("c");  // a class given twice accumulates
    EXPECT_EQ(c.m_crText, RGB(0, 0xFF, 0));
    EXPECT_EQ(c.m_crBg, RGB(0, 0, 0xFF));
    EXPECT_FALSE(BkStylePool::LoadFromXml("<style><class name=d></style>"));
    EXPECT_EQ(BkStylePool::Count(), 1u);
    ASSERT_TRUE(BkStylePool::Load(101));
    ASSERT_TRUE(BkStylePool::Load(101));
    EXPECT_EQ(BkStylePool::Count(), 54u);
}

TEST_F(BkSkinTest, FramePartCenterDrawsOnlyTopAndBottom) {
    // Bitmap 107: a 3 x 3 frame, border colour around one centre pixel; fill FBFCFD.
    const COLORREF border = BitmapPixel(107, 0, 0);
    const COLORREF fill = RGB(0xFB, 0xFC, 0xFD);
    BkTestCanvas c(40, 30, RGB(255, 0, 0));
    Skin("tabpage")->Draw(c.dc(), RECT{0, 0, 40, 30}, 0);
    EXPECT_EQ(c.at(0, 0), border);     // the top edge runs into the corner: no left edge
    EXPECT_EQ(c.at(20, 0), border);
    EXPECT_EQ(c.at(39, 29), border);   // bottom edge
    EXPECT_EQ(c.at(0, 15), fill);      // no left edge: the fill reaches x = 0
    EXPECT_EQ(c.at(39, 15), fill);
    EXPECT_EQ(c.at(20, 15), fill);
}

TEST_F(BkSkinTest, FramePartMiddleDrawsOnlyLeftAndRight) {
    ASSERT_TRUE(BkSkinPool::LoadFromXml("<skins><imgframe name=m src=107 top=1 left=1 crbg=FBFCFD part=middle/>"
                                        "<imgframe name=all src=107 top=1 left=1/></skins>"));
    const COLORREF border = BitmapPixel(107, 0, 0);
    BkTestCanvas c(40, 30, RGB(255, 0, 0));
    BkSkinPool::GetSkin("m")->Draw(c.dc(), RECT{0, 0, 40, 30}, 0);
    EXPECT_EQ(c.at(0, 15), border);
    EXPECT_EQ(c.at(39, 15), border);
    EXPECT_EQ(c.at(0, 0), border);                   // the left edge starts at the top
    EXPECT_EQ(c.at(20, 0), RGB(0xFB, 0xFC, 0xFD));   // no top edge
    EXPECT_EQ(c.at(20, 29), RGB(0xFB, 0xFC, 0xFD));

    BkTestCanvas d(40, 30, RGB(255, 0, 0));
    BkSkinPool::GetSkin("all")->Draw(d.dc(), RECT{0, 0, 40, 30}, 0);
    EXPECT_EQ(d.at(20, 15), RGB(255, 0, 0));         // without crbg the inside is left alone
    EXPECT_EQ(d.at(20, 0), border);
    ASSERT_TRUE(BkSkinPool::Load(100));
}

TEST_F(BkSkinTest, TallBottomStripGivesTallBottomCorners) {
    // Bitmap 10011 is cut at top 32 and left 5: its bottom strip is 57 rows high.
    BkTestCanvas c(100, 100, RGB(255, 0, 0));
    Skin("dlgfoot")->Draw(c.dc(), RECT{0, 0, 100, 100}, 0);
    // Rows 43..99 are the bottom corners and edge (57 rows), row 42 above them the left edge.
    for (int y : {43, 50, 70, 99}) {
        EXPECT_EQ(c.at(2, y), BitmapPixel(10011, 2, 33 + y - 43)) << y;
        EXPECT_EQ(c.at(96, y), BitmapPixel(10011, 11, 33 + y - 43)) << y;
    }
    EXPECT_EQ(c.at(2, 42), BitmapPixel(10011, 2, 32));
    EXPECT_EQ(c.at(2, 0), BitmapPixel(10011, 2, 32));  // no top: the left edge starts at the top
    EXPECT_NE(BitmapPixel(10011, 2, 40), BitmapPixel(10011, 2, 32));  // the test can tell them apart
    EXPECT_EQ(c.at(50, 20), RGB(0xFB, 0xFC, 0xFD));
}

TEST_F(BkSkinTest, PngSkinDrawsTheSliceOfItsState) {
    // The close button strip: 3 states of 47; state 2 (pushed) has a dark red background.
    BkTestCanvas c(60, 30);
    Skin("closebtn")->Draw(c.dc(), RECT{5, 5, 52, 27}, 2);
    ExpectNear(c.at(6, 6), RGB(176, 16, 28));
    EXPECT_EQ(c.at(4, 6), RGB(255, 255, 255));   // nothing left of the rectangle
    EXPECT_EQ(c.at(53, 6), RGB(255, 255, 255));  // one slice wide
    BkTestCanvas hover(60, 30);
    Skin("closebtn")->Draw(hover.dc(), RECT{5, 5, 52, 27}, 1);
    ExpectNear(hover.at(6, 6), RGB(232, 17, 35));
    BkTestCanvas beyond(60, 30);
    Skin("closebtn")->Draw(beyond.dc(), RECT{5, 5, 52, 27}, 0x10);  // no such slice: nothing
    EXPECT_EQ(beyond.at(6, 6), RGB(255, 255, 255));
}

TEST_F(BkSkinTest, MaskedImageListLeavesTheKeyColourOut) {
    BkTestCanvas c(80, 80, RGB(0, 200, 0));
    Skin("tabmain")->Draw(c.dc(), RECT{0, 0, 71, 71}, 0);  // the normal tab is all FF00FF
    EXPECT_EQ(c.at(35, 35), RGB(0, 200, 0));
    Skin("tabmain")->Draw(c.dc(), RECT{0, 0, 71, 71}, 2);
    EXPECT_EQ(c.at(35, 35), BitmapPixel(10004, 142 + 35, 35));
    EXPECT_EQ(c.at(0, 0), RGB(0, 200, 0));  // rounded corner: key colour
}

TEST_F(BkSkinTest, HorizontalExtendStretchesTheMiddleColumnOfTheStateImage) {
    BkTestCanvas c(60, 40, RGB(0, 200, 0));
    Skin("tab")->Draw(c.dc(), RECT{0, 0, 50, 40}, 0x02);  // pushed: third image, x 14..20
    EXPECT_EQ(c.at(25, 10), BitmapPixel(10005, 14 + 3, 10));
    EXPECT_EQ(c.at(49, 10), BitmapPixel(10005, 20, 10));
    EXPECT_EQ(c.at(25, 30), RGB(0, 200, 0));  // drawn 25 rows high whatever the rectangle
    BkTestCanvas hover(60, 40, RGB(0, 200, 0));
    Skin("tab")->Draw(hover.dc(), RECT{0, 0, 50, 40}, 0x01);
    EXPECT_EQ(hover.at(25, 10), BitmapPixel(10005, 7 + 3, 10));
    BkTestCanvas narrow(60, 40, RGB(0, 200, 0));
    Skin("tab")->Draw(narrow.dc(), RECT{0, 0, 2, 40}, 0);  // widened to one image
    EXPECT_EQ(narrow.at(6, 10), BitmapPixel(10005, 6, 10));
}

TEST_F(BkSkinTest, ButtonSkinLooksPerState) {
    BkTestCanvas c(60, 30);
    Skin("normalbtn")->Draw(c.dc(), RECT{0, 0, 60, 30}, 0);
    EXPECT_EQ(c.at(0, 0), RGB(0x7D, 0x9E, 0xBC));    // border
    EXPECT_EQ(c.at(59, 29), RGB(0x7D, 0x9E, 0xBC));
    EXPECT_EQ(c.at(1, 15), RGB(0xFB, 0xFC, 0xFD));   // bg between border and gradient
    EXPECT_EQ(c.at(30, 2), RGB(0xFE, 0xFE, 0xFE));   // gradient from bgup
    BkTestCanvas pushed(60, 30);
    Skin("normalbtn")->Draw(pushed.dc(), RECT{0, 0, 60, 30}, 0x02 | 0x01);
    EXPECT_EQ(pushed.at(30, 2), RGB(0xC6, 0xE2, 0xFD));  // pushed wins over hover
    BkTestCanvas disabled(60, 30);
    Skin("normalbtn")->Draw(disabled.dc(), RECT{0, 0, 60, 30}, 0x10);
    EXPECT_EQ(disabled.at(30, 2), RGB(0xFB, 0xFC, 0xFD));  // no gradient
}

TEST_F(BkSkinTest, GradationRunsFromTopToBottom) {
    BkTestCanvas c(20, 50);
    Skin("tipbg")->Draw(c.dc(), RECT{0, 0, 20, 50}, 0);
    EXPECT_EQ(c.at(10, 0), RGB(0xFF, 0xFF, 0xFF));
    const COLORREF last = c.at(10, 49);
    EXPECT_NEAR(GetBValue(last), 0xF0, 2);
    EXPECT_NEAR(GetRValue(last), 0xE4, 4);
    ASSERT_TRUE(BkSkinPool::LoadFromXml("<skins><gradation name=g from=000000 to=FFFFFF size=10/></skins>"));
    BkTestCanvas h(40, 10, RGB(255, 0, 0));
    BkSkinPool::GetSkin("g")->Draw(h.dc(), RECT{0, 0, 40, 10}, 0);
    EXPECT_EQ(h.at(0, 5), RGB(0, 0, 0));
    EXPECT_EQ(h.at(20, 5), RGB(255, 255, 255));  // past `size`: the fill with `to`
    ASSERT_TRUE(BkSkinPool::Load(100));
}

}  // namespace
