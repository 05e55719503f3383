// Micro QR and rMQR symbols compared module for module with independent encoders (zint, segno)
// where the standard fixes the result, and Micro QR read back by an independent decoder
// (zxing-cpp; Debian's version reads no rMQR).
#define ZX_USE_UTF8 1
#include <ZXing/ReadBarcode.h>
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "encoder/MicroQR_Encode.h"
#include "encoder/MicroQR_EncodeTables.h"
#include "encoder/RMQR_Encode.h"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes fromHex(const std::string& hex) {
    Bytes out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) out.push_back(static_cast<unsigned char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return out;
}

// Rows from the top as the fixtures write them: bits (dark = 1) in hexadecimal, padded to whole
// bytes.
template <typename Encoder>
std::vector<std::string> hexRowsOf(const Encoder& e, int width, int height) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::vector<std::string> rows;
    for (int y = 0; y < height; ++y) {
        std::string row;
        for (int x = 0; x < width; x += 8) {
            int byte = 0;
            for (int k = 0; k < 8; ++k) byte = byte << 1 | (x + k < width && e.modules[x + k][y] ? 1 : 0);
            row += kDigits[byte >> 4];
            row += kDigits[byte & 15];
        }
        rows.push_back(row);
    }
    return rows;
}

// One case of tests/data/small_symbols (made by tests/data/make_small_symbol_fixtures.py).
struct FixtureSymbol {
    std::string maker, version, level;
    int mask = 0;
    Bytes data;
    std::vector<std::string> rows;
};

std::vector<FixtureSymbol> readFixtures(const std::string& name) {
    std::ifstream in(std::string(MEROVASK_TEST_DATA) + "/small_symbols/" + name);
    std::vector<FixtureSymbol> cases;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        if (line.rfind("zint ", 0) != 0 && line.rfind("segno ", 0) != 0) {
            cases.back().rows.push_back(line);
            continue;
        }
        std::istringstream header(line);
        FixtureSymbol c;
        std::string hex;
        header >> c.maker >> c.version >> c.level >> c.mask >> hex;
        c.data = fromHex(hex);
        cases.push_back(c);
    }
    return cases;
}

int levelIndex(const std::string& level) { return level == "M" ? 1 : level == "Q" ? 2 : 0; }

TEST(MicroQrInterop, MatrixEqualsZintAndSegno) {
    const std::vector<FixtureSymbol> cases = readFixtures("micro_qr.txt");
    ASSERT_EQ(cases.size(), 21u);
    for (const FixtureSymbol& c : cases) {
        SCOPED_TRACE(c.maker + " " + c.version + "-" + c.level + " mask " + std::to_string(c.mask) + " " +
                     std::string(c.data.begin(), c.data.end()));
        auto e = std::make_unique<CMicroQREncoder>();
        ASSERT_EQ(e->encode(levelIndex(c.level), c.version[1] - '0', 0, c.mask, c.data.data(), static_cast<int>(c.data.size())), 1);
        EXPECT_EQ(hexRowsOf(*e, e->side, e->side), c.rows);
    }
}

TEST(RmqrInterop, MatrixEqualsZintForEverySizeAndLevel) {
    const std::vector<FixtureSymbol> cases = readFixtures("rmqr.txt");
    ASSERT_EQ(cases.size(), 64u);
    for (const FixtureSymbol& c : cases) {
        SCOPED_TRACE(c.version + " " + c.level + " " + std::string(c.data.begin(), c.data.end()));
        const size_t x = c.version.find('x');
        const int height = std::stoi(c.version.substr(1, x - 1));
        const int width = std::stoi(c.version.substr(x + 1));
        auto e = std::make_unique<CRMQREncoder>();
        ASSERT_EQ(e->encode(c.level == "H" ? 1 : 0, height, width, 0, c.data.data(), static_cast<int>(c.data.size())), 1);
        EXPECT_EQ(hexRowsOf(*e, e->width, e->height), c.rows);
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
