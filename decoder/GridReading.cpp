#include "decoder/GridReading.h"

#include <algorithm>

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

ReadStage symbolEvidence(const BitMatrix& m) {
    const int side = m.width();
    const int version = (side - 17) / 4;
    if (side != m.height() || side != symbolSide(version) || version < 1 || version > 40) return ReadStage::Timing;
    if (timingShare(m) < tuning::kSymbolTiming) return ReadStage::Timing;
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
