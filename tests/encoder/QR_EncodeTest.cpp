// Stage-by-stage tests of CQREncoder against values fixed by the QR Code standard.
#include "encoder/QR_Encode.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "encoder/QR_EncodeTables.h"
#include "tests/encoder/AllocationCounter.h"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes bytesOf(const std::string& s) { return Bytes(s.begin(), s.end()); }

// The encoder is large (version-40 working storage); keep it off the stack.
std::unique_ptr<CQREncoder> makeEncoder() { return std::make_unique<CQREncoder>(); }

struct Segment {
    int mode;
    int length;
    bool operator==(const Segment&) const = default;
};

using Encoding = CQREncoder::TextEncoding;

std::vector<Segment> segmentsOf(const Bytes& source, int group, Encoding encoding = Encoding::Utf8) {
    auto e = makeEncoder();
    e->ecLevel = 0;
    e->textEncoding = encoding;
    EXPECT_EQ(e->segmentAndPack(source.data(), static_cast<int>(source.size()), group), 1);
    std::vector<Segment> out;
    for (int i = 0; i < e->segmentCount; ++i) out.push_back({e->segmentModes[i], e->segmentLengths[i]});
    return out;
}

int readBits(const CQREncoder& e, int position, int count) {
    int v = 0;
    for (int k = 0; k < count; ++k) {
        const int q = position + k;
        v = v << 1 | ((e.dataStream[q / 8] >> (7 - q % 8)) & 1);
    }
    return v;
}

int encodeOk(CQREncoder& e, int level, int version, int autoExtend, int mask, const Bytes& data) {
    return e.encode(level, version, autoExtend, mask, data.data(), static_cast<int>(data.size()));
}

constexpr int N = CQREncoder::kModeNumeric;
constexpr int A = CQREncoder::kModeAlphanumeric;
constexpr int B = CQREncoder::kModeByte;
constexpr int K = CQREncoder::kModeKanji;

// ---------------------------------------------------------------------------------------------

TEST(EncoderTables, BlocksAddUpForEveryVersionAndLevel) {
    for (int v = 1; v <= 40; ++v) {
        const auto& row = qrenc::kVersionTable[v];
        EXPECT_EQ(row.version, v);
        for (int l = 0; l < 4; ++l) {
            const auto& k1 = row.blockInfo1[l];
            const auto& k2 = row.blockInfo2[l];
            EXPECT_EQ(k1.blockCount * k1.codewordsPerBlock + k2.blockCount * k2.codewordsPerBlock, row.totalCodewords) << v;
            EXPECT_EQ(k1.blockCount * k1.dataCodewordsPerBlock + k2.blockCount * k2.dataCodewordsPerBlock,
                      row.dataCodewords[l]) << v;
            const int e = k1.codewordsPerBlock - k1.dataCodewordsPerBlock;
            EXPECT_GE(e, 7);
            EXPECT_LE(e, 30);
            EXPECT_TRUE(qrenc::kGenerators.present[e]);
            if (k2.blockCount) {
                EXPECT_EQ(k2.codewordsPerBlock - k2.dataCodewordsPerBlock, e);
                EXPECT_EQ(k2.dataCodewordsPerBlock, k1.dataCodewordsPerBlock + 1);
            }
            EXPECT_LE(std::max(k1.codewordsPerBlock, k2.codewordsPerBlock), 153);
        }
        // Codeword total = data modules / 8: side^2 minus function patterns.
        const int side = 4 * v + 17;
        const int align = row.alignCount == 0 ? 0 : (row.alignCount + 1) * (row.alignCount + 1) - 3;
        const int functionModules = 3 * 64 + 2 * (side - 16) + 31 + (v >= 7 ? 36 : 0) + 25 * align -
                                    (row.alignCount == 0 ? 0 : 10 * (row.alignCount - 1));
        EXPECT_EQ(row.totalCodewords, (side * side - functionModules) / 8) << v;
    }
}

