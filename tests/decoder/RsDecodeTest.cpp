// Reed-Solomon block correction: capacity P / 2 for P check codewords, failures leave the block
// untouched, and nothing beyond the capacity passes as corrected unless it is a code word.
#include "decoder/RsDecode.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <vector>

#include "decoder/Galois.h"
#include "encoder/QR_Encode.h"

namespace {

using Block = std::vector<uint8_t>;

// A valid block: `dataLength` random data codewords followed by `ecLength` check codewords made
// by the encoder.
Block makeBlock(int dataLength, int ecLength, std::mt19937& rng) {
    std::vector<unsigned char> work(static_cast<size_t>(dataLength + ecLength), 0);
    for (int i = 0; i < dataLength; ++i) work[i] = static_cast<unsigned char>(rng() & 0xFF);
    Block block(work.begin(), work.begin() + dataLength);
    CQREncoder::computeEcCodewords(work.data(), dataLength, ecLength);
    block.insert(block.end(), work.begin(), work.begin() + ecLength);
    return block;
}

// Changes `count` distinct bytes of the block to different values.
Block damage(Block block, int count, std::mt19937& rng) {
    std::vector<int> positions(block.size());
    std::iota(positions.begin(), positions.end(), 0);
    std::shuffle(positions.begin(), positions.end(), rng);
    for (int k = 0; k < count; ++k) block[positions[k]] ^= static_cast<uint8_t>(1 + rng() % 255);
    return block;
}

TEST(RsDecode, CleanBlockReportsNoErrorAndStaysUnchanged) {
    std::mt19937 rng(1);
    const Block clean = makeBlock(72, 26, rng);
    Block b = clean;
    EXPECT_EQ(RsDecode(26).correct(b.data(), static_cast<int>(b.size())), 0);
    EXPECT_EQ(b, clean);
}

TEST(RsDecode, TwentySixCheckCodewordsCorrectUpToThirteenErrorsAnywhere) {
    std::mt19937 rng(2);
    for (int trial = 0; trial < 260; ++trial) {
        const Block clean = makeBlock(72, 26, rng);
        const int errors = 1 + trial % 13;
        Block b = damage(clean, errors, rng);
        ASSERT_EQ(RsDecode(26).correct(b.data(), static_cast<int>(b.size())), errors) << "trial " << trial;
        ASSERT_EQ(b, clean) << "trial " << trial;
    }
}

TEST(RsDecode, TwentySixCheckCodewordsRefuseFourteenToSixteenErrorsAndLeaveTheBlock) {
    std::mt19937 rng(3);
    for (int trial = 0; trial < 300; ++trial) {
        const Block clean = makeBlock(72, 26, rng);
        const Block damaged = damage(clean, 14 + trial % 3, rng);
        Block b = damaged;
        ASSERT_EQ(RsDecode(26).correct(b.data(), static_cast<int>(b.size())), RsDecode::kUncorrectable)
            << "trial " << trial;
        ASSERT_EQ(b, damaged) << "trial " << trial;
    }
}

TEST(RsDecode, SevenCheckCodewordsCorrectThreeAndNeverPassAnythingButACodeWord) {
    // Version 1-L: 19 data and 7 check codewords. Four errors are beyond the code; the decoder
    // may only answer with a refusal or with some other code word within three bytes.
    std::mt19937 rng(4);
    const Galois g;
    for (int trial = 0; trial < 300; ++trial) {
        const Block clean = makeBlock(19, 7, rng);
        Block three = damage(clean, 3, rng);
        EXPECT_EQ(RsDecode(7).correct(three.data(), 26), 3);
        EXPECT_EQ(three, clean);
        const Block four = damage(clean, 4, rng);
        Block b = four;
        const int result = RsDecode(7).correct(b.data(), 26);
        if (result == RsDecode::kUncorrectable) {
            EXPECT_EQ(b, four);
            continue;
        }
        int32_t syndromes[7];
        EXPECT_TRUE(g.computeSyndromes(b.data(), 26, syndromes, 7)) << "trial " << trial;
        EXPECT_LE(result, 3);
    }
}

TEST(RsDecode, ErrorsInTheFirstAndLastBytesAreFound) {
    std::mt19937 rng(5);
    const Block clean = makeBlock(100, 26, rng);
    Block b = clean;
    b.front() ^= 0x5A;
    EXPECT_EQ(RsDecode(26).correct(b.data(), static_cast<int>(b.size())), 1);
    EXPECT_EQ(b, clean);
    b.front() ^= 0x01;
    b.back() ^= 0x80;
    EXPECT_EQ(RsDecode(26).correct(b.data(), static_cast<int>(b.size())), 2);
    EXPECT_EQ(b, clean);
}

TEST(RsDecode, TwoErrorsWhoseValuesCancelInTheFirstSyndrome) {
    // Equal error values make R(1) = 0: the locator search must still grow from the first
    // syndrome on.
    std::mt19937 rng(6);
    for (int trial = 0; trial < 50; ++trial) {
        const Block clean = makeBlock(50, 20, rng);
        Block b = clean;
        const uint8_t value = static_cast<uint8_t>(1 + rng() % 255);
        b[3 + trial % 20] ^= value;
        b[40 + trial % 25] ^= value;
        ASSERT_EQ(RsDecode(20).correct(b.data(), 70), 2) << "trial " << trial;
        ASSERT_EQ(b, clean);
    }
}

TEST(RsDecode, LengthsOutsideParityTo255AreRefusedUntouched) {
    Block b(256, 0x11);
    EXPECT_EQ(RsDecode(26).correct(b.data(), 256), RsDecode::kBadLength);
    EXPECT_EQ(b, Block(256, 0x11));
    EXPECT_EQ(RsDecode(26).correct(b.data(), 25), RsDecode::kBadLength);
}

TEST(RsDecode, NoCorrectLocatesWithoutChanging) {
    std::mt19937 rng(7);
    const Block clean = makeBlock(60, 30, rng);
    const Block damaged = damage(clean, 4, rng);
    Block b = damaged;
    EXPECT_EQ(RsDecode(30).decode(b.data(), 90, true), 4);
    EXPECT_EQ(b, damaged);
}

TEST(Galois, TablesFollowThePrimitivePolynomial) {
    const Galois g;
    EXPECT_EQ(g.power(0), 1);
    EXPECT_EQ(g.power(8), 0x1D);
    EXPECT_EQ(g.power(255), 1);
    EXPECT_EQ(g.power(509), g.power(254));
    for (int a = 1; a < 256; ++a) {
        EXPECT_EQ(g.power(g.logOf(a)), a);
        EXPECT_EQ(g.divide(g.multiply(a, 0x53), 0x53), a);
    }
    EXPECT_EQ(g.multiply(0, 7), 0);
    EXPECT_EQ(g.multiplyPower(0, 7), 0);
}

}  // namespace
