// Micro QR and rMQR symbols found in pictures as a camera shows them: turned, tilted, blurred,
// light on dark, seen from behind; and pictures that only look like them.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "decoder/SymbolReader.h"
#include "tests/support/SymbolFixtures.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

struct Shot {
    double pitch = 6;      // pixels per module
    double degrees = 0;    // turned clockwise
    double tilt = 0;       // degrees, away from the camera about the picture's horizontal axis
    int blur = 0;          // passes of a 3 x 3 box blur
    bool inverted = false;
    bool mirrored = false;
};

// The module matrix photographed (pinhole camera, 3 x 3 samples a pixel) with a quiet zone of
// two modules and more around it.
platform::RgbImage photograph(const BitMatrix& m, const Shot& shot) {
    const double reach = std::hypot(m.width() + 8, m.height() + 8) * shot.pitch;
    const int size = static_cast<int>(reach * (1 + std::sin(shot.tilt * kPi / 180) / 2)) + 8;
    const double a = shot.degrees * kPi / 180, t = shot.tilt * kPi / 180, f = 3.0 * size;
    std::vector<int> grey(static_cast<size_t>(size) * size);
    for (int py = 0; py < size; ++py)
        for (int px = 0; px < size; ++px) {
            int dark = 0;
            for (int s = 0; s < 9; ++s) {
                double x = px + (s % 3 + 0.5) / 3 - size / 2.0, y = py + (s / 3 + 0.5) / 3 - size / 2.0;
                if (shot.mirrored) x = -x;
                const double v = y * f / (f * std::cos(t) - y * std::sin(t)), u = x * (f + v * std::sin(t)) / f;
                const double mx = (u * std::cos(a) + v * std::sin(a)) / shot.pitch + m.width() / 2.0;
                const double my = (-u * std::sin(a) + v * std::cos(a)) / shot.pitch + m.height() / 2.0;
                dark += mx >= 0 && my >= 0 && mx < m.width() && my < m.height() && m.get(static_cast<int>(mx), static_cast<int>(my));
            }
            grey[static_cast<size_t>(py) * size + px] = 255 - dark * 255 / 9;
        }
    for (int pass = 0; pass < shot.blur; ++pass) {
        std::vector<int> next(grey.size());
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                int sum = 0;
                for (int k = 0; k < 9; ++k)
                    sum += grey[static_cast<size_t>(std::clamp(y + k / 3 - 1, 0, size - 1)) * size + std::clamp(x + k % 3 - 1, 0, size - 1)];
                next[static_cast<size_t>(y) * size + x] = sum / 9;
            }
        grey = std::move(next);
    }
    platform::RgbImage picture(size, size, 0xFF);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const int g = grey[static_cast<size_t>(y) * size + x];
            uint8_t* p = picture.pixel(x, y);
            p[0] = p[1] = p[2] = static_cast<uint8_t>(shot.inverted ? 255 - g : g);
        }
    return picture;
}

// One of each Micro QR version and a spread of rMQR sizes, from segno and zint.
std::vector<testsupport::SymbolFixture> spread() {
    std::vector<testsupport::SymbolFixture> chosen;
    for (testsupport::SymbolFixture& f : testsupport::readSymbolFixtures(std::string(MEROVASK_TEST_DATA) + "/micro/symbols.txt")) {
        const std::string& version = f.fields[2];
        const bool wanted = version == "R7x43" || version == "R11x27" || version == "R13x77" || version == "R17x139" ||
                            (f.fields[1] == "MicroQR" && f.fields[0] == "zint");
        if (wanted && f.fields[3] != "H") chosen.push_back(std::move(f));
    }
    return chosen;
}

// Turned to any angle, tilted, blurred, light on dark and seen from behind: each read with its
// own text, format and version, and as inverted and mirrored as it was shown.
TEST(MicroDetection, ReadsTurnedTiltedBlurredInvertedAndMirrored) {
    const std::vector<testsupport::SymbolFixture> symbols = spread();
    ASSERT_EQ(symbols.size(), 12u);
    const Shot shots[] = {{6, 33, 0, 0, false, false}, {5, 200, 30, 0, false, true}, {7, 290, 20, 2, true, false},
                          {4, 125, 0, 1, false, false}, {8, 75, 40, 1, true, true}};
    int k = 0;
    for (const testsupport::SymbolFixture& f : symbols)
        for (const Shot& shot : shots) {
            SCOPED_TRACE(f.header + " shot " + std::to_string(k++ % 5));
            const PictureReading r = readPicture(photograph(f.modules, shot));
            if (r.symbols.size() != 1) {
                ADD_FAILURE() << r.symbols.size() << " symbols: " << failureMessage(r.failure);
                continue;
            }
            const DecodedSymbol& s = r.symbols[0];
            EXPECT_EQ(s.textUtf8, testsupport::fromHex(f.fields[4]));
            EXPECT_EQ(formatName(s.format), f.fields[1]);
            EXPECT_EQ(versionName(s.format, s.version), f.fields[2]);
            EXPECT_EQ(s.inverted, shot.inverted);
            EXPECT_EQ(s.mirrored, shot.mirrored);
        }
}

// Finder patterns with their separators and quiet zone, timing that steps along and random
// modules beside them (format information too): nothing is read, and nothing is said to be found.
TEST(MicroDetection, LookAlikesGiveNoSymbolAndNoClaim) {
    std::mt19937 random(20);
    for (int n = 0; n < 30; ++n) {
        const bool rectangle = n % 2 == 1;
        BitMatrix m(rectangle ? 43 : 15, rectangle ? 11 : 15);
        for (int y = 0; y < m.height(); ++y)
            for (int x = 0; x < m.width(); ++x) {
                const int ring = std::max(std::abs(x - 3), std::abs(y - 3));
                const bool timing = (y == 0 && x > 7) || (x == 0 && y > 7);
                m.set(x, y, x < 8 && y < 8 ? ring != 2 && ring < 4 : timing ? (x + y) % 2 == 0 : random() % 2 == 1);
            }
        const PictureReading r = readPicture(photograph(m, {6, 20.0 * n, 0, n % 3 == 0 ? 1 : 0, false, false}));
        EXPECT_TRUE(r.symbols.empty()) << n;
        EXPECT_EQ(r.failure, ReadFailure::NotFound) << n;
    }
}

}  // namespace
