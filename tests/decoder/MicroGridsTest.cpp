// Micro QR and rMQR module matrices from other encoders (segno, zint) read into their data.
#include <gtest/gtest.h>

#include "decoder/MicroGrids.h"
#include "decoder/MicroTables.h"
#include "encoder/MicroQR_Encode.h"
#include "encoder/RMQR_Encode.h"
#include "decoder/SymbolReader.h"
#include "tests/support/SymbolFixtures.h"

namespace {

std::vector<testsupport::SymbolFixture> fixtures() {
    return testsupport::readSymbolFixtures(std::string(MEROVASK_TEST_DATA) + "/micro/symbols.txt");
}

ContentReading readMatrix(const testsupport::SymbolFixture& f) {
    return f.fields[1] == "rMQR" ? MicroGrids::readRmqr(f.modules) : MicroGrids::readMicroQr(f.modules);
}

const testsupport::SymbolFixture& fixture(const std::string& format, const std::string& version, const std::string& level) {
    static const std::vector<testsupport::SymbolFixture> all = fixtures();
    for (const testsupport::SymbolFixture& f : all)
        if (f.fields[1] == format && f.fields[2] == version && f.fields[3] == level) return f;
    throw std::runtime_error("no fixture " + version + "-" + level);
}

// Every version and level of both, every data mode, from two encoders each for Micro QR.
TEST(MicroGrids, ReadsEveryVersionAndLevelOfOtherEncoders) {
    const std::vector<testsupport::SymbolFixture> all = fixtures();
    ASSERT_EQ(all.size(), 95u);
    for (const testsupport::SymbolFixture& f : all) {
        SCOPED_TRACE(f.header);
        const ContentReading r = readMatrix(f);
        ASSERT_EQ(r.failure, ReadFailure::None);
        EXPECT_EQ(formatName(r.symbol.format), f.fields[1]);
        EXPECT_EQ(versionName(r.symbol.format, r.symbol.version), f.fields[2]);
        EXPECT_EQ(std::string(1, levelLetter(r.symbol.ecLevel)), f.fields[3]);
        EXPECT_EQ(r.symbol.textUtf8, testsupport::fromHex(f.fields[4]));
        EXPECT_EQ(r.correctedCodewords, 0);
    }
}

// Our own encoders' symbols: every Micro QR version, level and mask, every rMQR size at both
// levels, the data in several modes at once.
TEST(MicroGrids, ReadsWhatOurEncodersWrite) {
    const auto toMatrix = [](const auto& e, int width, int height) {
        BitMatrix m(width, height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) m.set(x, y, (e.modules[x][y] & 1) != 0);
        return m;
    };
    const std::string micro[4] = {"12345", "AB12", "Ab12345", "ab123456AB"};
    for (int version = 1; version <= 4; ++version)
        for (int level = 0; level < (version == 1 ? 1 : version == 4 ? 3 : 2); ++level)
            for (int mask = 0; mask < 4; ++mask) {
                const std::string& text = micro[version - 1];
                CMicroQREncoder e;
                ASSERT_EQ(e.encode(level, version, 1, mask, reinterpret_cast<const unsigned char*>(text.data()),
                                   static_cast<int>(text.size())), 1) << e.describeFailure();
                const ContentReading r = MicroGrids::readMicroQr(toMatrix(e, e.side, e.side));
                ASSERT_EQ(r.failure, ReadFailure::None) << version << level << mask;
                EXPECT_EQ(r.symbol.textUtf8, text);
                EXPECT_EQ(versionName(r.symbol.format, r.symbol.version), "M" + std::to_string(e.version));
                EXPECT_EQ(r.symbol.ecLevel, level);
                EXPECT_EQ(r.symbol.mask, mask);
            }
    const std::string text = "rMQR 0123456789 mixed data";
    for (const RmqrSize size : kRmqrSizes)
        for (int level = 0; level < 2; ++level) {
            CRMQREncoder e;
            ASSERT_EQ(e.encode(level, size.height, size.width, 1, reinterpret_cast<const unsigned char*>(text.data()),
                               static_cast<int>(text.size())), 1);
            const ContentReading r = MicroGrids::readRmqr(toMatrix(e, e.width, e.height));
            ASSERT_EQ(r.failure, ReadFailure::None) << size.height << "x" << size.width << level;
            EXPECT_EQ(r.symbol.textUtf8, text);
            EXPECT_EQ(versionName(r.symbol.format, r.symbol.version), CRMQREncoder::sizeName(e.sizeIndex));
            EXPECT_EQ(r.symbol.ecLevel, level == 0 ? 1 : 3);
        }
}

// Errors within a level's reach are corrected; beyond it, and in M1 (which only detects), the
// read fails instead of turning into other text.
TEST(MicroGrids, CorrectsWithinReachAndRefusesBeyond) {
    const auto damage = [](BitMatrix m, const std::vector<std::pair<int, int>>& positions, int codewords) {
        for (int k = 0; k < codewords; ++k) m.flip(positions[8 * k].first, positions[8 * k].second);
        return m;
    };
    const testsupport::SymbolFixture& m4q = fixture("MicroQR", "M4", "Q");
    const auto m4Positions = MicroGrids::microDataPositions(4);
    EXPECT_EQ(MicroGrids::readMicroQr(damage(m4q.modules, m4Positions, 7)).failure, ReadFailure::None);
    EXPECT_EQ(MicroGrids::readMicroQr(damage(m4q.modules, m4Positions, 9)).failure, ReadFailure::Damaged);
    const testsupport::SymbolFixture& m1 = fixture("MicroQR", "M1", "L");
    EXPECT_EQ(MicroGrids::readMicroQr(damage(m1.modules, MicroGrids::microDataPositions(1), 1)).failure, ReadFailure::Damaged);

    const testsupport::SymbolFixture& r17 = fixture("rMQR", "R17x139", "H");
    const auto rPositions = MicroGrids::rmqrDataPositions(17, 139);
    const ContentReading fixed = MicroGrids::readRmqr(damage(r17.modules, rPositions, 60));
    EXPECT_EQ(fixed.failure, ReadFailure::None);
    EXPECT_EQ(fixed.correctedCodewords, 60);
    EXPECT_EQ(MicroGrids::readRmqr(damage(r17.modules, rPositions, 200)).failure, ReadFailure::Damaged);
}

}  // namespace
