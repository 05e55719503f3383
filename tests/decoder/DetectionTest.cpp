// Detection stages: binarisation, finder ratio and grouping, ordering, version information,
// alignment refinement and sampling on large pictures.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "decoder/AlignmentPattern.h"
#include "decoder/FinderPattern.h"
#include "decoder/QRcodeImage.h"
#include "decoder/SymbolReader.h"
#include "tests/decoder/SymbolPictures.h"

namespace {

using dectest::Rendering;

void paint(platform::RgbImage& image, int x0, int y0, int w, int h, uint8_t grey) {
    for (int y = y0; y < y0 + h; ++y)
        for (int x = x0; x < x0 + w; ++x) {
            uint8_t* p = image.pixel(x, y);
            p[0] = p[1] = p[2] = grey;
        }
}

// A two-valued picture row by row, as the detection stages read it.
struct Bitmap {
    int width = 0, height = 0;
    std::vector<uint8_t> pixels;
    bool dark(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x] != 0; }
};

Bitmap randomBitmap(int width, int height, std::mt19937& rng) {
    // Noise over a few finder-like squares and stripes, so that rows and columns hold many
    // run lines in groups of every size.
    Bitmap b{width, height, std::vector<uint8_t>(static_cast<size_t>(width) * height, 0)};
    auto set = [&](int x, int y, int v) {
        if (x >= 0 && y >= 0 && x < width && y < height) b.pixels[static_cast<size_t>(y) * width + x] = static_cast<uint8_t>(v);
    };
    for (int k = 0; k < 4; ++k) {
        const int s = 1 + static_cast<int>(rng() % 3), cx = static_cast<int>(rng() % width), cy = static_cast<int>(rng() % height);
        for (int dy = -3 * s; dy < 4 * s; ++dy)
            for (int dx = -3 * s; dx < 4 * s; ++dx) {
                const int ring = std::max(std::abs(dx < 0 ? dx - s + 1 : dx), std::abs(dy < 0 ? dy - s + 1 : dy)) / s;
                set(cx + dx, cy + dy, ring != 2 ? 1 : 0);
            }
    }
    const int noise = static_cast<int>(rng() % 4);
    for (int i = 0; i < width * height * noise / 8; ++i) set(static_cast<int>(rng() % width), static_cast<int>(rng() % height), static_cast<int>(rng() & 1));
    return b;
}

// The grouping of run lines exactly as a plain walk over a shrinking list does it.
std::vector<Line> throughLinesByListWalk(std::vector<Line> candidates) {
    std::vector<Line> out;
    for (size_t i = 0; i + 1 < candidates.size(); ++i) {
        std::vector<Line> group{candidates[i]};
        bool taken = false;
        for (size_t j = i + 1; j < candidates.size(); ++j) {
            const Line g = group.back();
            const Line& c = candidates[j];
            const bool last = j == candidates.size() - 1;
            if (Line::touches(g, c)) {
                group.push_back(c);
                if (last && static_cast<int>(group.size()) * 5 > c.length()) taken = true;
                continue;
            }
            if (Line::crosses(g, c) || (g.horizontal() && std::abs(g.p1.y - c.p1.y) > 1) ||
                (g.vertical() && std::abs(g.p1.x - c.p1.x) > 1) || last) {
                taken = static_cast<int>(group.size()) * 6 > g.length();
                break;
            }
        }
        if (!taken) continue;
        out.push_back(group[group.size() / 2]);
        std::erase_if(candidates, [&](const Line& l) {
            for (const Line& m : group)
                if (m == l) return true;
            return false;
        });
    }
    return out;
}

