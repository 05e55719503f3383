// Finding symbols as a camera shows them: any rotation, tilt, light-on-dark, seen from behind,
// and pictures made to mislead the finder scan. The pictures are drawn here, each pixel from
// the module it shows through a camera model independent of the reader's geometry.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <utility>

#include "decoder/PerspectiveTransform.h"
#include "decoder/SymbolReader.h"
#include "tests/decoder/SymbolPictures.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

// Maps a picture point (pixels, from the picture's centre) to symbol module coordinates.
using PictureToModule = std::function<PicturePoint(double x, double y)>;

// Whether module point m is dark as a designer draws the symbol: dots of `dotRadius` modules
// for the modules and round finder patterns (a disc in a ring), or plain squares where 0.
bool darkAt(const CQREncoder& e, PicturePoint m, double dotRadius) {
    const int mx = static_cast<int>(std::floor(m.x)), my = static_cast<int>(std::floor(m.y));
    if (mx < 0 || my < 0 || mx >= e.side || my >= e.side) return false;
    if (dotRadius <= 0) return e.modules[mx][my];
    for (const auto& [fx, fy] : {std::pair<int, int>{0, 0}, {e.side - 7, 0}, {0, e.side - 7}})
        if (mx >= fx && mx < fx + 7 && my >= fy && my < fy + 7) {
            const double r = std::hypot(m.x - fx - 3.5, m.y - fy - 3.5);
            return r < 1.5 || (r >= 2.5 && r < 3.5);
        }
    return e.modules[mx][my] && std::hypot(m.x - mx - 0.5, m.y - my - 0.5) < dotRadius;
}

// A `size` x `size` picture of the symbol seen through `toModule`, each pixel the mean of 3 x 3
// samples; outside the symbol (4-module quiet zone included) the background.
platform::RgbImage photograph(const CQREncoder& e, int size, const PictureToModule& toModule, bool inverted = false,
                              double dotRadius = 0) {
    platform::RgbImage picture(size, size, 0xFF);
    for (int py = 0; py < size; ++py)
        for (int px = 0; px < size; ++px) {
            int dark = 0;
            for (int sy = 0; sy < 3; ++sy)
                for (int sx = 0; sx < 3; ++sx) {
                    dark += darkAt(e, toModule(px + (sx + 0.5) / 3 - size / 2.0, py + (sy + 0.5) / 3 - size / 2.0), dotRadius);
                }
            const int grey = 255 - dark * 255 / 9;
            uint8_t* p = picture.pixel(px, py);
            p[0] = p[1] = p[2] = static_cast<uint8_t>(inverted ? 255 - grey : grey);
        }
    return picture;
}

// The symbol centred, `pitch` pixels per module, turned by `degrees` and tilted away from the
// camera by `tilt` degrees about the picture's horizontal axis (pinhole camera, the symbol's
// centre at a distance of `widths` picture widths: the nearer, the stronger the perspective).
PictureToModule camera(const CQREncoder& e, double pitch, double degrees, double tilt, int size, double widths = 3) {
    const double a = degrees * kPi / 180, t = tilt * kPi / 180, f = widths * size, distance = f;
    const double half = e.side / 2.0;
    return [=](double x, double y) {
        // Back through the camera onto the tilted plane: v along its tilted axis, u across.
        const double v = y * distance / (f * std::cos(t) - y * std::sin(t));
        const double u = x * (distance + v * std::sin(t)) / f;
        // Undo the turn, then pixels to modules.
        const double su = (u * std::cos(a) + v * std::sin(a)) / pitch, sv = (-u * std::sin(a) + v * std::cos(a)) / pitch;
        return PicturePoint{su + half, sv + half};
    };
}

void expectRead(const platform::RgbImage& picture, const std::string& text, const std::string& what) {
    const PictureReading r = readPicture(picture);
    ASSERT_EQ(r.symbols.size(), 1u) << what << ": " << failureMessage(r.failure);
    EXPECT_EQ(r.symbols[0].textUtf8, text) << what;
}

