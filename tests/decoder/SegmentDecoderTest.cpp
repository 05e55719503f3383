// Segment decoding of hand-made bit streams: each mode and designator, the character set
// decisions, and the streams that must be refused instead of shown.
#include "decoder/SegmentDecoder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A data stream built bit by bit, then terminated and padded as an encoder does.
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
    // The codewords: terminator, zero bits to the byte boundary, pads EC 11 ... up to
    // `dataBytes` (0: no padding beyond the boundary; -1: no terminator either).
    std::vector<uint8_t> codewords(int dataBytes = 0) const {
        std::vector<int> all = bitList;
        if (dataBytes >= 0) all.insert(all.end(), 4, 0);
        while (all.size() % 8 != 0) all.push_back(0);
        std::vector<uint8_t> out(all.size() / 8, 0);
        for (size_t i = 0; i < all.size(); ++i)
            if (all[i]) out[i / 8] |= static_cast<uint8_t>(0x80 >> (i % 8));
        for (int k = 0; static_cast<int>(out.size()) < dataBytes; ++k) out.push_back(k % 2 == 0 ? 0xEC : 0x11);
        return out;
    }
    ReadFailure decode(int version, DecodedContent& out, int dataBytes = 0) const {
        return decodeSegments(codewords(dataBytes), version, out);
    }
    std::u16string text(int version = 1, int dataBytes = 0) const {
        DecodedContent out;
        EXPECT_EQ(decode(version, out, dataBytes), ReadFailure::None);
        return out.text;
    }
    ReadFailure failure(int version = 1) const {
        DecodedContent out;
        return decode(version, out);
    }

private:
    std::vector<int> bitList;
};

// The 13-bit kanji value of a Shift JIS pair.
int kanjiValue(int pair) {
    const int offset = pair - (pair <= 0x9FFC ? 0x8140 : 0xC140);
    return (offset >> 8) * 0xC0 + (offset & 0xFF);
}

TEST(Segments, NumericAlphanumericAndByteData) {
    // 12345: 123 in 10 bits and 45 in 7; 007 keeps its zeros.
    EXPECT_EQ(Stream().bits(1, 4).bits(5, 10).bits(123, 10).bits(45, 7).text(), u"12345");
    EXPECT_EQ(Stream().bits(1, 4).bits(3, 10).bits(7, 10).text(), u"007");
    // A C - 4 2: (A, C) and (-, 4) in 11 bits each, 2 in 6 bits.
    EXPECT_EQ(Stream().bits(2, 4).bits(5, 9).bits(10 * 45 + 12, 11).bits(41 * 45 + 4, 11).bits(2, 6).text(), u"AC-42");
    EXPECT_EQ(Stream().bits(4, 4).bits(3, 8).bytes("Hi!").bits(1, 4).bits(1, 10).bits(1, 4).text(), u"Hi!1");
    // Count widths grow with the version group.
    EXPECT_EQ(Stream().bits(1, 4).bits(1, 12).bits(9, 4).text(10), u"9");
    EXPECT_EQ(Stream().bits(4, 4).bits(1, 16).bytes("z").text(27), u"z");
}

TEST(Segments, ValuesOutsideTheirModesRangeAreMalformed) {
    EXPECT_EQ(Stream().bits(1, 4).bits(3, 10).bits(1000, 10).failure(), ReadFailure::Malformed);
    EXPECT_EQ(Stream().bits(1, 4).bits(2, 10).bits(100, 7).failure(), ReadFailure::Malformed);
    EXPECT_EQ(Stream().bits(1, 4).bits(1, 10).bits(10, 4).failure(), ReadFailure::Malformed);
    EXPECT_EQ(Stream().bits(2, 4).bits(2, 9).bits(45 * 45, 11).failure(), ReadFailure::Malformed);
    EXPECT_EQ(Stream().bits(2, 4).bits(1, 9).bits(45, 6).failure(), ReadFailure::Malformed);
    // A kanji value whose trail byte would be 7F.
    EXPECT_EQ(Stream().bits(8, 4).bits(1, 8).bits(0x3F, 13).failure(), ReadFailure::Malformed);
}