TEST(EncoderTables, GaloisFieldAndGenerators) {
    EXPECT_EQ(qrenc::kGalois.power[8], 0x1D);
    EXPECT_EQ(qrenc::kGalois.power[255], 1);
    for (int v = 1; v < 256; ++v) EXPECT_EQ(qrenc::kGalois.power[qrenc::kGalois.log[v]], v);
    // g(x) of degree 7, as logarithms of the coefficients of x^6 .. x^0.
    const uint8_t degree7[7] = {87, 229, 146, 149, 238, 102, 21};
    for (int j = 0; j < 7; ++j) EXPECT_EQ(qrenc::kGenerators.logCoefficients[7][j], degree7[j]);
    EXPECT_TRUE(qrenc::kGenerators.present[68]);
}

// ---------------------------------------------------------------------------------------------

TEST(EncoderClasses, CharacterClassesAndValues) {
    EXPECT_TRUE(CQREncoder::isAlphanumeric(' '));
    EXPECT_TRUE(CQREncoder::isAlphanumeric(':'));
    EXPECT_FALSE(CQREncoder::isAlphanumeric('a'));
    EXPECT_FALSE(CQREncoder::isAlphanumeric('#'));
    EXPECT_EQ(CQREncoder::alphanumericValue('Z'), 35);
    EXPECT_EQ(CQREncoder::alphanumericValue(' '), 36);
    EXPECT_EQ(CQREncoder::alphanumericValue(':'), 44);
    EXPECT_EQ(CQREncoder::kanjiValue(0x935F), 3487);
    EXPECT_EQ(CQREncoder::kanjiValue(0xE4AA), 6826);
    EXPECT_TRUE(CQREncoder::isKanjiPair(0x9F, 0xFC));
    EXPECT_FALSE(CQREncoder::isKanjiPair(0x9F, 0xFD));
    EXPECT_TRUE(CQREncoder::isKanjiPair(0x81, 0x7F));  // only the byte ranges are checked
    EXPECT_TRUE(CQREncoder::isKanjiPair(0xEB, 0xBF));
    EXPECT_FALSE(CQREncoder::isKanjiPair(0xEB, 0xC0));
    EXPECT_FALSE(CQREncoder::isKanjiPair(0xA0, 0xA1));
    EXPECT_FALSE(CQREncoder::isKanjiPair(0x81, 0x3F));
}

TEST(EncoderSegmentation, ExamplesFromTheStandardsCostRules) {
    EXPECT_EQ(segmentsOf(bytesOf("123"), 0), (std::vector<Segment>{{N, 3}}));
    EXPECT_EQ(CQREncoder::segmentBitLength(N, 3, 0), 24);
    // A1: 19 + 18 bits apart, 24 together.
    EXPECT_EQ(segmentsOf(bytesOf("A1"), 0), (std::vector<Segment>{{A, 2}}));
    // abc123: 36 + 24 = 60 bits apart, 60 as one 8-bit segment: equal costs stay apart.
    EXPECT_EQ(segmentsOf(bytesOf("abc123"), 0), (std::vector<Segment>{{B, 3}, {N, 3}}));
    // With a trailing zero byte the digits sit between 8-bit segments and are absorbed.
    Bytes withNul = bytesOf("abc123");
    withNul.push_back(0);
    EXPECT_EQ(segmentsOf(withNul, 0), (std::vector<Segment>{{B, 7}}));
    EXPECT_EQ(segmentsOf(Bytes{0x93, 0x5F}, 0, Encoding::ShiftJis), (std::vector<Segment>{{K, 2}}));
    EXPECT_EQ(segmentsOf(Bytes{0xEB, 0xC0}, 0, Encoding::ShiftJis), (std::vector<Segment>{{B, 2}}));
    // A lone possible lead byte at the end is a single 8-bit byte.
    EXPECT_EQ(segmentsOf(Bytes{'a', 0x93}, 0, Encoding::ShiftJis), (std::vector<Segment>{{B, 2}}));
    EXPECT_EQ(segmentsOf(bytesOf("abc"), 0), (std::vector<Segment>{{B, 3}}));
}

