// Code-page conversions: the bytes the make page hands to the encoder, and text read back.
#include "platform/text.h"

#include <gtest/gtest.h>

namespace {

using platform::kCodePageAnsi;
using platform::kCodePageUtf8;

TEST(Text, Utf8WithAndWithoutTerminator) {
    EXPECT_EQ(platform::wideToMultiByte(kCodePageUtf8, u"abc", true), std::string("abc\0", 4));
    EXPECT_EQ(platform::wideToMultiByte(kCodePageUtf8, u"abc", false), "abc");
    EXPECT_EQ(platform::wideToMultiByte(kCodePageUtf8, u"", true), std::string("\0", 1));
    EXPECT_EQ(platform::wideToMultiByte(kCodePageUtf8, u"中文", false), "\xE4\xB8\xAD\xE6\x96\x87");
    EXPECT_EQ(platform::wideToMultiByte(kCodePageUtf8, u"\U0001F600", false), "\xF0\x9F\x98\x80");
    // An unpaired surrogate cannot be written as UTF-8.
    EXPECT_EQ(platform::wideToMultiByte(kCodePageUtf8, std::u16string(1, char16_t(0xD800)), false), "\xEF\xBF\xBD");
}

TEST(Text, AnsiCodePageIsGbk) {
    EXPECT_EQ(platform::wideToMultiByte(kCodePageAnsi, u"中文abc", true), std::string("\xD6\xD0\xCE\xC4" "abc\0", 8));
    EXPECT_EQ(platform::wideToMultiByte(936, u"€", false), "\x80");
    // Characters outside GBK become question marks, one per character.
    EXPECT_EQ(platform::wideToMultiByte(kCodePageAnsi, u"a\U0001F600b", false), "a?b");
    EXPECT_EQ(platform::multiByteToWide(kCodePageAnsi, "\xD6\xD0\xCE\xC4!"), u"中文!");
    // A lead byte without a valid trail, and a lead byte at the end.
    EXPECT_EQ(platform::multiByteToWide(kCodePageAnsi, "\xD6"), u"?");
    EXPECT_EQ(platform::multiByteToWide(kCodePageAnsi, "x\xFF"), u"x?");
    EXPECT_TRUE(platform::wideToMultiByte(12345, u"abc", true).empty());
}

TEST(Text, Utf8DecodingReplacesIllFormedSequences) {
    EXPECT_EQ(platform::utf8ToUtf16("\xE4\xB8\xAD"), u"中");
    EXPECT_EQ(platform::utf8ToUtf16("\xF0\x9F\x98\x80"), u"\U0001F600");
    EXPECT_EQ(platform::utf8ToUtf16("a\xC0\xAF" "b"), u"a\uFFFD\uFFFDb");  // overlong
    EXPECT_EQ(platform::utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");  // surrogate
    EXPECT_EQ(platform::utf8ToUtf16("\xE4\xB8"), u"\uFFFD\uFFFD");          // truncated
    EXPECT_EQ(platform::utf8ToUtf16(std::string("a\0b", 3)), std::u16string(u"a\0b", 3));
    EXPECT_EQ(platform::utf16ToUtf8(platform::utf8ToUtf16("round trip 往返")), "round trip 往返");
}

}  // namespace
