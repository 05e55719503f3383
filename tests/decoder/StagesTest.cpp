// The detector's stages one at a time, on pictures whose truth is known: what a count of
// pictures read can hide (a module lost to a threshold, a pattern found twice, a triple never
// formed, a grid off by a module, a failure reported for something that is no symbol).
#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>

#include "decoder/Binariser.h"
#include "decoder/Codewords.h"
#include "decoder/FinderGeometries.h"
#include "decoder/FinderPattern.h"
#include "decoder/FinderTriples.h"
#include "decoder/GridReading.h"
#include "decoder/SymbolReader.h"
#include "tests/decoder/SymbolPictures.h"

namespace {

// Whether module (mx, my) of the rendered picture's symbol is dark in `bits`, read at its centre.
bool darkInBits(const BitMatrix& bits, const dectest::Rendering& r, int mx, int my) {
    return bits.get((mx + r.quietZone) * r.scale + r.scale / 2, (my + r.quietZone) * r.scale + r.scale / 2);
}

// A picture of `modules` (1 = dark), `scale` pixels per module, with a quiet zone of 4.
platform::RgbImage pictureOf(const BitMatrix& modules, int scale) {
    const int side = (modules.width() + 8) * scale;
    platform::RgbImage picture(side, side, 0xFF);
    for (int y = 0; y < modules.height(); ++y)
        for (int x = 0; x < modules.width(); ++x)
            if (modules.get(x, y))
                for (int py = 0; py < scale; ++py)
                    for (int px = 0; px < scale; ++px) {
                        uint8_t* p = picture.pixel((x + 4) * scale + px, (y + 4) * scale + py);
                        p[0] = p[1] = p[2] = 0;
                    }
    return picture;
}

BitMatrix matrixOf(const CQREncoder& e) {
    BitMatrix m(e.side, e.side);
    for (int y = 0; y < e.side; ++y)
        for (int x = 0; x < e.side; ++x) m.set(x, y, e.modules[x][y] != 0);
    return m;
}

}  // namespace

TEST(Stages, LocalThresholdsKeepEveryModuleUnderAStrongGradient) {
    const auto e = dectest::encodeSymbol("gradient across the symbol", 1, 4);
    const dectest::Rendering r{4, 4, 0, true};
    const BitMatrix bits = binariseLocal(toGrey(dectest::render(*e, r)));
    int wrong = 0;
    for (int y = 0; y < e->side; ++y)
        for (int x = 0; x < e->side; ++x) wrong += darkInBits(bits, r, x, y) != (e->modules[x][y] != 0);
    EXPECT_EQ(wrong, 0);
}

TEST(Stages, EachFinderPatternIsOneCandidateWithItsModuleSize) {
    const auto e = dectest::encodeSymbol("three patterns", 1, 3);
    const dectest::Rendering r{5, 4, 0, false};
    const FinderSearch search = findFinderPatterns(binariseGlobal(toGrey(dectest::render(*e, r))), 40);
    const double far = (4 + e->side - 3.5) * 5, near = (4 + 3.5) * 5;
    for (const PicturePoint expected : {PicturePoint{near, near}, PicturePoint{far, near}, PicturePoint{near, far}}) {
        int found = 0;
        for (const FinderCandidate& c : search.candidates)
            if (distance(c.centre, expected) < 2) {
                ++found;
                EXPECT_NEAR(c.moduleSize, 5, 0.3);
            }
        EXPECT_EQ(found, 1) << expected.x << "," << expected.y;
    }
}

TEST(Stages, EverySymbolOfASheetGetsItsTripleWithItsOwnCorner) {
    // 60 symbols of version 3 (legs of 22 modules), 50 modules apart: the neighbours' patterns lie
    // nearer some patterns than their own symbol's.
    std::vector<FinderCandidate> candidates;
    for (int row = 0; row < 6; ++row)
        for (int column = 0; column < 10; ++column) {
            const PicturePoint origin{column * 50 * 8.0 + 100, row * 50 * 8.0 + 100};
            for (const PicturePoint offset : {PicturePoint{0, 0}, PicturePoint{22 * 8, 0}, PicturePoint{0, 22 * 8}})
                candidates.push_back({origin + offset, 8, 24, 1, 1.1});
        }
    const TripleRanking ranking = rankTriples(candidates, 0, candidates.size());
    std::set<int> corners;
    for (const FinderTriple& t : ranking.triples)
        if (t.topLeft % 3 == 0 && t.topRight == t.topLeft + 1 && t.bottomLeft == t.topLeft + 2) corners.insert(t.topLeft);
    EXPECT_EQ(corners.size(), 60u);
}

