// The reader's top-level loop: start here to follow a picture to its text.
//
// picture → grey → bit image (a fixed ladder of binarisations, ReadSteps) → finder candidates
// (FinderPattern) → ranked triples (FinderTriples) → grids (SamplingGrid) → sampled modules →
// verified read (ContentDecoder), first as seen, then mirrored (the matrix transposed).
// The finder scan finds light-on-dark patterns too; when the normal ones give nothing, the bit
// image is flipped and the light-on-dark symbol read from it.
// Each symbol comes out once: the finder patterns of a verified symbol are not used again. The
// ladder goes on only while nothing has been verified.
#include <algorithm>

#include "decoder/DetectionState.h"
#include "decoder/ReadSteps.h"
#include "decoder/SymbolReader.h"

namespace {

constexpr size_t kMaxCandidates = 40;
constexpr size_t kStrongest = 12;
constexpr size_t kMaxTriples = 120;

// Reads the symbol triple `t` stands for from the first of its grids that verifies.
bool readTriple(const BitMatrix& bits, const GreyImage& grey, const FinderTriple& t, FinderGeometries& geometries,
                const Rung& rung, bool inverted, PictureReading& reading, ReadTrace::Attempt& trace, GridFit& read) {
    const SymbolFinders finders = geometries.forTriple(t);
    GridChoices choices(bits, finders, t.estimatedVersion);
    while (std::optional<GridFit> next = choices.next()) {
        GridFit& grid = *next;
        alignGrid(bits, finders, grid);
        ++trace.gridsFitted;
        trace.gridCorners.push_back({grid.corners[0] * rung.scale, grid.corners[1] * rung.scale,
                                     grid.corners[2] * rung.scale, grid.corners[3] * rung.scale});
        bool mirrored = false;
        ContentReading content = readGrid(bits, grey, grid, inverted, mirrored, reading.failure);
        if (content.failure != ReadFailure::None) continue;
        reading.symbols.push_back(placedSymbol(std::move(content.symbol), grid, mirrored, inverted, rung.scale));
        read = std::move(grid);
        return true;
    }
    return false;
}

void readSymbolsIn(const BitMatrix& bits, const GreyImage& grey, const std::vector<FinderCandidate>& candidates,
                   const Rung& rung, bool inverted, PictureReading& reading, ReadTrace::Attempt& trace) {
    trace.binariser = rung.name;
    trace.inverted = inverted;
    trace.candidates = static_cast<int>(candidates.size());
    for (const FinderCandidate& c : candidates) trace.finderCentres.push_back(c.centre * rung.scale);
    FinderGeometries geometries(bits, candidates);
    std::vector<bool> used(candidates.size(), false);
    // The strongest candidates' triples first; the others only while three candidates are unused.
    const size_t n = candidates.size(), strongest = std::min(kStrongest, n);
    for (const auto& [from, to] : {std::pair<size_t, size_t>{0, strongest}, {strongest, n}}) {
        if (from == to || std::count(used.begin(), used.end(), false) < 3) continue;
        const TripleRanking ranking = rankTriples(candidates, kMaxTriples, from, to);
        trace.triples += static_cast<int>(ranking.triples.size());
        trace.triplesDropped += ranking.dropped;
        for (const FinderTriple& t : ranking.triples) {
            if (used[t.topLeft] || used[t.topRight] || used[t.bottomLeft]) continue;
            ++trace.triplesTried;
            GridFit grid;
            if (!readTriple(bits, grey, t, geometries, rung, inverted, reading, trace, grid)) continue;
            markPatternsOf(grid, t, candidates, used);
            ++trace.verified;
        }
    }
}

}  // namespace

PictureReading readPicture(const platform::RgbImage& picture, ReadTrace* trace) {
    PictureReading reading;
    ReadTrace local;
    ReadTrace& record = trace != nullptr ? *trace : local;
    const GreyImage grey = toGrey(picture);
    for (int step = 0; reading.symbols.empty(); ++step) {
        std::optional<Rung> rung = retryRung(grey, step);
        if (!rung) break;
        if (rung->bits.empty()) continue;
        const FinderSearch finders = findFinderPatterns(rung->bits, kMaxCandidates, rung->rowStep);
        const GreyImage& rungGrey = greyOf(*rung, grey);
        readSymbolsIn(rung->bits, rungGrey, finders.candidates, *rung, false, reading, record.attempts.emplace_back());
        record.attempts.back().candidatesDropped = finders.dropped;
        if (reading.symbols.empty() && finders.invertedCandidates.size() >= 3) {
            rung->bits.invert();
            readSymbolsIn(rung->bits, rungGrey, finders.invertedCandidates, *rung, true, reading, record.attempts.emplace_back());
            record.attempts.back().candidatesDropped = finders.invertedDropped;
        }
    }
    putInReadingOrder(reading.symbols);
    if (!reading.symbols.empty()) reading.failure = ReadFailure::None;
    detectionFailed = reading.symbols.empty();
    return reading;
}