TEST(FinderRatio, RunsWithinHalfAModuleMatch) {
    const int32_t good[5] = {2, 2, 6, 2, 2};
    const int32_t bad[5] = {2, 2, 6, 2, 4};
    const int32_t unit[5] = {1, 1, 3, 1, 1};
    EXPECT_TRUE(FinderPattern::matchesFinderRatio(good, 4, 21));
    EXPECT_FALSE(FinderPattern::matchesFinderRatio(bad, 4, 21));
    EXPECT_TRUE(FinderPattern::matchesFinderRatio(unit, 4, 23));
    // The oldest run comes first: with k = 1 the order read is r[2], r[3], r[4], r[0], r[1].
    const int32_t rotated[5] = {1, 1, 1, 1, 3};
    EXPECT_TRUE(FinderPattern::matchesFinderRatio(rotated, 1, 21));
    EXPECT_FALSE(FinderPattern::matchesFinderRatio(rotated, 4, 21));
}

TEST(FinderPattern, SingleModuleFinderGivesASevenPixelRowLine) {
    platform::RgbImage image(40, 12, 0xFF);
    paint(image, 10, 5, 1, 1, 0);
    paint(image, 12, 5, 3, 1, 0);
    paint(image, 16, 5, 1, 1, 0);
    QRcodeImage qr(image);
    detectionFailed = false;
    qr.detect();
    ASSERT_FALSE(qr.finder.runLines.empty());
    const Line& l = qr.finder.runLines.front();
    EXPECT_EQ(l.p1.x, 10);
    EXPECT_EQ(l.p2.x, 16);
    EXPECT_EQ(l.p1.y, 5);
    EXPECT_TRUE(detectionFailed);  // one row line, no centres
    detectionFailed = false;
}

TEST(FinderPattern, GroupingMatchesThePlainListWalk) {
    std::mt19937 rng(21);
    for (int trial = 0; trial < 150; ++trial) {
        const int w = 20 + static_cast<int>(rng() % 70), h = 20 + static_cast<int>(rng() % 70);
        const Bitmap b = randomBitmap(w, h, rng);
        FinderPattern f;
        f.bitmap = b.pixels.data();
        f.width = w;
        f.height = h;
        f.precisionBits = 23;
        detectionFailed = false;
        f.findRunLines();
        detectionFailed = false;
        f.findThroughLines();
        const std::vector<Line> expected = throughLinesByListWalk(f.runLines);
        ASSERT_EQ(f.throughLines.size(), expected.size()) << "trial " << trial << ", " << f.runLines.size() << " run lines";
        for (size_t i = 0; i < expected.size(); ++i) ASSERT_TRUE(f.throughLines[i] == expected[i]) << "trial " << trial << " line " << i;
    }
}

// The run lines of a pixel-by-pixel scan: one colour and one ring of five runs for all rows and
// then all columns, the runs cleared at the start of each line.
std::vector<Line> runLinesByPixelScan(const Bitmap& b, int s) {
    auto ratio = [s](const int32_t* runs, int k) {
        const int64_t sum = int64_t{runs[0]} + runs[1] + runs[2] + runs[3] + runs[4];
        const int64_t m = (sum << s) / 7, t = m / 2;
        const int expected[5] = {1, 1, 3, 1, 1};
        for (int i = 0; i < 5; ++i) {
            const int64_t r = int64_t{runs[(k + 1 + i) % 5]} << s;
            if (r < expected[i] * m - t || r > expected[i] * m + t) return false;
        }
        return true;
    };
    std::vector<Line> out;
    int colour = 0, k = 0;
    int32_t runs[5] = {};
    for (int pass = 0; pass < 2; ++pass) {
        const int lines = pass == 0 ? b.height : b.width, length = pass == 0 ? b.width : b.height;
        for (int l = 0; l < lines; ++l) {
            for (int32_t& r : runs) r = 0;
            for (int i = 0; i < length; ++i) {
                const int p = pass == 0 ? b.dark(i, l) : b.dark(l, i);
                if (p == colour) {
                    ++runs[k];
                    continue;
                }
                if (p == 0 && ratio(runs, k)) {
                    const int32_t sum = runs[0] + runs[1] + runs[2] + runs[3] + runs[4];
                    if (pass == 0) out.emplace_back(i - sum, l, i - 1, l);
                    else out.emplace_back(l, i - sum, l, i - 1);
                }
                k = (k + 1) % 5;
                runs[k] = 1;
                colour = p;
            }
        }
    }
    return out;
}

