// Symbol reading and content decoding: segments from hand-made bit streams, and whole matrices
// from the encoder with damaged format information and codewords.
#include "decoder/ContentDecoder.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "decoder/DecoderTables.h"
#include "platform/text.h"
#include "tests/decoder/SymbolPictures.h"

namespace {

// Builds a data stream bit by bit and decodes it as the given version.
class Stream {
public:
    Stream& bits(unsigned value, int count) {
        for (int k = count - 1; k >= 0; --k) bitList.push_back((value >> k) & 1);
        return *this;
    }
    Stream& bytes(const std::string& s) {
        for (unsigned char c : s) bits(c, 8);
        return *this;
    }
    std::u16string decode(int version, int dataBytes = 0) const {
        EXPECT_LE(bitList.size(), 8u * ContentDecoder::kMaxDataCodewords);
        auto d = std::make_unique<ContentDecoder>();
        d->version = version;
        const int length = dataBytes > 0 ? dataBytes : static_cast<int>((bitList.size() + 7) / 8);
        for (size_t i = 0; i < bitList.size(); ++i)
            if (bitList[i]) d->dataStream[i / 8] |= static_cast<uint8_t>(0x80 >> (i % 8));
        d->dataCodewordCount = length;
        d->decodeSegments();
        return d->text;
    }

private:
    std::vector<int> bitList;
};

TEST(ContentSegments, NumericGroupsOfThreeTwoAndOne) {
    // 12345: 123 in 10 bits, 45 in 7 bits.
    EXPECT_EQ(Stream().bits(1, 4).bits(5, 10).bits(123, 10).bits(45, 7).bits(0, 4).decode(1), u"12345");
    EXPECT_EQ(Stream().bits(1, 4).bits(1, 10).bits(7, 4).bits(0, 4).decode(1), u"7");
    EXPECT_EQ(Stream().bits(1, 4).bits(0, 10).bits(2, 4).bits(1, 9).bits(4, 6).decode(1), u"4");
    // A 10-bit group above 999 is not range-checked.
    EXPECT_EQ(Stream().bits(1, 4).bits(3, 10).bits(1000, 10).bits(0, 4).decode(1), u"\x3A" u"00");
}

TEST(ContentSegments, AlphanumericPairsAndSingle) {
    // A C - 4 2: (A, C) and (-, 4) in 11 bits each, 2 in 6 bits.
    const std::u16string text = Stream()
                                    .bits(2, 4)
                                    .bits(5, 9)
                                    .bits(10 * 45 + 12, 11)
                                    .bits(41 * 45 + 4, 11)
                                    .bits(2, 6)
                                    .bits(0, 4)
                                    .decode(1);
    EXPECT_EQ(text, u"AC-42");
    EXPECT_EQ(Stream().bits(2, 4).bits(1, 9).bits(63, 6).decode(1), u":");
}

TEST(ContentSegments, ByteSegmentsChooseUtf8OrTheGbkCodePage) {
    const std::string utf8 = "\xE4\xBD\xA0\xE5\xA5\xBD";  // 你好 in UTF-8
    const std::string gbk = "\xC4\xE3\xBA\xC3";           // 你好 in GB 2312
    EXPECT_EQ(Stream().bits(4, 4).bits(6, 8).bytes(utf8).bits(0, 4).decode(1), u"你好");
    EXPECT_EQ(Stream().bits(4, 4).bits(4, 8).bytes(gbk).bits(0, 4).decode(1), u"你好");
    EXPECT_EQ(Stream().bits(4, 4).bits(4, 8).bytes(std::string("a\0bc", 4)).bits(0, 4).decode(1), u"a");
    EXPECT_EQ(Stream().bits(4, 4).bits(3, 8).bytes("Hi!").bits(2, 4).bits(1, 9).bits(1, 6).decode(1), u"Hi!1");
}

TEST(ContentSegments, ChineseCharacterValuesMapToGb2312Pairs) {
    // Row 0 of the value is lead byte 0xA1 ("、" = A1 A2), row 30 is 0xC4 ("你" = C4 E3).
    const std::u16string text =
        Stream().bits(13, 4).bits(2, 8).bits(1, 13).bits(30 * 96 + (0xE3 - 0xA1), 13).bits(0, 4).decode(1);
    EXPECT_EQ(text, u"、你");
    // Trail values past 0xFE are not characters.
    EXPECT_EQ(Stream().bits(13, 4).bits(1, 8).bits(30 * 96 + 95, 13).bits(0, 4).decode(1), u"?");
}

TEST(ContentSegments, KanjiSegmentsGiveBackTheirBytesAndJoinTheirNeighbours) {
    // 0x935F was packed as 3487 and 0xE4AA as 6826; alone, the pairs are not UTF-8 and go
    // through the GBK code page.
    EXPECT_EQ(Stream().bits(8, 4).bits(1, 8).bits(3487, 13).bits(0, 4).decode(1),
              platform::multiByteToWide(936, "\x93\x5F"));
    // UTF-8 "中文" (E4 B8 AD E6 96 87) split by the encoder's byte-range test into kanji E4 B8,
    // byte AD, kanji E6 96, byte 87: converted as one string, it reads back whole.
    auto kanji = [](int pair) {
        const int offset = pair - (pair <= 0x9FFC ? 0x8140 : 0xC140);
        return (offset >> 8) * 0xC0 + (offset & 0xFF);
    };
    const std::u16string text = Stream()
                                    .bits(8, 4).bits(1, 8).bits(kanji(0xE4B8), 13)
                                    .bits(4, 4).bits(1, 8).bytes("\xAD")
                                    .bits(8, 4).bits(1, 8).bits(kanji(0xE696), 13)
                                    .bits(4, 4).bits(1, 8).bytes("\x87")
                                    .bits(0, 4)
                                    .decode(1);
    EXPECT_EQ(text, u"中文");
}

TEST(ContentSegments, CountWidthsFollowTheVersionGroup) {
    EXPECT_EQ(Stream().bits(1, 4).bits(1, 10).bits(9, 4).decode(9), u"9");
    EXPECT_EQ(Stream().bits(1, 4).bits(1, 12).bits(9, 4).decode(10), u"9");
    EXPECT_EQ(Stream().bits(1, 4).bits(1, 14).bits(9, 4).decode(27), u"9");
    EXPECT_EQ(Stream().bits(4, 4).bits(1, 16).bytes("z").decode(26), u"z");
}

TEST(ContentSegments, UnknownModesAndExhaustionStopDecoding) {
    // ECI after text: the text so far.
    EXPECT_EQ(Stream().bits(4, 4).bits(2, 8).bytes("ok").bits(7, 4).bits(0x55, 8).decode(1), u"ok");
    // Ends exactly at the last bit without a terminator.
    EXPECT_EQ(Stream().bits(2, 4).bits(2, 9).bits(10 * 45 + 11, 11).decode(1, 3), u"AB");
    // A count running past the end reads 0xFF bytes, shown through the code page.
    EXPECT_EQ(Stream().bits(4, 4).bits(3, 8).bytes("A").decode(1, 3), u"A??");
}

TEST(ContentSegments, OverlongByteCountStopsWithoutOverrun) {
    Stream s;
    s.bits(4, 4).bits(1, 16).bytes("a").bits(4, 4).bits(5000, 16);
    for (int i = 0; i < 3000; ++i) s.bits('b', 8);
    EXPECT_EQ(s.decode(40), u"a");
}

TEST(ContentSegments, Utf8TestNeedsAHighByteAndWholeSequences) {
    auto utf8 = [](const std::string& s) {
        return ContentDecoder::isUtf8(reinterpret_cast<const uint8_t*>(s.data()), static_cast<int>(s.size()));
    };
    EXPECT_TRUE(utf8("\xC3\xA9t\xC3\xA9"));
    EXPECT_FALSE(utf8("plain"));
    EXPECT_FALSE(utf8(""));
    EXPECT_FALSE(utf8("\xC3"));
    EXPECT_FALSE(utf8("\xA9x"));
    EXPECT_FALSE(utf8("\xE4\xBD" "x"));
    EXPECT_TRUE(utf8("\xFC\x80\x80\x80\x80\x80"));
}

// --- Whole symbols ---

struct Symbol {
    std::unique_ptr<CQREncoder> encoder;
    std::unique_ptr<uint8_t[][177]> matrix;
};

Symbol symbolOf(const std::string& text, int level, int version, int mask) {
    Symbol s{dectest::encodeSymbol(text, level, version, mask), std::make_unique<uint8_t[][177]>(177)};
    for (int x = 0; x < s.encoder->side; ++x)
        for (int y = 0; y < s.encoder->side; ++y) s.matrix[x][y] = s.encoder->modules[x][y] ? 1 : 0;
    return s;
}

std::unique_ptr<ContentDecoder> run(const Symbol& s) {
    auto d = std::make_unique<ContentDecoder>();
    EXPECT_EQ(d->run(s.encoder->side, s.encoder->version, s.matrix.get()), 1);
    return d;
}

TEST(SymbolReading, EveryMaskIsRemoved) {
    for (int mask = 0; mask < 8; ++mask) {
        const Symbol s = symbolOf("MASK TEST 0123 abc", 2, 3, mask);
        const auto d = run(s);
        EXPECT_EQ(d->maskPattern, mask);
        EXPECT_EQ(d->ecLevel, 2);
        EXPECT_EQ(platform::utf16ToUtf8(d->text), "MASK TEST 0123 abc");
    }
}

TEST(SymbolReading, FormatFromTheSecondCopyWhenTheFirstHasFourWrongBits) {
    const Symbol s = symbolOf("second copy", 3, 2, 5);
    for (int y : {0, 1, 2, 3}) s.matrix[8][y] ^= 1;
    const auto d = run(s);
    EXPECT_EQ(d->ecLevel, 3);
    EXPECT_EQ(d->maskPattern, 5);
    EXPECT_EQ(platform::utf16ToUtf8(d->text), "second copy");

    // Three wrong bits in the first copy are still read from it.
    const Symbol t = symbolOf("first copy", 0, 2, 6);
    for (int y : {0, 1, 2}) t.matrix[8][y] ^= 1;
    for (int i = 0; i < 8; ++i) t.matrix[t.encoder->side - 1 - i][8] ^= 1;  // second copy ruined
    EXPECT_EQ(run(t)->maskPattern, 6);
}

TEST(SymbolReading, BothFormatCopiesDestroyedReadAsLevelMMaskZero) {
    const Symbol s = symbolOf("no format", 3, 4, 3);
    const int n = s.encoder->side;
    for (int i = 0; i < 9; ++i) {
        s.matrix[8][i] = s.matrix[i][8] = (i % 2);
        s.matrix[n - 1 - i][8] = s.matrix[8][n - 1 - i] = (i % 2);
    }
    const auto d = run(s);
    EXPECT_EQ(d->ecLevel, 1);
    EXPECT_EQ(d->maskPattern, 0);
}

// The data modules of a symbol in reading order, found by marking a copy.
std::vector<std::pair<int, int>> dataModules(int side, int version) {
    auto d = std::make_unique<ContentDecoder>();
    d->side = side;
    d->version = version;
    d->markFunctionModules();
    std::vector<std::pair<int, int>> out;
    for (int x = 0; x < side; ++x)
        for (int y = 0; y < side; ++y)
            if (d->modules[x][y] != ContentDecoder::kFunctionMarker) out.emplace_back(x, y);
    return out;
}

TEST(SymbolReading, CodewordErrorsWithinEachBlocksCapacityAreCorrected) {
    // 5-Q: two blocks of 33 and two of 34 codewords, 18 check codewords each, so 9 syndromes
    // and up to 4 corrected errors per block. Four wrong modules spoil at most four codewords.
    std::mt19937 rng(11);
    const std::string text = "Damage within capacity, version 5-Q";
    for (int trial = 0; trial < 20; ++trial) {
        const Symbol s = symbolOf(text, 2, 5, -1);
        const auto modules = dataModules(s.encoder->side, 5);
        for (int k = 0; k < 4; ++k) {
            const auto [x, y] = modules[rng() % modules.size()];
            s.matrix[x][y] ^= 1;
        }
        EXPECT_EQ(platform::utf16ToUtf8(run(s)->text), text) << "trial " << trial;
    }
}

TEST(SymbolReading, ShortAndLongBlocksDeinterleaveToTheEncodersStream) {
    for (const auto& [version, level] : std::vector<std::pair<int, int>>{{5, 2}, {10, 1}, {22, 3}, {40, 0}}) {
        const Symbol s = symbolOf("interleave", level, version, -1);
        const auto d = run(s);
        const int dataBytes = qrdec::decoderVersionInfo(version)->dataCodewords[level];
        ASSERT_EQ(d->dataCodewordCount, dataBytes);
        EXPECT_EQ(std::vector<uint8_t>(d->dataStream, d->dataStream + dataBytes),
                  std::vector<uint8_t>(s.encoder->dataStream, s.encoder->dataStream + dataBytes))
            << version << "-" << level;
    }
}

TEST(SymbolReading, InconsistentSideAndVersionAreRefused) {
    auto matrix = std::make_unique<uint8_t[][177]>(177);
    auto d = std::make_unique<ContentDecoder>();
    EXPECT_EQ(d->run(21, 2, matrix.get()), 0);
    EXPECT_EQ(d->run(181, 41, matrix.get()), 0);
    EXPECT_TRUE(d->text.empty());
}

}  // namespace
