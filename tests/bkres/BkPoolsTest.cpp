// The string and font pools: what the documents and font codes give, and the diagnostics of
// what is missing.
#include <gtest/gtest.h>

#include "bkres/bkfontpool.h"
#include "bkres/bkiconpool.h"
#include "bkres/bkstringpool.h"
#include "platform/gdi.h"

namespace {

using namespace platform;

TEST(BkString, LoadsTheStringTable) {
    BkString::Clear();
    ASSERT_TRUE(BkString::Load(102));
    ASSERT_NE(BkString::Get(0), nullptr);
    EXPECT_EQ(*BkString::Get(0), u"微软雅黑");
    EXPECT_EQ(*BkString::Get(1), u"MerovaskV1.0");
    EXPECT_EQ(*BkString::Get(1000), u"MerovaskV1.0 已经运行！");
    EXPECT_EQ(*BkString::Get(25), u"继续");
    // The button templates are stored escaped and read back as markup.
    EXPECT_EQ(*BkString::Get(17), u"<button id=%d pos=\"%d,0,%d,-0\" class=normalbtn>%s</button>");
    EXPECT_EQ(*BkString::Get(26), u"<dlg pos=\"|-%d,0,|%d,-0\">%s</dlg>");
}

TEST(BkString, LoadAddsAndReplacesButChecksTheRoot) {
    BkString::Clear();
    ASSERT_TRUE(BkString::LoadFromXml("<string><s id=1>one</s><s id=2>two</s><s>no id</s><s id=x>bad</s></string>"));
    ASSERT_TRUE(BkString::LoadFromXml("<string><s id=2>TWO</s><s id=3></s></string>"));
    EXPECT_EQ(*BkString::Get(1), u"one");
    EXPECT_EQ(*BkString::Get(2), u"TWO");
    EXPECT_EQ(*BkString::Get(3), u"");
    EXPECT_FALSE(BkString::LoadFromXml("<style><s id=4>four</s></style>"));
    EXPECT_FALSE(BkString::LoadFromXml("<string><s id=5>unclosed</string>"));
    testing::internal::CaptureStderr();
    EXPECT_EQ(BkString::Get(4), nullptr);
    EXPECT_EQ(BkString::Get(5), nullptr);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Failed loading string 4"), std::string::npos);
    BkString::Clear();
}

LOGFONTW Describe(HFONT font) {
    LOGFONTW lf;
    EXPECT_TRUE(GetObject(font, &lf));
    return lf;
}

TEST(BkFontPool, FontCodesGiveWeightStyleAndSize) {
    BkFontPool::SetDefaultFont(u"微软雅黑", -12);
    const LOGFONTW base = Describe(BkFontPool::GetFont(0));
    EXPECT_EQ(base.lfHeight, -12);
    EXPECT_EQ(GetFaceName(base), u"微软雅黑");
    EXPECT_EQ(base.lfWeight, FW_NORMAL);

    const LOGFONTW big = Describe(BkFontPool::GetFont(0x0A04));
    EXPECT_EQ(big.lfHeight, -22);  // 10 pixels taller
    EXPECT_EQ(big.lfWeight, FW_BOLD);
    EXPECT_EQ(big.lfUnderline, 0);

    const LOGFONTW under = Describe(BkFontPool::GetFont(0x0002));
    EXPECT_EQ(under.lfHeight, -12);
    EXPECT_EQ(under.lfUnderline, 1);
    EXPECT_EQ(under.lfWeight, FW_NORMAL);
    EXPECT_EQ(under.lfItalic, 0);

    EXPECT_EQ(Describe(BkFontPool::GetFont(0x0001)).lfItalic, 1);
    // A negative size increase (high byte FF) makes the font smaller.
    EXPECT_EQ(Describe(BkFontPool::GetFont(0xFF00)).lfHeight, -11);
    // The same code is the same handle; the four-argument form builds the same code.
    EXPECT_EQ(BkFontPool::GetFont(0x0A04), BkFontPool::GetFont(true, false, false, 10));
    EXPECT_EQ(BkFontPool::GetFont(0x0504), BkFontPool::GetFont(true, false, false, 5));
}

TEST(BkFontPool, DefaultFontChangeLeavesOtherCodesAlone) {
    BkFontPool::SetDefaultFont(u"微软雅黑", -12);
    HFONT bold = BkFontPool::GetFont(0x0004);
    HFONT oldBase = BkFontPool::GetFont(0);
    BkFontPool::SetDefaultFont(u"Tahoma", -16);
    // A style loaded before still holds the old base font: it must stay usable.
    EXPECT_EQ(Describe(oldBase).lfHeight, -12);
    EXPECT_EQ(Describe(BkFontPool::GetFont(0)).lfHeight, -16);
    EXPECT_EQ(GetFaceName(Describe(BkFontPool::GetFont(0))), u"Tahoma");
    EXPECT_EQ(BkFontPool::GetFont(0x0004), bold);
    EXPECT_EQ(Describe(bold).lfHeight, -12);
    BkFontPool::SetDefaultFont(u"微软雅黑", -12);
}

TEST(BkIconPool, ProgramIconsAtTheirSizes) {
    HICON own = BkIconPool::GetIcon(101);
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(GetIconSize(own), (SIZE{16, 16}));
    HICON big = BkIconPool::GetIcon(100, 32);
    ASSERT_NE(big, nullptr);
    EXPECT_EQ(GetIconSize(big), (SIZE{32, 32}));
    EXPECT_EQ(BkIconPool::GetIcon(100, 32), big);
    testing::internal::CaptureStderr();
    EXPECT_EQ(BkIconPool::GetIcon(4242), nullptr);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Failed loading icon 4242"), std::string::npos);
}

}  // namespace