TEST(FinderPattern, RunLinesMatchThePixelByPixelScan) {
    std::mt19937 rng(22);
    for (int trial = 0; trial < 100; ++trial) {
        // Sizes around the 64-pixel word boundaries of the packed scan.
        const int w = 1 + static_cast<int>(rng() % 140), h = 1 + static_cast<int>(rng() % 140);
        const Bitmap b = randomBitmap(w, h, rng);
        FinderPattern f;
        f.bitmap = b.pixels.data();
        f.width = w;
        f.height = h;
        f.precisionBits = 22;
        detectionFailed = false;
        f.findRunLines();
        const std::vector<Line> expected = runLinesByPixelScan(b, 22);
        ASSERT_EQ(f.runLines.size(), expected.size()) << "trial " << trial;
        for (size_t i = 0; i < expected.size(); ++i) ASSERT_TRUE(f.runLines[i] == expected[i]) << "trial " << trial;
        EXPECT_EQ(detectionFailed, expected.empty());
    }
    detectionFailed = false;
}

TEST(FinderPattern, VersionEstimateRoundsQuartersHalfUp) {
    EXPECT_EQ(FinderPattern::versionFromEstimate(11), 3);
    EXPECT_EQ(FinderPattern::versionFromEstimate(9), 2);
    EXPECT_EQ(FinderPattern::versionFromEstimate(10), 3);
    EXPECT_EQ(FinderPattern::versionFromEstimate(-1), 0);
}

TEST(FinderPattern, UprightAndHalfTurnedSymbolsAreOrderedInTheirOwnFrame) {
    auto e = dectest::encodeSymbol("ORDER", 1, 3);
    for (int turns : {0, 2}) {
        const platform::RgbImage image = dectest::render(*e, {4, 4, turns, false});
        QRcodeImage qr(image);
        detectionFailed = false;
        qr.detect();
        ASSERT_FALSE(detectionFailed);
        const auto& c = qr.finder.centres;
        if (turns == 0) {
            EXPECT_EQ(qr.finder.direction[0], 0);
            EXPECT_EQ(qr.finder.direction[1], 1 << qr.precisionBits);
            EXPECT_LT(c[0].x, c[1].x);
            EXPECT_LT(c[0].y, c[2].y);
        } else {
            EXPECT_GT(c[0].x, c[1].x);  // the upper-right pattern is now at the left
            EXPECT_GT(c[0].y, c[2].y);
        }
    }
}

// Inverts the picture's module (mx, my) of an upright rendering.
void invertModule(platform::RgbImage& image, const Rendering& r, int mx, int my) {
    const int x0 = (mx + r.quietZone) * r.scale, y0 = (my + r.quietZone) * r.scale;
    const uint8_t grey = image.pixel(x0, y0)[0] < 128 ? 0xFF : 0x00;
    paint(image, x0, y0, r.scale, r.scale, grey);
}

TEST(FinderPattern, VersionInformationToleratesThreeBitsAndFallsBackToTheLowerLeftBlock) {
    const Rendering r{4, 4, 0, false};
    auto e = dectest::encodeSymbol("version information", 0, 9);
    const int n = e->side;
    struct Case {
        int upperRightErrors, lowerLeftErrors, version;
    };
    for (const Case& c : {Case{3, 0, 9}, Case{4, 0, 9}, Case{4, 3, 9}, Case{4, 4, 0}}) {
        platform::RgbImage image = dectest::render(*e, r);
        for (int k = 0; k < c.upperRightErrors; ++k) invertModule(image, r, n - 11 + k % 3, k / 3);
        for (int k = 0; k < c.lowerLeftErrors; ++k) invertModule(image, r, k / 3, n - 11 + k % 3);
        QRcodeImage qr(image);
        detectionFailed = false;
        qr.detect();
        EXPECT_EQ(qr.finder.version, c.version) << c.upperRightErrors << "/" << c.lowerLeftErrors;
        EXPECT_EQ(detectionFailed, c.version == 0);
    }
    detectionFailed = false;
}