TEST(Segments, StreamsThatRunPastTheirDataOrCarryStrayBitsAreMalformed) {
    // A byte count longer than the remaining data: no run of junk bytes.
    Stream overlong;
    overlong.bits(4, 4).bits(5000, 16);
    for (int i = 0; i < 100; ++i) overlong.bits('b', 8);
    EXPECT_EQ(overlong.failure(40), ReadFailure::Malformed);
    EXPECT_EQ(Stream().bits(1, 4).bits(9, 10).bits(123, 10).failure(), ReadFailure::Malformed);
    // Mode indicators that QR Code does not have.
    for (unsigned mode : {6u, 10u, 11u, 12u, 14u, 15u})
        EXPECT_EQ(Stream().bits(mode, 4).bits(0, 20).failure(), ReadFailure::Malformed) << mode;
    // After the terminator: only zero bits to the boundary, then pads.
    DecodedContent out;
    std::vector<uint8_t> stray = Stream().bits(4, 4).bits(1, 8).bytes("A").codewords(6);
    stray[2] |= 0x01;
    EXPECT_EQ(decodeSegments(stray, 1, out), ReadFailure::Malformed);
    std::vector<uint8_t> junk = Stream().bits(4, 4).bits(1, 8).bytes("A").codewords(6);
    junk[4] = 0x5A;
    EXPECT_EQ(decodeSegments(junk, 1, out), ReadFailure::Malformed);
    // Padding, zero-byte padding, or no terminator at all when the data fills the symbol.
    EXPECT_EQ(Stream().bits(4, 4).bits(1, 8).bytes("A").text(1, 19), u"A");
    std::vector<uint8_t> zeros = Stream().bits(4, 4).bits(1, 8).bytes("A").codewords(0);
    zeros.insert(zeros.end(), 3, 0x00);
    EXPECT_EQ(decodeSegments(zeros, 1, out), ReadFailure::None);
    EXPECT_EQ(decodeSegments(Stream().bits(2, 4).bits(2, 9).bits(10 * 45 + 11, 11).codewords(-1), 1, out),
              ReadFailure::None);
    EXPECT_EQ(out.text, u"AB");
}

TEST(Segments, ByteDataWithoutEciIsUtf8WhenWellFormedElseGbk) {
    const std::string utf8 = "\xE4\xBD\xA0\xE5\xA5\xBD";  // 你好
    const std::string gbk = "\xC4\xE3\xBA\xC3";           // 你好
    EXPECT_EQ(Stream().bits(4, 4).bits(6, 8).bytes(utf8).text(), u"你好");
    EXPECT_EQ(Stream().bits(4, 4).bits(4, 8).bytes(gbk).text(), u"你好");
    // A character split between two segments comes out whole.
    EXPECT_EQ(Stream().bits(4, 4).bits(2, 8).bytes(utf8.substr(0, 2)).bits(4, 4).bits(4, 8).bytes(utf8.substr(2)).text(),
              u"你好");
    // Data keeps its zero bytes; the program's symbols end with one.
    DecodedContent out;
    ASSERT_EQ(Stream().bits(4, 4).bits(3, 8).bytes(std::string("a\0b", 3)).decode(1, out), ReadFailure::None);
    EXPECT_EQ(out.bytes, std::string("a\0b", 3));
    EXPECT_EQ(out.text, std::u16string(u"a\0b", 3));
}

TEST(Segments, KanjiIsShiftJisUnlessTheBytesAreTheProgramsOwnText) {
    // 漢字 in Shift JIS: 8ABF 8E9A.
    DecodedContent out;
    ASSERT_EQ(Stream().bits(8, 4).bits(2, 8).bits(kanjiValue(0x8ABF), 13).bits(kanjiValue(0x8E9A), 13).decode(1, out),
              ReadFailure::None);
    EXPECT_EQ(out.text, u"漢字");
    EXPECT_EQ(out.bytes, "\x8A\xBF\x8E\x9A");
    // UTF-8 中文 (E4 B8 AD E6 96 87) as the program's encoder split it: kanji E4B8, byte AD,
    // kanji E696, byte 87.
    EXPECT_EQ(Stream()
                  .bits(8, 4).bits(1, 8).bits(kanjiValue(0xE4B8), 13)
                  .bits(4, 4).bits(1, 8).bytes("\xAD")
                  .bits(8, 4).bits(1, 8).bits(kanjiValue(0xE696), 13)
                  .bits(4, 4).bits(1, 8).bytes("\x87")
                  .text(),
              u"中文");
    // GBK 洹洄 (E4A1 E4A7) in kanji mode with the program's terminating zero: GBK. The same
    // pairs without it are Shift JIS, as any other encoder means them.
    const auto gbkPairs = [] {
        Stream s;
        s.bits(8, 4).bits(2, 8).bits(kanjiValue(0xE4A1), 13).bits(kanjiValue(0xE4A7), 13);
        return s;
    };
    EXPECT_EQ(gbkPairs().bits(4, 4).bits(1, 8).bytes(std::string(1, '\0')).text(), std::u16string(u"洹洄\0", 3));
    EXPECT_EQ(gbkPairs().text(), u"茖荅");
}