TEST(Stages, TheGridOfATurnedSymbolSamplesItExactly) {
    const auto e = dectest::encodeSymbol("grid with version information and alignment tiles", 1, 8);
    const dectest::Rendering r{3, 4, 1, false};
    const BitMatrix bits = binariseGlobal(toGrey(dectest::render(*e, r)));
    const FinderSearch search = findFinderPatterns(bits, 40);
    const TripleRanking ranking = rankTriples(search.candidates, 0, search.candidates.size());
    ASSERT_FALSE(ranking.triples.empty());
    FinderGeometries geometries(bits, search.candidates);
    const SymbolFinders finders = geometries.forTriple(ranking.triples[0]);
    auto grid = fitGrid(finders, 8, GridShape::Perspective);
    ASSERT_TRUE(grid.has_value());
    alignGrid(bits, finders, *grid);
    EXPECT_GT(timingSteps(bits, *grid).weaker(), 0.95);
    // Turned a quarter clockwise: the sampled matrix is the symbol's own, read from its corner.
    const BitMatrix sampled = sampleGrid(bits, *grid);
    ASSERT_EQ(sampled.width(), e->side);
    int wrong = 0;
    for (int y = 0; y < e->side; ++y)
        for (int x = 0; x < e->side; ++x) wrong += sampled.get(x, y) != (e->modules[x][y] != 0);
    EXPECT_EQ(wrong, 0);
}

TEST(Detection, DamagedOnlyWhenASymbolIsFound) {
    // A symbol whose data modules are all flipped: found, damaged beyond correction.
    const auto e = dectest::encodeSymbol("damaged beyond correction", 1, 2);
    BitMatrix damaged = matrixOf(*e);
    for (const auto& [x, y] : dataModulePositions(2)) damaged.flip(x, y);
    EXPECT_EQ(readPicture(pictureOf(damaged, 4)).failure, ReadFailure::Damaged);
    // The same with timing and format information intact but ink where the separators are light
    // (a grid laid over printed text that met both by chance): no symbol.
    BitMatrix inked = damaged;
    const int last = inked.width() - 1;
    for (int k = 0; k < 8; ++k)
        for (const auto& [x, y] : {std::pair{k, 7}, {7, k}, {last - k, 7}, {last - 7, k}, {k, last - 7}, {7, last - k}})
            inked.set(x, y, true);
    EXPECT_EQ(symbolEvidence(inked), ReadStage::Timing);
    // Finder patterns with chance modules everywhere else (timing and format information too):
    // whatever the chance format bits decode to, no symbol is found.
    const BitMatrix function = functionModules(2);
    std::mt19937 random(16);
    int notFound = 0;
    for (int trial = 0; trial < 20; ++trial) {
        BitMatrix fake = matrixOf(*e);
        for (int y = 0; y < fake.height(); ++y)
            for (int x = 0; x < fake.width(); ++x) {
                const bool finderOrSeparator = (x < 8 || x >= fake.width() - 8) && (y < 8 || y >= fake.height() - 8);
                if (!finderOrSeparator || !function.get(x, y)) fake.set(x, y, random() & 1);
            }
        notFound += readPicture(pictureOf(fake, 4)).failure == ReadFailure::NotFound;
    }
    EXPECT_EQ(notFound, 20);
}

TEST(Detection, EverySymbolOfASheetComesOutOnce) {
    // 24 labels on a 1600 x 1200 page: more finder patterns than a fixed cap of 40 keeps.
    platform::RgbImage page(1600, 1200, 0xFF);
    std::set<std::string> texts;
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 6; ++column) {
            const std::string text = "label " + std::to_string(row) + "/" + std::to_string(column);
            texts.insert(text);
            const auto e = dectest::encodeSymbol(text, 1, 2);
            const platform::RgbImage label = dectest::render(*e, {5, 4, (row + column) % 4, false});
            for (int y = 0; y < label.height; ++y)
                for (int x = 0; x < label.width; ++x) {
                    const uint8_t* from = label.pixel(x, y);
                    uint8_t* to = page.pixel(column * 260 + 20 + x, row * 290 + 20 + y);
                    to[0] = to[1] = to[2] = from[0];
                }
        }
    const PictureReading r = readPicture(page);
    std::set<std::string> read;
    for (const DecodedSymbol& s : r.symbols) read.insert(s.textUtf8);
    EXPECT_EQ(r.symbols.size(), 24u);
    EXPECT_EQ(read, texts);
}