// The square search exactly as described: every offset of every scope, moving with each dark
// pixel.
Point refineBySquareWalk(const Bitmap& b, Point p) {
    auto inside = [&](int x, int y) { return x >= 0 && y >= 0 && x < b.width && y < b.height; };
    int x = p.x, y = p.y;
    if (!inside(x, y)) return Point(-1, -1);
    if (!b.dark(x, y)) {
        for (int s = 1;; ++s) {
            bool found = false;
            for (int dy = s; dy >= -s + 1; --dy)
                for (int dx = s; dx >= -s + 1; --dx) {
                    if (!inside(x + dx, y + dy)) return Point(-1, -1);
                    if (b.dark(x + dx, y + dy)) {
                        x += dx;
                        y += dy;
                        found = true;
                    }
                }
            if (found) break;
        }
    }
    int lx = x, rx = x, uy = y, dy = y;
    while (lx >= 1 && !(!b.dark(lx, y) && b.dark(lx - 1, y))) --lx;
    while (rx < b.width - 1 && !(!b.dark(rx, y) && b.dark(rx + 1, y))) ++rx;
    while (uy >= 1 && !(!b.dark(x, uy) && b.dark(x, uy - 1))) --uy;
    while (dy < b.height - 1 && !(!b.dark(x, dy) && b.dark(x, dy + 1))) ++dy;
    return Point((lx + rx + 1) / 2, (uy + dy + 1) / 2);
}

TEST(AlignmentPattern, RefinementMatchesTheFullSquareWalk) {
    std::mt19937 rng(23);
    for (int trial = 0; trial < 60; ++trial) {
        Bitmap b = randomBitmap(30 + static_cast<int>(rng() % 40), 30 + static_cast<int>(rng() % 40), rng);
        // Thin the picture so that searches grow over several scopes.
        for (auto& v : b.pixels)
            if (rng() % 4 != 0) v = 0;
        AlignmentPattern a;
        a.bitmap = b.pixels.data();
        a.width = b.width;
        a.height = b.height;
        for (int k = 0; k < 40; ++k) {
            const Point p(static_cast<int>(rng() % (b.width + 4)) - 2, static_cast<int>(rng() % (b.height + 4)) - 2);
            const Point got = a.refine(p), want = refineBySquareWalk(b, p);
            ASSERT_TRUE(got == want) << "trial " << trial << " at " << p.x << "," << p.y << ": " << got.x << ","
                                     << got.y << " vs " << want.x << "," << want.y;
        }
    }
}

TEST(Binarisation, PrecisionFollowsTheLongerSide) {
    EXPECT_EQ(QRcodeImage::precisionFor(1), 23);
    EXPECT_EQ(QRcodeImage::precisionFor(255), 23);
    EXPECT_EQ(QRcodeImage::precisionFor(256), 22);
    EXPECT_EQ(QRcodeImage::precisionFor(511), 22);
    EXPECT_EQ(QRcodeImage::precisionFor(512), 21);
    EXPECT_EQ(QRcodeImage::precisionFor(1279), 21);
    EXPECT_EQ(QRcodeImage::precisionFor(1280), 20);
    EXPECT_EQ(QRcodeImage::precisionFor(2560), 19);
    EXPECT_EQ(QRcodeImage::precisionFor(4352), 18);
}

