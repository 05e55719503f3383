// Micro QR and rMQR symbols compared module for module with independent encoders (zint, segno)
// where the standard fixes the result, and Micro QR read back by an independent decoder
// (zxing-cpp; Debian's version reads no rMQR).
#define ZX_USE_UTF8 1
#include <ZXing/ReadBarcode.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "encoder/MicroQR_Encode.h"
#include "encoder/MicroQR_EncodeTables.h"
#include "encoder/RMQR_Encode.h"
#include "tests/support/SymbolFixtures.h"

namespace {

using testsupport::SymbolFixture;

// The fixtures of one format in tests/data/micro/exact_symbols.txt (made by
// tests/data/make_micro_fixtures.py).
std::vector<SymbolFixture> exactSymbols(const std::string& format) {
    std::vector<SymbolFixture> list;
    for (SymbolFixture& f : testsupport::readSymbolFixtures(std::string(MEROVASK_TEST_DATA) + "/micro/exact_symbols.txt"))
        if (f.fields[1] == format) list.push_back(std::move(f));
    return list;
}

template <typename Encoder>
int modulesUnlike(const Encoder& e, const BitMatrix& expected) {
    int unlike = 0;
    for (int y = 0; y < expected.height(); ++y)
        for (int x = 0; x < expected.width(); ++x) unlike += (e.modules[x][y] != 0) != expected.get(x, y);
    return unlike;
}

int levelIndex(const std::string& level) { return level == "M" ? 1 : level == "Q" ? 2 : 0; }

TEST(MicroQrInterop, MatrixEqualsZintAndSegno) {
    const std::vector<SymbolFixture> cases = exactSymbols("MicroQR");
    ASSERT_EQ(cases.size(), 21u);
    for (const SymbolFixture& c : cases) {
        SCOPED_TRACE(c.header);
        const std::string data = testsupport::fromHex(c.fields[4]);
        auto e = std::make_unique<CMicroQREncoder>();
        ASSERT_EQ(e->encode(levelIndex(c.fields[3]), c.fields[2][1] - '0', 0, std::stoi(c.fields[5]),
                            reinterpret_cast<const unsigned char*>(data.data()), static_cast<int>(data.size())), 1);
        ASSERT_EQ(e->side, c.modules.width());
        EXPECT_EQ(modulesUnlike(*e, c.modules), 0);
    }
}

TEST(RmqrInterop, MatrixEqualsZintForEverySizeAndLevel) {
    const std::vector<SymbolFixture> cases = exactSymbols("rMQR");
    ASSERT_EQ(cases.size(), 64u);
    for (const SymbolFixture& c : cases) {
        SCOPED_TRACE(c.header);
        const std::string data = testsupport::fromHex(c.fields[4]);
        auto e = std::make_unique<CRMQREncoder>();
        ASSERT_EQ(e->encode(c.fields[3] == "H" ? 1 : 0, c.modules.height(), c.modules.width(), 0,
                            reinterpret_cast<const unsigned char*>(data.data()), static_cast<int>(data.size())), 1);
        EXPECT_EQ(modulesUnlike(*e, c.modules), 0);
    }
}

// Draws the symbol with a two-module quiet zone, 3 pixels per module, and reads it.
ZXing::Result readMicroWithZxing(const CMicroQREncoder& e) {
    const int quiet = 2, scale = 3;
    const int width = (e.side + 2 * quiet) * scale;
    std::vector<uint8_t> grey(static_cast<size_t>(width) * width, 0xFF);
    for (int y = 0; y < width; ++y)
        for (int x = 0; x < width; ++x) {
            const int mx = x / scale - quiet, my = y / scale - quiet;
            if (mx >= 0 && my >= 0 && mx < e.side && my < e.side && e.modules[mx][my]) grey[static_cast<size_t>(y) * width + x] = 0;
        }
    ZXing::DecodeHints hints;
    hints.setFormats(ZXing::BarcodeFormat::MicroQRCode);
    return ZXing::ReadBarcode({grey.data(), width, width, ZXing::ImageFormat::Lum}, hints);
}

// Every version and level with every mask, filled to the last bit the mode allows and also
// left short (pad codewords, the 4-bit last codeword of M1 and M3 empty).
TEST(MicroQrInterop, ZxingReadsEveryVersionLevelAndMask) {
    for (int n = 0; n < 8; ++n) {
        const microqr::SymbolInfo& info = microqr::kSymbols[n];
        // The most digits that fit, and for M3 and M4 the most bytes.
        const int indicator = microqr::kIndicatorBits[info.version];
        const int digitBits = info.dataBits - indicator - microqr::kCountBits[info.version][0];
        const int digits = digitBits / 10 * 3 + (digitBits % 10 >= 7 ? 2 : digitBits % 10 >= 4 ? 1 : 0);
        std::vector<std::string> sources = {std::string(digits, '7'), "9"};
        if (info.version >= 3) sources.push_back(std::string((info.dataBits - indicator - microqr::kCountBits[info.version][2]) / 8, 'm'));
        for (const std::string& source : sources) {
            for (int mask = 0; mask < 4; ++mask) {
                SCOPED_TRACE(CMicroQREncoder::symbolName(info.version, info.level) + " mask " + std::to_string(mask) + " " + source);
                auto e = std::make_unique<CMicroQREncoder>();
                ASSERT_EQ(e->encode(info.level, info.version, 0, mask, reinterpret_cast<const unsigned char*>(source.data()),
                                    static_cast<int>(source.size())), 1);
                const ZXing::Result r = readMicroWithZxing(*e);
                ASSERT_TRUE(r.isValid());
                EXPECT_EQ(r.text(), source);
                if (info.version > 1) {
                    EXPECT_EQ(r.ecLevel(), std::string(1, "LMQ"[info.level]));
                }
            }
        }
    }
}

}  // namespace
