// Colours, hexadecimal fields and decimals as every skin document writes them.
#include <gtest/gtest.h>

#include "bkres/bkvaluesyntax.h"

namespace {

using platform::RGB;

TEST(BkValueSyntax, ColourIsRrggbbWithRedInTheLowByte) {
    EXPECT_EQ(BkParseColor("3064A5"), RGB(0x30, 0x64, 0xA5));
    EXPECT_EQ(BkParseColor("3064A5"), 0xA56430u);
    EXPECT_EQ(BkParseColor("ffffff"), RGB(255, 255, 255));
    EXPECT_EQ(BkParseColor("bFe7Ff"), RGB(0xBF, 0xE7, 0xFF));
    EXPECT_EQ(BkParseColor("000000"), 0u);  // black is a colour, not "none"
    for (const char* bad : {"", "FFF", "FFFFFFF", "GG0000", "#FFFFF", "12 456"}) {
        EXPECT_EQ(BkParseColor(bad), platform::CLR_INVALID) << bad;
    }
}

TEST(BkValueSyntax, HexWithAForeignCharacterIsZero) {
    EXPECT_EQ(BkParseHex("0A04"), 0x0A04u);
    EXPECT_EQ(BkParseHex("8030"), 0x8030u);
    EXPECT_EQ(BkParseHex("874"), 0x874u);
    EXPECT_EQ(BkParseHex("00G4"), 0u);   // not 0x00 from the digits before G
    EXPECT_EQ(BkParseHex("25 "), 0u);
    EXPECT_EQ(BkParseHex(""), 0u);
    EXPECT_EQ(BkParseHex("123456789"), 0x23456789u);
}

TEST(BkValueSyntax, DecimalReadsLikeAtoi) {
    EXPECT_EQ(BkParseInt("-12"), -12);
    EXPECT_EQ(BkParseInt("+7"), 7);
    EXPECT_EQ(BkParseInt("40px"), 40);
    EXPECT_EQ(BkParseInt("full"), 0);
    EXPECT_EQ(BkParseInt("99999999999"), 2147483647);
    EXPECT_EQ(BkParseInt("-99999999999"), -2147483647 - 1);
}

}  // namespace