TEST(Binarisation, SixteenAreasEachWithItsOwnThreshold) {
    // 103 x 98: areas of 25 x 24 pixels; columns 100..102 and rows 96..97 stay light.
    platform::RgbImage image(103, 98, 0x00);
    // Area (0, 0) spans grey 100..200: threshold 150, so 150 is light and 149 dark.
    paint(image, 0, 0, 25, 24, 200);
    paint(image, 0, 0, 1, 1, 100);
    paint(image, 1, 0, 1, 1, 150);
    paint(image, 2, 0, 1, 1, 149);
    // Area (1, 0) spans 10..20: 14 is dark there although it would be light in area (0, 0).
    paint(image, 25, 0, 25, 24, 20);
    paint(image, 25, 0, 1, 1, 10);
    paint(image, 26, 0, 1, 1, 14);
    QRcodeImage qr(image);
    qr.binarise();
    EXPECT_TRUE(qr.dark(0, 0));
    EXPECT_FALSE(qr.dark(1, 0));
    EXPECT_TRUE(qr.dark(2, 0));
    EXPECT_FALSE(qr.dark(3, 0));
    EXPECT_TRUE(qr.dark(26, 0));
    EXPECT_FALSE(qr.dark(27, 0));
    for (int y = 0; y < 98; ++y)
        for (int x = 100; x < 103; ++x) ASSERT_FALSE(qr.dark(x, y));
    for (int x = 0; x < 103; ++x) ASSERT_FALSE(qr.dark(x, 96) || qr.dark(x, 97));
    EXPECT_EQ(qr.precisionBits, 23);
}

TEST(Detection, PicturesWithoutThreeFinderPatternsFail) {
    for (const platform::RgbImage& image :
         {platform::RgbImage(50, 50, 0x80), platform::RgbImage(3, 300, 0x00), platform::RgbImage(0, 0)}) {
        QRcodeImage qr(image);
        detectionFailed = false;
        qr.detect();
        EXPECT_TRUE(detectionFailed);
    }
    auto e = dectest::encodeSymbol("two finders", 0, 2);
    platform::RgbImage image = dectest::render(*e, {4, 4, 0, false});
    paint(image, 16, 16 + 18 * 4, 7 * 4, 7 * 4, 0xFF);  // the lower-left pattern
    QRcodeImage qr(image);
    detectionFailed = false;
    qr.detect();
    EXPECT_TRUE(detectionFailed);
    EXPECT_LT(qr.finder.centres.size(), 3u);
    detectionFailed = false;
}

TEST(Detection, UnreadableFileFailsBeforeTheFinderStage) {
    QRcodeImage qr(u"/nonexistent/merovask-test.png");
    EXPECT_FALSE(qr.loadError().empty());
    detectionFailed = false;
    qr.detect();
    EXPECT_TRUE(detectionFailed);
    EXPECT_TRUE(qr.finder.runLines.empty());
    detectionFailed = false;
    const SymbolReading r = readSymbolFile("/nonexistent/merovask-test.png");
    EXPECT_FALSE(r.found);
    EXPECT_FALSE(r.failure.empty());
    EXPECT_FALSE(detectionFailed);
}

TEST(Detection, LargePictureIsSampledRight) {
    // 2310 x 2310 pixels at 20 fraction bits: the intersection products exceed 32 bits.
    auto e = dectest::encodeSymbol("LARGE PICTURE 70 PX PER MODULE", 1, 2);
    ASSERT_NE(e, nullptr);
    const platform::RgbImage image = dectest::render(*e, {70, 4, 1, false});
    const SymbolReading r = readSymbol(image);
    ASSERT_TRUE(r.found) << r.failure;
    EXPECT_EQ(r.textUtf8, "LARGE PICTURE 70 PX PER MODULE");
    EXPECT_EQ(r.version, 2);

    // 2640 x 2640 pixels at 19 fraction bits, the lower finder centres near pixel 2300, as in
    // the middle of a phone photo.
    const platform::RgbImage far = dectest::render(*e, {80, 4, 0, false});
    const SymbolReading farReading = readSymbol(far);
    ASSERT_TRUE(farReading.found) << farReading.failure;
    EXPECT_EQ(farReading.textUtf8, "LARGE PICTURE 70 PX PER MODULE");
}