TEST(EncoderSegmentation, KanjiRunBetweenBytesIsAbsorbedBelowEightPairs) {
    for (int pairs = 1; pairs <= 10; ++pairs) {
        Bytes source = bytesOf("ab");
        for (int k = 0; k < pairs; ++k) {
            source.push_back(0x93);
            source.push_back(0x5F);
        }
        source.push_back('c');
        const auto segments = segmentsOf(source, 0, Encoding::ShiftJis);
        if (pairs < 8) {
            EXPECT_EQ(segments, (std::vector<Segment>{{B, 3 + 2 * pairs}})) << pairs;
        } else {
            EXPECT_EQ(segments, (std::vector<Segment>{{B, 2}, {K, 2 * pairs}, {B, 1}})) << pairs;
        }
    }
}

// Kanji mode means Shift JIS to every reader: GBK and UTF-8 text never uses it, and a GBK or
// Shift JIS character whose second byte is a capital letter is never split from its first.
TEST(EncoderSegmentation, KanjiOnlyForShiftJisAndCharactersStayWhole) {
    const Bytes utf8 = bytesOf("同名后向南同名后向南勝同名");  // full of byte pairs in the kanji range
    const Bytes gbk = {0xCD, 0xAC, 0xC3, 0xFB, 0xBA, 0xF3, 0xCF, 0xF2, 0xC4, 0xCF, 0xCD, 0xAC, 0xC3, 0xFB};
    EXPECT_EQ(segmentsOf(utf8, 0), (std::vector<Segment>{{B, static_cast<int>(utf8.size())}}));
    EXPECT_EQ(segmentsOf(gbk, 0, Encoding::Gbk), (std::vector<Segment>{{B, static_cast<int>(gbk.size())}}));
    // 學 is 8C 57 in GBK ("W" second), then capitals enough for an alphanumeric segment.
    Bytes study = {0x8C, 0x57};
    const Bytes capitals = bytesOf("ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    study.insert(study.end(), capitals.begin(), capitals.end());
    EXPECT_EQ(segmentsOf(study, 0, Encoding::Gbk), (std::vector<Segment>{{B, 2}, {A, 26}}));
    // F0 41 is a Shift JIS user character outside the kanji range: a whole 8-bit pair.
    Bytes user = {0xF0, 0x41};
    user.insert(user.end(), capitals.begin(), capitals.end());
    EXPECT_EQ(segmentsOf(user, 0, Encoding::ShiftJis), (std::vector<Segment>{{B, 2}, {A, 26}}));
}

TEST(EncoderSegmentation, MergesChooseTheCheaperNeighbour) {
    // Digits after letters in 8-bit, then capitals: joining the digits to the front 8-bit
    // segment costs less than a separate alphanumeric run.
    const auto segments = segmentsOf(bytesOf("hello12AB"), 0);
    int total = 0;
    for (const Segment& s : segments) total += s.length;
    EXPECT_EQ(total, 9);
    // Whatever the merges did, the packed stream length equals the sum of segment costs.
    auto e = makeEncoder();
    e->ecLevel = 0;
    const Bytes source = bytesOf("hello12AB");
    ASSERT_EQ(e->segmentAndPack(source.data(), static_cast<int>(source.size()), 0), 1);
    int bits = 0;
    for (int i = 0; i < e->segmentCount; ++i) bits += CQREncoder::segmentBitLength(e->segmentModes[i], e->segmentLengths[i], 0);
    EXPECT_EQ(e->dataBitCount, bits);
}

TEST(EncoderSegmentation, LongAlternatingInputStaysInsideTheSegmentArrays) {
    // 4000 alternating digits and capitals: 4000 segments before merging, one after.
    std::string text;
    for (int i = 0; i < 2000; ++i) text += "1A";
    auto e = makeEncoder();
    ASSERT_EQ(encodeOk(*e, 0, 0, 1, -1, bytesOf(text)), 1);
    EXPECT_EQ(e->version, 39);  // 22017 bits: 2753 codewords
    EXPECT_EQ(e->segmentCount, 1);
    EXPECT_EQ(e->segmentModes[0], A);
    // The longest source any symbol can hold: 7089 alternating digits and spaces would need
    // 7089 segments before merging; it does not fit, and fails cleanly.
    std::string alternating;
    for (int i = 0; i < CQREncoder::kMaxSourceLength; ++i) alternating += (i % 2) ? 'a' : '1';
    EXPECT_EQ(encodeOk(*e, 0, 0, 1, -1, bytesOf(alternating)), 0);
    EXPECT_EQ(encodeOk(*e, 0, 0, 1, -1, Bytes(CQREncoder::kMaxSourceLength + 1, '1')), 0);
    EXPECT_EQ(encodeOk(*e, 0, 0, 1, -1, Bytes(CQREncoder::kMaxSourceLength, '1')), 1);
    EXPECT_EQ(e->version, 40);
}

TEST(EncoderBitStream, AppendBitsBoundsAndPacking) {
    auto e = makeEncoder();
    std::memset(e->dataStream, 0, sizeof e->dataStream);
    int pos = e->appendBits(0, 0x1, 4);
    pos = e->appendBits(pos, 0x3FF, 10);
    pos = e->appendBits(pos, 0xABCD, 16);
    EXPECT_EQ(pos, 30);
    EXPECT_EQ(readBits(*e, 0, 4), 1);
    EXPECT_EQ(readBits(*e, 4, 10), 0x3FF);
    EXPECT_EQ(readBits(*e, 14, 16), 0xABCD);
    EXPECT_EQ(e->appendBits(CQREncoder::kMaxDataBits - 8, 0xFF, 8), CQREncoder::kMaxDataBits);
    EXPECT_EQ(e->appendBits(CQREncoder::kMaxDataBits - 7, 0xFF, 8), -1);
    EXPECT_EQ(e->appendBits(-1, 1, 1), -1);
    EXPECT_EQ(e->dataStream[CQREncoder::kMaxDataBytes - 1], 0xFF);
}

// ---------------------------------------------------------------------------------------------

TEST(EncoderCodewords, IsoExampleAtLevelM) {
    auto e = makeEncoder();
    ASSERT_EQ(encodeOk(*e, 1, 0, 1, -1, bytesOf("01234567")), 1);
    EXPECT_EQ(e->version, 1);
    EXPECT_EQ(e->side, 21);
    const Bytes expected = {0x10, 0x20, 0x0C, 0x56, 0x61, 0x80, 0xEC, 0x11, 0xEC, 0x11, 0xEC, 0x11, 0xEC,
                            0x11, 0xEC, 0x11, 0xA5, 0x24, 0xD4, 0xC1, 0xED, 0x36, 0xC7, 0x87, 0x2C, 0x55};
    EXPECT_EQ(Bytes(e->allCodewords, e->allCodewords + 26), expected);
}

TEST(EncoderCodewords, TerminatorOnlyWhereThereIsRoom) {
    // Version 1-L holds 19 data codewords: 17 bytes take 4 + 8 + 136 = 148 bits, leaving 4:
    // exactly four terminator bits and no pad codeword.
    auto e = makeEncoder();
    ASSERT_EQ(encodeOk(*e, 0, 1, 0, -1, Bytes(17, 'x')), 1);
    EXPECT_EQ(e->dataBitCount, 152);
    EXPECT_EQ(e->allCodewords[18], 'x' << 4 & 0xF0);
    // 18 bytes do not fit version 1-L (156 bits > 152).
    EXPECT_EQ(encodeOk(*e, 0, 1, 0, -1, Bytes(18, 'x')), 0);
    // 16 bytes leave 12 bits: 4 terminator bits, then one pad codeword 0xEC.
    ASSERT_EQ(encodeOk(*e, 0, 1, 0, -1, Bytes(16, 'x')), 1);
    EXPECT_EQ(e->dataStream[18], 0xEC);
}

TEST(EncoderCodewords, InterleavingOfVersion5Q) {
    auto e = makeEncoder();
    Bytes data(60, 0);
    for (int i = 0; i < 60; ++i) data[i] = static_cast<unsigned char>('a' + i % 26);
    ASSERT_EQ(encodeOk(*e, 2, 5, 0, -1, data), 1);
    // 2 blocks of 15 and 2 of 16 data codewords: the long blocks' 16th codewords come last.
    EXPECT_EQ(e->allCodewords[60], e->dataStream[15 + 15 + 15]);
    EXPECT_EQ(e->allCodewords[61], e->dataStream[15 + 15 + 16 + 15]);
    EXPECT_EQ(e->allCodewords[0], e->dataStream[0]);
    EXPECT_EQ(e->allCodewords[1], e->dataStream[15]);
    EXPECT_EQ(e->allCodewords[2], e->dataStream[30]);
    EXPECT_EQ(e->allCodewords[3], e->dataStream[46]);
    // Check codewords start at 62: codeword 0 of block 0's check bytes.
    unsigned char work[153] = {};
    std::memcpy(work, e->dataStream, 15);
    CQREncoder::computeEcCodewords(work, 15, 18);
    EXPECT_EQ(e->allCodewords[62], work[0]);
    EXPECT_EQ(e->allCodewords[62 + 4], work[1]);
}

TEST(EncoderCodewords, ZeroBlockHasZeroCheckCodewords) {
    unsigned char work[153] = {};
    work[30] = 0x55;  // beyond d + e: never read
    CQREncoder::computeEcCodewords(work, 10, 20);
    for (int i = 0; i < 20; ++i) EXPECT_EQ(work[i], 0);
}

// ---------------------------------------------------------------------------------------------

TEST(EncoderVersion, CapacityAtVersion40L) {
    auto e = makeEncoder();
    EXPECT_EQ(encodeOk(*e, 0, 0, 1, -1, Bytes(2953, 'a')), 1);
    EXPECT_EQ(e->version, 40);
    EXPECT_EQ(encodeOk(*e, 0, 0, 1, -1, Bytes(2954, 'a')), 0);
    EXPECT_EQ(encodeOk(*e, 0, 0, 1, -1, Bytes(2956, 'a')), 0);
}

TEST(EncoderVersion, RequestedVersionRules) {
    auto e = makeEncoder();
    ASSERT_EQ(encodeOk(*e, 0, 0, 1, -1, bytesOf("1")), 1);
    EXPECT_EQ(e->version, 1);
    EXPECT_EQ(e->side, 21);
    // Version 12 with one byte: the search starts in the 10-26 group, finds 10, keeps 12.
    EXPECT_EQ(e->chooseVersion(12, reinterpret_cast<const unsigned char*>("1"), 1), 10);
    ASSERT_EQ(encodeOk(*e, 0, 12, 0, -1, bytesOf("1")), 1);
    EXPECT_EQ(e->version, 12);
    ASSERT_EQ(encodeOk(*e, 0, 40, 0, -1, bytesOf("1")), 1);
    EXPECT_EQ(e->version, 40);
    EXPECT_EQ(e->side, 177);
    // Too small a request fails without automatic extension and grows with it.
    const Bytes hundred(100, 'z');
    EXPECT_EQ(encodeOk(*e, 3, 5, 0, -1, hundred), 0);
    ASSERT_EQ(encodeOk(*e, 3, 5, 1, -1, hundred), 1);
    EXPECT_EQ(e->version, 10);  // 9-H holds 93 data codewords; 10-H holds 119
}

TEST(EncoderVersion, FailuresSayWhy) {
    using F = CQREncoder::Failure;
    auto e = makeEncoder();
    EXPECT_EQ(e->encode(0, 0, 1, -1, nullptr, 0), 0);
    EXPECT_EQ(e->failure.kind, F::EmptyInput);
    EXPECT_EQ(e->describeFailure(), "no data to encode");
    EXPECT_EQ(encodeOk(*e, 3, 0, 1, -1, Bytes(3000, 'a')), 0);
    EXPECT_EQ(e->failure.kind, F::TooLong);
    // 4 + 16 + 3000 x 8 bits: 3003 codewords; 40-H holds 1276.
    EXPECT_EQ(e->describeFailure(),
              "data too long for version 40 at level H: 3000 bytes need 3003 data codewords, the symbol holds 1276");
    EXPECT_EQ(encodeOk(*e, 0, 2, 0, -1, Bytes(40, 'a')), 0);
    EXPECT_EQ(e->failure.kind, F::VersionTooSmall);
    EXPECT_EQ(e->describeFailure(), "data too long for version 2 at level L: 40 bytes need 42 data codewords, the "
                                    "symbol holds 34; version 3 is the smallest that fits");
    EXPECT_EQ(encodeOk(*e, 0, 0, 1, -1, Bytes(CQREncoder::kMaxSourceLength + 1, '1')), 0);
    EXPECT_EQ(e->describeFailure(),
              "data too long for version 40 at level L: 7090 bytes, more than any symbol holds (7089 digits at most)");
    EXPECT_EQ(encodeOk(*e, 4, 0, 1, -1, bytesOf("x")), 0);
    EXPECT_EQ(e->failure.kind, F::InvalidArgument);
    ASSERT_EQ(encodeOk(*e, 0, 0, 1, -1, bytesOf("x")), 1);
    EXPECT_EQ(e->describeFailure(), "");
}

TEST(EncoderVersion, EncodeAllocatesNothing) {
    auto e = makeEncoder();
    const Bytes big(2900, 'q');
    const Bytes mixed = bytesOf("HTTP://EXAMPLE.ORG/ 0123456789 abc \x93\x5F");
    const long before = testsupport::allocationCount();
    EXPECT_EQ(encodeOk(*e, 0, 0, 1, -1, big), 1);
    EXPECT_EQ(encodeOk(*e, 3, 0, 1, -1, mixed), 1);
    EXPECT_EQ(testsupport::allocationCount(), before);
}

TEST(EncoderVersion, ArgumentsOutOfRangeAreRefused) {
    auto e = makeEncoder();
    const Bytes data = bytesOf("x");
    EXPECT_EQ(encodeOk(*e, -1, 0, 1, -1, data), 0);
    EXPECT_EQ(encodeOk(*e, 4, 0, 1, -1, data), 0);
    EXPECT_EQ(encodeOk(*e, 0, -1, 1, -1, data), 0);
    EXPECT_EQ(encodeOk(*e, 0, 41, 1, -1, data), 0);
    EXPECT_EQ(encodeOk(*e, 0, 0, 1, -2, data), 0);
    EXPECT_EQ(encodeOk(*e, 0, 0, 1, 8, data), 0);
    EXPECT_EQ(e->encode(0, 0, 1, -1, nullptr, 5), 0);
    EXPECT_EQ(e->encode(0, 0, 1, -1, data.data(), -1), 0);
    EXPECT_EQ(e->encode(0, 0, 1, -1, data.data(), 0), 0);
    EXPECT_EQ(e->encode(0, 0, 1, -1, nullptr, 0), 0);
}

// ---------------------------------------------------------------------------------------------

// The 15 format bits read back from the first copy.
int readFormatFirstCopy(const CQREncoder& e) {
    int value = 0;
    for (int k = 0; k < 15; ++k) {
        int x, y;
        if (k <= 5) { x = 8; y = k; }
        else if (k == 6) { x = 8; y = 7; }
        else if (k == 7) { x = 8; y = 8; }
        else if (k == 8) { x = 7; y = 8; }
        else { x = 14 - k; y = 8; }
        value |= (e.modules[x][y] & 1) << k;
    }
    return value;
}

int readFormatSecondCopy(const CQREncoder& e) {
    int value = 0;
    const int s = e.side;
    for (int k = 0; k < 15; ++k) {
        int x, y;
        if (k <= 7) { x = s - 1 - k; y = 8; }
        else { x = 8; y = s - 15 + k; }
        value |= (e.modules[x][y] & 1) << k;
    }
    return value;
}

TEST(EncoderMatrix, FormatInformation) {
    auto e = makeEncoder();
    ASSERT_EQ(encodeOk(*e, 0, 1, 0, 0, bytesOf("hello")), 1);
    EXPECT_EQ(readFormatFirstCopy(*e), 0x77C4);
    EXPECT_EQ(readFormatSecondCopy(*e), 0x77C4);
    ASSERT_EQ(encodeOk(*e, 1, 3, 0, 5, bytesOf("hello")), 1);
    EXPECT_EQ(readFormatFirstCopy(*e), 0b100000011001110);
    EXPECT_EQ(readFormatSecondCopy(*e), 0b100000011001110);
    EXPECT_EQ(e->maskPattern, 5);
}

TEST(EncoderMatrix, VersionInformation) {
    auto e = makeEncoder();
    ASSERT_EQ(encodeOk(*e, 0, 7, 0, -1, bytesOf("hello")), 1);
    const int s = e->side;
    int lowerLeft = 0, upperRight = 0;
    for (int k = 0; k < 18; ++k) {
        lowerLeft |= e->modules[k / 3][s - 11 + k % 3] << k;
        upperRight |= e->modules[s - 11 + k % 3][k / 3] << k;
    }
    EXPECT_EQ(lowerLeft, 0x07C94);
    EXPECT_EQ(upperRight, 0x07C94);
}

TEST(EncoderMatrix, FunctionPatternsAndFinishedForm) {
    auto e = makeEncoder();
    ASSERT_EQ(encodeOk(*e, 2, 2, 0, -1, bytesOf("function")), 1);
    const int s = e->side;
    ASSERT_EQ(s, 25);
    // The only alignment pattern of version 2 is centred at (18, 18).
    EXPECT_EQ(e->modules[18][18], 1);
    EXPECT_EQ(e->modules[17][18], 0);
    EXPECT_EQ(e->modules[16][16], 1);
    EXPECT_EQ(e->modules[8][s - 8], 1);  // the dark module
    for (int i = 8; i <= s - 9; ++i) {
        EXPECT_EQ(e->modules[i][6], i % 2 == 0 ? 1 : 0);
        EXPECT_EQ(e->modules[6][i], i % 2 == 0 ? 1 : 0);
    }
    for (int x = 0; x < s; ++x)
        for (int y = 0; y < s; ++y) ASSERT_LE(e->modules[x][y], 1);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 7; ++x) {
            const bool ring = x == 0 || x == 6 || y == 0 || y == 6;
            const bool core = x >= 2 && x <= 4 && y >= 2 && y <= 4;
            EXPECT_EQ(e->modules[x][y], ring || core ? 1 : 0);
            EXPECT_EQ(e->modules[s - 7 + x][y], ring || core ? 1 : 0);
            EXPECT_EQ(e->modules[x][s - 7 + y], ring || core ? 1 : 0);
        }
}