TEST(Detection, AnyRotation) {
    const std::string text = "https://example.org/rotation";
    const auto v5 = dectest::encodeSymbol(text, 1, 5);
    for (double degrees : {25.0, 30.0, 35.0, 40.0, 45.0, 60.0, 120.0, 200.0, 300.0})
        expectRead(photograph(*v5, 480, camera(*v5, 8, degrees, 0, 480)), text, "v5 at " + std::to_string(degrees));
    const auto v1 = dectest::encodeSymbol("V1", 1, 1);
    for (double degrees : {20.0, 30.0, 40.0, 45.0})
        expectRead(photograph(*v1, 420, camera(*v1, 12, degrees, 0, 420)), "V1", "v1 at " + std::to_string(degrees));
}

TEST(Detection, TiltedAwayFromTheCamera) {
    for (const int version : {2, 6, 12}) {
        const std::string text = "tilt " + std::to_string(version);
        const auto e = dectest::encodeSymbol(text, 1, version);
        for (double tilt : {35.0, 50.0})
            for (double degrees : {0.0, 30.0, 135.0}) {
                const double pitch = 400.0 / (e->side + 8) / 1.45;  // room for the turned corners
                expectRead(photograph(*e, 400, camera(*e, pitch, degrees, tilt, 400)), text,
                           "v" + std::to_string(version) + " tilt " + std::to_string(tilt) + " turn " + std::to_string(degrees));
            }
    }
}

TEST(Detection, SteepSlantSeenFromClose) {
    // Tilted 60 degrees two picture widths away: the corner's angle in the picture far from a
    // right one (another pattern's nearer), the legs unequal in the patterns' mean modules.
    const auto e = dectest::encodeSymbol("steep slant", 1, 3);
    for (double degrees : {20.0, 70.0, 110.0, 160.0, 200.0, 250.0, 290.0, 340.0})
        expectRead(photograph(*e, 480, camera(*e, 9, degrees, 60, 480, 2)), "steep slant", "turn " + std::to_string(degrees));
    // Version 5 at 62 degrees from closer still: the grid from its patterns and its alignment
    // pattern is off by a module's fraction far from them, more modules than the error correction
    // mends, until it is refitted to its lone dark modules.
    const auto v5 = dectest::encodeSymbol("steep slant, version 5", 0, 5);
    for (double degrees : {110.0, 200.0, 250.0, 340.0})
        expectRead(photograph(*v5, 480, camera(*v5, 480.0 / (v5->side + 8) / 1.1, degrees, 62, 480, 1.6)),
                   "steep slant, version 5", "v5 turn " + std::to_string(degrees));
}

TEST(Detection, DottedModulesAndRoundFinders) {
    // Round rings give no corners to judge a triple by, and a grid through the patterns' centres
    // alone drifts under tilt by more than a dot's radius along the timing lines.
    for (const int version : {2, 8}) {
        const std::string text = "dots " + std::to_string(version);
        const auto e = dectest::encodeSymbol(text, 1, version);
        const double pitch = 400.0 / (e->side + 8) / 1.3;
        for (double degrees : {10.0, 100.0, 190.0, 280.0})
            expectRead(photograph(*e, 400, camera(*e, pitch, degrees, 25, 400, 2), false, 0.4), text,
                       "v" + std::to_string(version) + " turn " + std::to_string(degrees));
    }
}

TEST(Detection, TheReadPagesOwnOutlineAlongTheSymbolsEdge) {
    // A screenshot of the read page: the symbol outlined in green along its edge, which merges
    // with the finder patterns' rings. Seen face on, it must read whatever their outlines say.
    platform::RgbImage picture;
    ASSERT_EQ(platform::decodeImageFile(MEROVASK_TEST_DATA "/pictures/read-page-outline.png", picture), "");
    expectRead(picture, "https://merovask.example/\u8bfb?n=7", "read page's outline");
}