// A finder pattern (7 x 7 modules) with its upper-left corner at x0, y0.
void paintFinderPattern(platform::RgbImage& image, int x0, int y0, int module) {
    paint(image, x0, y0, 7 * module, 7 * module, 0);
    paint(image, x0 + module, y0 + module, 5 * module, 5 * module, 255);
    paint(image, x0 + 2 * module, y0 + 2 * module, 3 * module, 3 * module, 0);
}

TEST(Detection, OtherFinderLikeMarksDoNotHideTheSymbol) {
    // Marks like those of icons or logos beside a symbol: found before the symbol's own patterns
    // in reading order, they must not be taken for them.
    auto e = dectest::encodeSymbol("MARKS AROUND", 1, 2);
    ASSERT_NE(e, nullptr);
    const platform::RgbImage symbol = dectest::render(*e, {4, 4, 0, false});
    platform::RgbImage image(symbol.width + 200, symbol.height + 120);
    for (int y = 0; y < symbol.height; ++y)
        for (int x = 0; x < symbol.width; ++x) {
            const uint8_t* from = symbol.pixel(x, y);
            uint8_t* to = image.pixel(x + 100, y + 100);
            to[0] = from[0], to[1] = from[1], to[2] = from[2];
        }
    paintFinderPattern(image, 10, 10, 2);                 // small, above and to the left
    paintFinderPattern(image, image.width - 40, 30, 3);   // above and to the right
    paintFinderPattern(image, 20, image.height - 60, 6);  // large, below
    const SymbolReading r = readSymbol(image);
    ASSERT_TRUE(r.found) << r.failure;
    EXPECT_EQ(r.textUtf8, "MARKS AROUND");
    EXPECT_EQ(r.version, 2);
}

TEST(Detection, SymbolAnywhereInAPhotoSizedPictureReads) {
    // 4000 x 3000 pixels (19 fraction bits), the symbol in the middle and towards each corner.
    auto e = dectest::encodeSymbol("PHOTO SIZED", 2, 5);
    ASSERT_NE(e, nullptr);
    const platform::RgbImage symbol = dectest::render(*e, {20, 4, 0, false});
    for (const auto& [left, top] : {std::pair{1500, 1000}, std::pair{3000, 2100}, std::pair{60, 40},
                                    std::pair{3100, 40}, std::pair{60, 2100}}) {
        platform::RgbImage image(4000, 3000);
        for (int y = 0; y < symbol.height; ++y)
            for (int x = 0; x < symbol.width; ++x) {
                const uint8_t* from = symbol.pixel(x, y);
                uint8_t* to = image.pixel(x + left, y + top);
                to[0] = from[0], to[1] = from[1], to[2] = from[2];
            }
        const SymbolReading r = readSymbol(image);
        ASSERT_TRUE(r.found) << left << "," << top << ": " << r.failure;
        EXPECT_EQ(r.textUtf8, "PHOTO SIZED") << left << "," << top;
        EXPECT_EQ(r.version, 5);
    }
}

TEST(Detection, DamagedPictureWithinCapacityReads) {
    // 3-H: two blocks of 35 codewords with 22 check codewords, 11 syndromes, 5 errors each.
    const Rendering r{4, 4, 0, false};
    auto e = dectest::encodeSymbol("DAMAGED 12345", 3, 3);
    platform::RgbImage image = dectest::render(*e, r);
    // Five modules in the data region at the lower right, all in the first codewords read.
    for (int k = 0; k < 5; ++k) invertModule(image, r, e->side - 1 - k % 2, e->side - 1 - 2 * k);
    const SymbolReading got = readSymbol(image);
    ASSERT_TRUE(got.found);
    EXPECT_EQ(got.textUtf8, "DAMAGED 12345");
    EXPECT_EQ(got.ecLevel, 3);
}

}  // namespace