TEST(EncoderMatrix, AutomaticMaskHasTheLowestPenaltyFirstOnTies) {
    const Bytes data = bytesOf("Automatic mask selection test 0123456789");
    for (int level = 0; level < 4; ++level) {
        auto automatic = makeEncoder();
        ASSERT_EQ(encodeOk(*automatic, level, 0, 1, -1, data), 1);
        // Rebuild the state of each pattern and score it the way the search does.
        auto probe = makeEncoder();
        ASSERT_EQ(encodeOk(*probe, level, 0, 1, 0, data), 1);
        std::memset(probe->modules, 0, sizeof probe->modules);
        probe->placeFunctionPatterns();
        probe->placeCodewords();
        int best = -1, bestScore = 0;
        for (int p = 0; p < 8; ++p) {
            probe->applyMask(p);
            probe->placeFormatInfo(p);
            const int score = probe->maskPenalty();
            if (best < 0 || score < bestScore) {
                best = p;
                bestScore = score;
            }
        }
        EXPECT_EQ(automatic->maskPattern, best) << level;
    }
}

// The four penalty rules read literally, module by module, as a reference for the run-based
// scoring of the encoder.
int literalPenalty(const CQREncoder& e) {
    const int s = e.side;
    auto darkAt = [&](bool columns, int line, int j) {
        const int x = columns ? line : j, y = columns ? j : line;
        return (e.modules[x][y] & 0x11) != 0;
    };
    auto lightAt = [&](bool columns, int line, int j) { return j < 0 || j >= s || !darkAt(columns, line, j); };
    int penalty = 0;
    for (int pass = 0; pass < 2; ++pass) {
        const bool columns = pass == 0;
        for (int line = 0; line < s; ++line) {
            for (int j = 0; j < s - 4;) {
                int count = 1;
                while (j + count < s && darkAt(columns, line, j + count) == darkAt(columns, line, j)) ++count;
                if (count >= 5) penalty += count - 2;
                j += count;
            }
            static const bool kFinder[7] = {true, false, true, true, true, false, true};
            for (int j = 0; j <= s - 7; ++j) {
                bool match = true;
                for (int k = 0; k < 7; ++k) match = match && darkAt(columns, line, j + k) == kFinder[k];
                if (!match || !lightAt(columns, line, j - 1) || !lightAt(columns, line, j + 7)) continue;
                const bool before = lightAt(columns, line, j - 2) && lightAt(columns, line, j - 3) && lightAt(columns, line, j - 4);
                const bool after = lightAt(columns, line, j + 8) && lightAt(columns, line, j + 9) && lightAt(columns, line, j + 10);
                if (before || after) penalty += 40;
            }
        }
    }
    for (int x = 0; x + 1 < s; ++x)
        for (int y = 0; y + 1 < s; ++y) {
            const bool d = darkAt(true, x, y);
            if (darkAt(true, x + 1, y) == d && darkAt(true, x, y + 1) == d && darkAt(true, x + 1, y + 1) == d) penalty += 3;
        }
    int light = 0;
    for (int x = 0; x < s; ++x)
        for (int y = 0; y < s; ++y) light += darkAt(true, x, y) ? 0 : 1;
    const int percent = light * 100 / (s * s);
    penalty += (std::abs(50 - percent) / 5) * 10;
    return penalty;
}

