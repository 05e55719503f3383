// Micro QR and rMQR module matrices from other encoders (segno, zint) read into their data.
#include <gtest/gtest.h>

#include "decoder/MicroGrids.h"
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
