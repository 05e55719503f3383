// Symbols made by the encoder, drawn at various scales and turns, read back end to end.
#include <gtest/gtest.h>

#include <string>

#include "decoder/DecoderTables.h"
#include "decoder/SymbolReader.h"
#include "platform/text.h"
#include "tests/decoder/SymbolPictures.h"

namespace {

using dectest::Rendering;

// Content that fills most of the symbol's data capacity and mixes segment modes.
std::string contentFor(int version, int level) {
    const int capacity = qrdec::decoderVersionInfo(version)->dataCodewords[level];
    const int length = capacity * 3 / 4 - 3;
    const std::string pattern = "Merovask 0123456789012 HELLO WORLD https://example.org/q?id=";
    std::string s = std::string(1, "LMQH"[level]) + std::to_string(version) + " ";
    for (int i = 0; static_cast<int>(s.size()) < length; ++i) s += pattern[i % pattern.size()];
    return s;
}

struct Case {
    int version;
    int level;
    Rendering rendering;
};

void expectRoundTrip(const Case& c) {
    const std::string text = contentFor(c.version, c.level);
    auto e = dectest::encodeSymbol(text, c.level, c.version);
    ASSERT_NE(e, nullptr);
    ASSERT_EQ(e->version, c.version);
    const platform::RgbImage picture = dectest::render(*e, c.rendering);
    const SymbolReading r = readSymbol(picture);
    ASSERT_TRUE(r.found) << "version " << c.version << " level " << c.level << " scale " << c.rendering.scale
                         << " turns " << c.rendering.quarterTurns << ": " << r.failure;
    EXPECT_EQ(r.textUtf8, text) << "version " << c.version << " level " << c.level << " scale " << c.rendering.scale << " turns " << c.rendering.quarterTurns;
    EXPECT_EQ(r.version, c.version);
    EXPECT_EQ(r.ecLevel, c.level);
}

TEST(RoundTrip, EveryVersionAndLevelAtThreePixelsPerModule) {
    for (int version = 1; version <= 40; ++version)
        for (int level = 0; level < 4; ++level) expectRoundTrip({version, level, {3, 4, 0, false}});
}

}  // namespace

namespace {

TEST(RoundTrip, ScalesTwoToEightAndQuarterTurns) {
    const int versions[] = {1, 2, 6, 7, 13, 22, 40};
    for (int scale = 2; scale <= 8; ++scale)
        for (int turns = 0; turns < 4; ++turns)
            for (int i = 0; i < 7; ++i) {
                const int version = versions[(i + scale + turns) % 7];
                expectRoundTrip({version, (scale + turns + i) % 4, {scale, 4, turns, false}});
            }
}

TEST(RoundTrip, StrongLightGradient) {
    for (int version : {1, 5, 7, 20, 40})
        for (int turns = 0; turns < 4; ++turns) expectRoundTrip({version, turns, {4, 4, turns, true}});
}

// One pixel per module and no quiet zone, as a symbol cut out of a screenshot: every version
// and level.
TEST(RoundTrip, OnePixelPerModuleWithoutQuietZone) {
    std::string unread;
    for (int version = 1; version <= 40; ++version) {
        for (int level = 0; level < 4; ++level) {
            const std::string text = contentFor(version, level);
            auto e = dectest::encodeSymbol(text, level, version);
            ASSERT_NE(e, nullptr);
            const SymbolReading r = readSymbol(dectest::render(*e, {1, 0, 0, false}));
            if (!r.found) unread += " " + std::to_string(version) + "LMQH"[level];
            else EXPECT_EQ(r.textUtf8, text) << version << "LMQH"[level];
        }
    }
    EXPECT_EQ(unread, "") << "not read";
}

}  // namespace