TEST(EncoderMatrix, PenaltyMatchesTheLiteralRules) {
    auto e = makeEncoder();
    e->side = 21;
    std::memset(e->modules, 0, sizeof e->modules);
    // All light: a run of 21 in each of 42 lines, 400 blocks, 100% light.
    EXPECT_EQ(e->maskPenalty(), 42 * 19 + 400 * 3 + 100);
    EXPECT_EQ(literalPenalty(*e), e->maskPenalty());

    // Finder-like rows at the edges and in the middle, with and without their light margins.
    const int pattern[7] = {1, 0, 1, 1, 1, 0, 1};
    for (int start : {0, 3, 7, 14}) {
        std::memset(e->modules, 0, sizeof e->modules);
        for (int k = 0; k < 7; ++k) e->modules[start + k][10] = pattern[k] ? 0x30 : 0x20;
        EXPECT_EQ(e->maskPenalty(), literalPenalty(*e)) << start;
    }

    // Random matrices of several sizes and densities, and real symbols under every mask.
    uint32_t seed = 12345;
    auto next = [&] { return seed = seed * 1103515245u + 12345u; };
    for (int round = 0; round < 60; ++round) {
        e->side = 21 + 4 * (round % 10);
        const uint32_t density = 20 + round % 60;
        for (int x = 0; x < e->side; ++x)
            for (int y = 0; y < e->side; ++y) e->modules[x][y] = (next() >> 16) % 100 < density ? 0x02 | 0x01 : 0;
        ASSERT_EQ(e->maskPenalty(), literalPenalty(*e)) << round;
    }
    auto symbol = makeEncoder();
    ASSERT_EQ(encodeOk(*symbol, 1, 8, 0, 0, bytesOf("penalty reference")), 1);
    std::memset(symbol->modules, 0, sizeof symbol->modules);
    symbol->placeFunctionPatterns();
    symbol->placeCodewords();
    for (int p = 0; p < 8; ++p) {
        symbol->applyMask(p);
        symbol->placeFormatInfo(p);
        EXPECT_EQ(symbol->maskPenalty(), literalPenalty(*symbol)) << p;
    }
}

TEST(EncoderMatrix, FixedMaskIsUsedAsGiven) {
    auto e = makeEncoder();
    for (int mask = 0; mask < 8; ++mask) {
        ASSERT_EQ(encodeOk(*e, 1, 4, 0, mask, bytesOf("fixed mask")), 1);
        EXPECT_EQ(e->maskPattern, mask);
        // Level M has the indicator 00, so the five data bits are the mask number.
        EXPECT_EQ((readFormatFirstCopy(*e) ^ 0x5412) >> 10, mask);
    }
}

}  // namespace
