// Whole module matrices: masks, format and version information at and beyond their codes'
// reach, Reed-Solomon capacity block by block, and symbols from other encoders in every data
// mode (fixtures from tests/data/make_mode_fixtures.py, FNC1 and ECI symbols from libqrencode).
#include "decoder/ContentDecoder.h"

#include <gtest/gtest.h>
#include <qrencode.h>

#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "decoder/Codewords.h"
#include "decoder/DecoderTables.h"
#include "decoder/FormatInformation.h"
#include "decoder/SymbolReader.h"
#include "platform/text.h"
#include "tests/decoder/SymbolPictures.h"
#include "tests/support/SymbolFixtures.h"

namespace {

BitMatrix matrixOf(const CQREncoder& e) {
    BitMatrix m(e.side, e.side);
    for (int x = 0; x < e.side; ++x)
        for (int y = 0; y < e.side; ++y) m.set(x, y, e.modules[x][y] != 0);
    return m;
}

BitMatrix symbol(const std::string& text, int level, int version, int mask = -1) {
    return matrixOf(*dectest::encodeSymbol(text, level, version, mask));
}

using testsupport::fromHex;
using Fixture = testsupport::SymbolFixture;

std::vector<Fixture> fixtures(const std::string& file) {
    return testsupport::readSymbolFixtures(std::string(MEROVASK_TEST_DATA) + "/" + file);
}

TEST(SymbolReading, EveryMaskAndLevel) {
    for (int mask = 0; mask < 8; ++mask) {
        const ContentReading r = ContentDecoder::read(symbol("MASK TEST 0123 abc", mask % 4, 3, mask));
        ASSERT_EQ(r.failure, ReadFailure::None) << mask;
        EXPECT_EQ(r.symbol.mask, mask);
        EXPECT_EQ(r.symbol.ecLevel, mask % 4);
        EXPECT_EQ(r.symbol.textUtf8, "MASK TEST 0123 abc");
    }
}

TEST(SymbolReading, FormatInformationWithinThreeBitsOfEitherCopy) {
    BitMatrix m = symbol("format", 3, 2, 5);
    const int n = m.width();
    for (int y : {0, 1, 2}) m.flip(8, y);  // three wrong bits in the first copy
    ASSERT_EQ(ContentDecoder::read(m).failure, ReadFailure::None);
    m.flip(8, 3);  // four: the second copy is read
    const ContentReading second = ContentDecoder::read(m);
    ASSERT_EQ(second.failure, ReadFailure::None);
    EXPECT_EQ(second.symbol.ecLevel, 3);
    EXPECT_EQ(second.symbol.mask, 5);
    for (int i : {0, 1, 2, 3}) m.flip(n - 1 - i, 8);  // four in both: no guess
    EXPECT_EQ(ContentDecoder::read(m).failure, ReadFailure::FormatUnreadable);
}

TEST(SymbolReading, VersionInformationMustAgreeWithTheSide) {
    BitMatrix m = symbol("version information", 1, 7);
    const int n = m.width();
    for (int k : {0, 4, 8}) m.flip(k / 3, n - 11 + k % 3);  // three wrong bits in one copy
    EXPECT_EQ(ContentDecoder::read(m).failure, ReadFailure::None);
    // Both copies blank: the decode itself confirms version 7.
    for (int k = 0; k < 18; ++k) m.set(n - 11 + k % 3, k / 3, false), m.set(k / 3, n - 11 + k % 3, false);
    ASSERT_FALSE(readVersionInformation(m).has_value());
    EXPECT_EQ(ContentDecoder::read(m).failure, ReadFailure::None);
    // A matrix of version 8's side whose version information says 9 was sampled wrongly.
    BitMatrix eight = symbol("version information", 1, 8);
    const BitMatrix nine = symbol("version information", 1, 9);
    for (int k = 0; k < 18; ++k) {
        const int a = k / 3, b = eight.width() - 11 + k % 3, b9 = nine.width() - 11 + k % 3;
        eight.set(a, b, nine.get(a, b9));
        eight.set(b, a, nine.get(b9, a));
    }
    EXPECT_EQ(ContentDecoder::read(eight).failure, ReadFailure::FormatUnreadable);
}

// Index in the interleaved stream of codeword k of block b.
int interleavedIndex(int version, int level, int b, int k) {
    const qrdec::DecoderVersionInfo* info = qrdec::decoderVersionInfo(version);
    const qrdec::BlockKind& s = info->firstBlocks[level];
    const int blocks = s.blockCount + info->secondBlocks[level].blockCount;
    const int shortData = s.dataCodewordsPerBlock;
    const int dataLength = b < s.blockCount ? shortData : shortData + 1;
    if (k < shortData) return k * blocks + b;
    if (k < dataLength) return shortData * blocks + (b - s.blockCount);
    return info->dataCodewords[level] + (k - dataLength) * blocks + b;
}

// Flips one module of each chosen codeword (so each is wrong, whatever its value).
void spoilCodewords(BitMatrix& m, int version, const std::vector<int>& indexes, std::mt19937& rng) {
    const auto positions = dataModulePositions(version);
    for (int index : indexes) {
        const auto [x, y] = positions[static_cast<size_t>(8 * index + static_cast<int>(rng() % 8))];
        m.flip(x, y);
    }
}

TEST(SymbolReading, EachBlockCorrectsHalfItsCheckCodewordsAndNeverMore) {
    std::mt19937 rng(2024);
    int refused = 0, luckyRight = 0;
    for (int version : {1, 2, 3, 5, 7, 10, 15, 22, 27, 36, 40}) {
        for (int level = 0; level < 4; ++level) {
            const qrdec::DecoderVersionInfo* info = qrdec::decoderVersionInfo(version);
            const qrdec::BlockKind& s = info->firstBlocks[level];
            const int blocks = s.blockCount + info->secondBlocks[level].blockCount;
            const int capacity = (s.codewordsPerBlock - s.dataCodewordsPerBlock) / 2;
            const std::string text = "v" + std::to_string(version) + "LMQH"[level];
            const BitMatrix clean = symbol(text, level, version);
            for (int extra = 0; extra <= 2; ++extra) {
                BitMatrix m = clean;
                std::vector<int> spoilt;
                for (int b = 0; b < blocks; ++b) {
                    const int length = s.codewordsPerBlock + (b < s.blockCount ? 0 : 1);
                    std::vector<int> ks(static_cast<size_t>(length));
                    for (int k = 0; k < length; ++k) ks[k] = k;
                    std::shuffle(ks.begin(), ks.end(), rng);
                    // `extra` more than the capacity in the last block only.
                    const int count = capacity + (b == blocks - 1 ? extra : 0);
                    for (int i = 0; i < count; ++i) spoilt.push_back(interleavedIndex(version, level, b, ks[i]));
                }
                spoilCodewords(m, version, spoilt, rng);
                const ContentReading r = ContentDecoder::read(m);
                SCOPED_TRACE(std::to_string(version) + "-" + "LMQH"[level] + " +" + std::to_string(extra));
                if (extra == 0) {
                    ASSERT_EQ(r.failure, ReadFailure::None);
                    EXPECT_EQ(r.symbol.textUtf8, text);
                    EXPECT_EQ(r.correctedCodewords, capacity * blocks);
                } else if (r.failure == ReadFailure::None) {
                    ++luckyRight;
                    EXPECT_EQ(r.symbol.textUtf8, text);  // never a wrong text
                } else {
                    ++refused;
                }
            }
        }
    }
    EXPECT_GT(refused, 3 * luckyRight);
}

TEST(SymbolReading, SymbolsOfOtherEncodersInEveryMode) {
    const std::vector<Fixture> list = fixtures("modes/symbols.txt");
    ASSERT_GE(list.size(), 30u);
    for (const Fixture& f : list) {
        // MAKER DESCRIPTION ECI SEQUENCE BYTES TEXT
        SCOPED_TRACE(f.fields[0] + " " + f.fields[1]);
        const ContentReading r = ContentDecoder::read(f.modules);
        ASSERT_EQ(r.failure, ReadFailure::None);
        EXPECT_EQ(r.symbol.eci, std::stoi(f.fields[2]));
        EXPECT_EQ(r.symbol.bytes, fromHex(f.fields[4]));
        EXPECT_EQ(r.symbol.textUtf8, fromHex(f.fields[5]));
        if (f.fields[3] != "-") {
            ASSERT_TRUE(r.symbol.sequence.has_value());
            const StructuredAppend& sa = *r.symbol.sequence;
            EXPECT_EQ(std::to_string(sa.index) + "/" + std::to_string(sa.count) + "/" + std::to_string(sa.parity),
                      f.fields[3]);
        }
    }
}

TEST(SymbolReading, TheProgramsOwnChineseSymbolsWithBytePairsInKanjiMode) {
    const std::vector<Fixture> list = fixtures("legacy/legacy_kanji.txt");
    ASSERT_EQ(list.size(), 8u);
    for (const Fixture& f : list) {
        // "ENCODING LEVEL TEXT" in one field.
        const std::string& header = f.fields[0];
        const std::string text = header.substr(header.find(' ', header.find(' ') + 1) + 1);
        SCOPED_TRACE(header);
        const ContentReading r = ContentDecoder::read(f.modules);
        ASSERT_EQ(r.failure, ReadFailure::None);
        // GBK cannot hold '繁' and friends: the encoder wrote '?' for them, so compare through GBK.
        const std::string expected = header.rfind("gb2312", 0) == 0
            ? platform::utf16ToUtf8(platform::multiByteToWide(936, platform::wideToMultiByte(936, platform::utf8ToUtf16(text), false)))
            : text;
        EXPECT_EQ(r.symbol.textUtf8, expected + std::string(1, '\0'));
        EXPECT_EQ(platform::utf16ToUtf8(shownText(r.symbol)), expected);
    }
}

// Texts in Shift JIS, GBK, ISO-8859-1 and UTF-8 in byte mode without an ECI designator, each
// read in its own character set.
TEST(SymbolReading, ByteDataWithoutEciInItsOwnCharacterSet) {
    const std::vector<Fixture> list = fixtures("charsets/symbols.txt");
    ASSERT_GE(list.size(), 100u);
    const std::map<std::string, std::string> names = {
        {"ja", "Shift_JIS"}, {"zh", "GBK"}, {"latin", "ISO-8859-1"}, {"utf8", "UTF-8"}};
    for (const Fixture& f : list) {
        // MAKER LANGUAGE BYTES TEXT
        const std::string text = fromHex(f.fields[3]);
        SCOPED_TRACE(f.fields[1] + " " + text);
        const ContentReading r = ContentDecoder::read(f.modules);
        ASSERT_EQ(r.failure, ReadFailure::None);
        EXPECT_EQ(r.symbol.bytes, fromHex(f.fields[2]));
        EXPECT_EQ(r.symbol.textUtf8, text);
        ASSERT_NE(r.symbol.charset, nullptr);
        EXPECT_EQ(r.symbol.charset, names.at(f.fields[1]));
    }
}

// Only the one zero byte that closes the data is dropped; a zero inside the data is shown.
TEST(SymbolReading, ShownTextDropsOnlyTheClosingZero) {
    DecodedSymbol s;
    s.bytes = std::string("a\0b\0", 4);
    s.text = std::u16string(u"a\0b\0", 4);
    EXPECT_EQ(shownText(s), std::u16string_view(u"a\0b", 3));
}

// A symbol made by libqrencode from an input it builds.
BitMatrix libqrencodeSymbol(QRinput* input) {
    QRcode* code = QRcode_encodeInput(input);
    QRinput_free(input);
    if (code == nullptr) return BitMatrix();
    BitMatrix m(code->width, code->width);
    for (int y = 0; y < code->width; ++y)
        for (int x = 0; x < code->width; ++x) m.set(x, y, (code->data[y * code->width + x] & 1) != 0);
    QRcode_free(code);
    return m;
}

QRinput* inputWith(QRencodeMode mode, const std::string& data, QRinput* input = QRinput_new2(0, QR_ECLEVEL_M)) {
    QRinput_append(input, mode, static_cast<int>(data.size()), reinterpret_cast<const unsigned char*>(data.data()));
    return input;
}

// FNC1 in second position and ECI designators that segno and zint do not write. (libqrencode
// 4.1 fails on FNC1 in first position; zint's GS1 fixture covers it.)
TEST(SymbolReading, Fnc1AndEciFromLibqrencode) {
    QRinput* aim = QRinput_new2(0, QR_ECLEVEL_Q);
    QRinput_setFNC1Second(aim, 37);
    const ContentReading second = ContentDecoder::read(libqrencodeSymbol(inputWith(QR_MODE_8, "AIM data", aim)));
    ASSERT_EQ(second.failure, ReadFailure::None);
    EXPECT_EQ(second.symbol.fnc1, Fnc1::Aim);
    EXPECT_EQ(second.symbol.textUtf8, "37AIM data");

    // ECI 1 is ISO-8859-1; an unknown designator keeps the bytes and says which it was.
    // (libqrencode 4.1 writes three-byte designators wrongly: the hand-made streams cover them.)
    QRinput* latin = QRinput_new2(0, QR_ECLEVEL_L);
    QRinput_appendECIheader(latin, 1);
    const ContentReading eci1 = ContentDecoder::read(libqrencodeSymbol(inputWith(QR_MODE_8, "caf\xE9", latin)));
    ASSERT_EQ(eci1.failure, ReadFailure::None);
    EXPECT_EQ(eci1.symbol.textUtf8, "caf\xC3\xA9");
    QRinput* unknown = QRinput_new2(0, QR_ECLEVEL_L);
    QRinput_appendECIheader(unknown, 811);
    const ContentReading eciUnknown = ContentDecoder::read(libqrencodeSymbol(inputWith(QR_MODE_8, "raw", unknown)));
    ASSERT_EQ(eciUnknown.failure, ReadFailure::None);
    EXPECT_EQ(eciUnknown.symbol.eci, 811);
    EXPECT_EQ(eciUnknown.symbol.bytes, "raw");
}

}  // namespace