TEST(Segments, HanziReadsItsSubsetFirst) {
    // Subset 1 (GB 2312), then 你 (C4E3): row 0xC4 - 0xA6, trail 0xE3 - 0xA1; 、 (A1A2).
    const std::u16string text =
        Stream().bits(13, 4).bits(1, 4).bits(2, 8).bits((0xC4 - 0xA6) * 96 + (0xE3 - 0xA1), 13).bits(1, 13).text();
    EXPECT_EQ(text, u"你、");
    EXPECT_EQ(Stream().bits(13, 4).bits(2, 4).bits(1, 8).bits(1, 13).failure(), ReadFailure::Unsupported);
}

TEST(Segments, EciSwitchesTheCharacterSetOfWhatFollows) {
    DecodedContent out;
    // ISO-8859-5 "Мир" (BC D8 E0), then UTF-8 "é" under ECI 26, then digits.
    ASSERT_EQ(Stream()
                  .bits(7, 4).bits(7, 8).bits(4, 4).bits(3, 8).bytes("\xBC\xD8\xE0")
                  .bits(7, 4).bits(26, 8).bits(4, 4).bits(2, 8).bytes("\xC3\xA9")
                  .bits(1, 4).bits(2, 10).bits(42, 7)
                  .decode(1, out),
              ReadFailure::None);
    EXPECT_EQ(out.text, u"Мирé42");
    EXPECT_EQ(out.eci, 7);
    // Two- and three-byte designators: 899 (binary, bytes shown as without ECI) and 100000.
    ASSERT_EQ(Stream().bits(7, 4).bits(0x8000 | 899, 16).bits(4, 4).bits(1, 8).bytes("k").decode(1, out), ReadFailure::None);
    EXPECT_EQ(out.eci, 899);
    EXPECT_EQ(out.text, u"k");
    ASSERT_EQ(Stream().bits(7, 4).bits(0xC00000 | 100000, 24).bits(4, 4).bits(1, 8).bytes("k").decode(1, out),
              ReadFailure::None);
    EXPECT_EQ(out.eci, 100000);
    EXPECT_EQ(Stream().bits(7, 4).bits(0xE0, 8).bits(0, 16).failure(), ReadFailure::Malformed);
}

TEST(Segments, Fnc1AndStructuredAppendHeaders) {
    DecodedContent out;
    // GS1: "01%1234%%" in alphanumeric mode means 01 <GS> 1234 %.
    Stream gs1;
    gs1.bits(5, 4).bits(2, 4).bits(9, 9);
    const std::string alnum = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ $%*+-./:";
    const std::string chars = "01%1234%%";
    for (size_t i = 0; i + 1 < chars.size(); i += 2)
        gs1.bits(static_cast<unsigned>(alnum.find(chars[i]) * 45 + alnum.find(chars[i + 1])), 11);
    gs1.bits(static_cast<unsigned>(alnum.find(chars.back())), 6);
    ASSERT_EQ(gs1.decode(1, out), ReadFailure::None);
    EXPECT_EQ(out.fnc1, Fnc1::Gs1);
    EXPECT_EQ(out.text, u"01\x1D" u"1234%");
    // AIM: application indicator "A" (65 + 100) comes first.
    ASSERT_EQ(Stream().bits(9, 4).bits(165, 8).bits(4, 4).bits(2, 8).bytes("xy").decode(1, out), ReadFailure::None);
    EXPECT_EQ(out.fnc1, Fnc1::Aim);
    EXPECT_EQ(out.text, u"Axy");
    EXPECT_EQ(Stream().bits(4, 4).bits(1, 8).bytes("x").bits(5, 4).failure(), ReadFailure::Malformed);
    // Part 2 of 3, parity 0x5A, then its data.
    ASSERT_EQ(Stream().bits(3, 4).bits(1, 4).bits(2, 4).bits(0x5A, 8).bits(4, 4).bits(2, 8).bytes("ok").decode(1, out),
              ReadFailure::None);
    ASSERT_TRUE(out.sequence.has_value());
    EXPECT_EQ(out.sequence->index, 1);
    EXPECT_EQ(out.sequence->count, 3);
    EXPECT_EQ(out.sequence->parity, 0x5A);
    EXPECT_EQ(out.text, u"ok");
}

}  // namespace
