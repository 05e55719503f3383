#include "decoder/GridReading.h"

#include <algorithm>
#include <cstdlib>

#include "decoder/FormatInformation.h"
#include "decoder/ReaderTuning.h"
#include "decoder/SymbolSize.h"

namespace {

// The share of timing modules (row and column 6 between the finder patterns) as a symbol's
// alternate, dark at even positions; the weaker of the two lines.
double timingShare(const BitMatrix& m) {
    const int side = m.width();
    int row = 0, column = 0;
    for (int k = 8; k <= side - 9; ++k) {
        const bool dark = k % 2 == 0;
        row += m.get(k, 6) == dark;
        column += m.get(6, k) == dark;
    }
    return static_cast<double>(std::min(row, column)) / (side - 16);
}

// The shares of the three finder patterns' modules (7 x 7 each) and of their separators (the
// light row and column between a pattern and the data) that are as a symbol's.
struct FinderShares {
    double patterns = 0, separators = 0;
};

FinderShares finderShares(const BitMatrix& m) {
    const int side = m.width();
    int patterns = 0, separators = 0;
    for (const auto& [ox, oy] : {std::pair<int, int>{0, 0}, {side - 7, 0}, {0, side - 7}}) {
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < 7; ++x) {
                const bool ring = std::max(std::abs(x - 3), std::abs(y - 3)) == 2;  // the light ring
                patterns += m.get(ox + x, oy + y) != ring;
            }
        // The separator: the row and the column of eight modules on the pattern's inner sides.
        const int rowY = oy == 0 ? 7 : oy - 1, columnX = ox == 0 ? 7 : ox - 1;
        const int fromX = ox == 0 ? 0 : ox - 1, fromY = oy == 0 ? 0 : oy - 1;
        for (int k = 0; k < 8; ++k) {
            separators += !m.get(fromX + k, rowY);
            if (fromY + k != rowY) separators += !m.get(columnX, fromY + k);
        }
    }
    return {patterns / (3.0 * 49), separators / (3.0 * 15)};
}

// A copy within one bit of a format code word, or both copies naming the same format within the
// code's reach: random modules pass the first about once in sixty, the second about once in a
// hundred, while "within reach" alone (three bits) they pass more often than not.
bool formatFound(const BitMatrix& m) {
    const FormatMatch first = nearestFormat(formatBitsOfCopy(m, 0)), second = nearestFormat(formatBitsOfCopy(m, 1));
    if (std::min(first.errors, second.errors) <= tuning::kFormatErrorsAlone) return true;
    return first.value == second.value && first.errors <= 3 && second.errors <= 3;
}

ReadStage stageOf(const ContentReading& read, const BitMatrix& modules) {
    switch (read.failure) {
        case ReadFailure::None: return ReadStage::Read;
        case ReadFailure::Malformed:
        case ReadFailure::Unsupported:
        case ReadFailure::Damaged: {
            const ReadStage evidence = symbolEvidence(modules);
            if (evidence != ReadStage::ReedSolomon) return evidence;
            return read.failure == ReadFailure::Damaged ? ReadStage::ReedSolomon : ReadStage::BitStream;
        }
        default: return std::min(symbolEvidence(modules), ReadStage::Version);
    }
}

}  // namespace

bool formatWithinReach(const BitMatrix& bits, const GreyImage& grey, const GridFit& grid, bool inverted) {
    const int side = symbolSide(grid.version);
    const auto pixelAt = [&](PicturePoint module, int& x, int& y) {
        const PicturePoint p = grid.map(module);
        if (!(p.x >= 0 && p.y >= 0 && p.x < bits.width() && p.y < bits.height())) return false;
        x = static_cast<int>(p.x), y = static_cast<int>(p.y);
        return true;
    };
    // The timing modules alternate: their mean grey lies between the symbol's two levels.
    int64_t sum = 0;
    int count = 0, x, y;
    for (int k = 8; k <= side - 9; ++k)
        for (const PicturePoint module : {PicturePoint{k + 0.5, 6.5}, PicturePoint{6.5, k + 0.5}})
            if (pixelAt(module, x, y)) sum += grey.at(x, y), ++count;
    const double middle = count > 0 ? static_cast<double>(sum) / count : 128;
    BitMatrix fromBits(side, side), fromGrey(side, side);
    for (int k = 0; k < side; ++k) {
        if (k > 8 && k < side - 8) continue;
        for (const auto& [mx, my] : {std::pair<int, int>{k, 8}, std::pair<int, int>{8, k}}) {
            if (!pixelAt({mx + 0.5, my + 0.5}, x, y)) continue;
            fromBits.set(mx, my, bits.get(x, y));
            fromGrey.set(mx, my, inverted ? grey.at(x, y) > middle : grey.at(x, y) < middle);
        }
    }
    for (const BitMatrix* m : {&fromBits, &fromGrey})
        for (const BitMatrix& seen : {*m, m->transposed()})
            if (formatFound(seen)) return true;
    return false;
}

ReadStage symbolEvidence(const BitMatrix& m) {
    const int side = m.width();
    const int version = (side - 17) / 4;
    if (side != m.height() || side != symbolSide(version) || version < 1 || version > 40) return ReadStage::Timing;
    if (timingShare(m) < tuning::kSymbolTiming) return ReadStage::Timing;
    const FinderShares finders = finderShares(m);
    if (finders.patterns < tuning::kSymbolPatterns || finders.separators < tuning::kSymbolSeparators) return ReadStage::Timing;
    if (!formatFound(m)) return ReadStage::Format;
    if (version >= 7 && readVersionInformation(m) != version) return ReadStage::Version;
    return ReadStage::ReedSolomon;
}

ReadFailure GridReading::failure() const {
    if (reached == ReadStage::Read) return ReadFailure::None;
    if (reached < ReadStage::ReedSolomon) return ReadFailure::NotFound;
    return content.failure;
}

namespace {

void readAsSeenOrMirrored(const BitMatrix& modules, GridReading& reading) {
    if (modules.empty()) return;
    for (const bool transposed : {false, true}) {
        const BitMatrix m = transposed ? modules.transposed() : modules;
        ContentReading read = ContentDecoder::read(m);
        const ReadStage stage = stageOf(read, m);
        if (stage < reading.reached) continue;
        reading.reached = stage;
        reading.content = std::move(read);
        reading.mirrored = transposed;
        if (stage == ReadStage::Read) return;
    }
}

}  // namespace

GridReading readGrid(const BitMatrix& bits, const GreyImage& grey, const GridFit& grid, bool inverted) {
    GridReading reading;
    readAsSeenOrMirrored(sampleGrid(bits, grid), reading);
    if (reading.reached == ReadStage::Read) return reading;
    readAsSeenOrMirrored(sampleGridByGrey(grey, grid, inverted), reading);
    return reading;
}