TEST(Detection, LightOnDarkAndSeenFromBehind) {
    const std::string text = "inverted and mirrored";
    const auto e = dectest::encodeSymbol(text, 2, 3);
    const PictureToModule straight = camera(*e, 6, 10, 0, 300);
    const PictureToModule behind = [&](double x, double y) { return straight(-x, y); };
    for (const bool inverted : {false, true})
        for (const bool mirrored : {false, true}) {
            const PictureReading r = readPicture(photograph(*e, 300, mirrored ? behind : straight, inverted));
            ASSERT_EQ(r.symbols.size(), 1u) << inverted << mirrored;
            EXPECT_EQ(r.symbols[0].textUtf8, text);
            EXPECT_EQ(r.symbols[0].inverted, inverted);
            EXPECT_EQ(r.symbols[0].mirrored, mirrored);
        }
}

TEST(Detection, CornersAreTheSymbolsOwnInTheirOrder) {
    // Turned by 90 degrees clockwise: the symbol's upper-left corner is at the picture's upper right.
    const auto e = dectest::encodeSymbol("corners", 0, 1);
    const platform::RgbImage picture = dectest::render(*e, {4, 4, 1, false});
    const PictureReading r = readPicture(picture);
    ASSERT_EQ(r.symbols.size(), 1u);
    const double far = (21 + 4) * 4, near = 4 * 4;
    const PicturePoint expected[4] = {{far, near}, {far, far}, {near, far}, {near, near}};
    for (int k = 0; k < 4; ++k) {
        EXPECT_NEAR(r.symbols[0].corners[k].x, expected[k].x, 1.0) << k;
        EXPECT_NEAR(r.symbols[0].corners[k].y, expected[k].y, 1.0) << k;
    }
}

TEST(Detection, WallpaperOfFinderPatternsEndsWithNothing) {
    // Thousands of true finder patterns and no symbol: the scan caps what it tracks, and no
    // triple verifies.
    platform::RgbImage picture(1400, 1400, 0xFF);
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) {
            const int cx = std::abs(x % 9 - 4), cy = std::abs(y % 9 - 4);
            const int ring = std::max(cx, cy);  // 0..4 around each pattern's centre
            const bool dark = ring <= 1 || ring == 3;
            uint8_t* p = picture.pixel(x, y);
            p[0] = p[1] = p[2] = dark ? 0 : 255;
        }
    ReadTrace trace;
    const PictureReading r = readPicture(picture, &trace);
    EXPECT_TRUE(r.symbols.empty());
    ASSERT_FALSE(trace.attempts.empty());
    EXPECT_GT(trace.attempts[0].candidatesDropped, 0);
}

TEST(PerspectiveTransform, FitsFourPointsExactlyAndManyInTheLeastSquaresSense) {
    const std::array<PicturePoint, 4> square = {{{0, 0}, {10, 0}, {10, 10}, {0, 10}}};
    const std::array<PicturePoint, 4> quad = {{{100, 50}, {180, 70}, {170, 160}, {90, 140}}};
    const auto t = PerspectiveTransform::fromQuads(square, quad);
    ASSERT_TRUE(t.has_value());
    for (int k = 0; k < 4; ++k) {
        EXPECT_NEAR(t->map(square[k]).x, quad[k].x, 1e-6);
        EXPECT_NEAR(t->map(square[k]).y, quad[k].y, 1e-6);
    }
    // Points of that transform with alternating errors of half a pixel: the fit lands between.
    std::vector<PerspectiveTransform::Pair> pairs;
    for (int i = 0; i <= 10; i += 2)
        for (int j = 0; j <= 10; j += 2) {
            const PicturePoint at = t->map({double(i), double(j)});
            const double e = (i + j) % 4 == 0 ? 0.5 : -0.5;
            pairs.push_back({{double(i), double(j)}, {at.x + e, at.y - e}, 1});
        }
    const auto fitted = PerspectiveTransform::fit(pairs);
    ASSERT_TRUE(fitted.has_value());
    EXPECT_NEAR(fitted->map({5, 5}).x, t->map({5, 5}).x, 0.25);
    EXPECT_NEAR(fitted->map({5, 5}).y, t->map({5, 5}).y, 0.25);
    // Three points on a line determine nothing.
    EXPECT_FALSE(PerspectiveTransform::fromQuads(square, {{{0, 0}, {1, 1}, {2, 2}, {3, 3}}}).has_value());
}

}  // namespace
