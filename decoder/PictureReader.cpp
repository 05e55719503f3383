// The reader's top-level loop: start here to follow a picture to its text.
//
// picture → grey → bit image (a fixed ladder of binarisations, the rungs below) → finder
// candidates (FinderPattern) → ranked triples (FinderTriples), each with its corner where its
// patterns' outlines put it (FinderGeometries) → grids (GridChoices, SamplingGrid)
// → sampled modules → verified read (GridReading, ContentDecoder), first as seen, then mirrored.
// The finder scan finds light-on-dark patterns too; their triples are read from the flipped bit
// image.
// Each symbol comes out once: the finder patterns of a verified symbol are not used again, on
// its rung or any later one. The ladder goes on while nothing has been read, or while a rung
// leaves finder patterns outside the symbols read that look like more symbols (a sheet of many,
// some of them in shadow); what a later rung reads is added.
#include <algorithm>

#include "decoder/Binariser.h"
#include "decoder/FinderGeometries.h"
#include "decoder/GridChoices.h"
#include "decoder/GridReading.h"
#include "decoder/MicroDetector.h"
#include "decoder/ReaderTuning.h"
#include "decoder/SymbolPlacement.h"
#include "decoder/SymbolReader.h"

namespace {

// One rung of the retry ladder: a bit image of the picture, and how many picture pixels one of
// its pixels stands for.
struct Rung {
    const char* name;
    BitMatrix bits;
    double scale = 1;
    int rowStep = 1;     // rows of the finder scan: every rowStep-th
    GreyImage ownGrey;   // the grey picture the bits come from, when not the picture's own
};

// The grey picture a rung's bit image was made from.
const GreyImage& greyOf(const Rung& rung, const GreyImage& picture) {
    return rung.ownGrey.pixels.empty() ? picture : rung.ownGrey;
}

// The row step of the full scans: every other row of a picture of some size, every third of a
// large photo's.
int fullStep(const GreyImage& grey) {
    const int shorter = std::min(grey.width, grey.height);
    return shorter >= tuning::kEveryThirdRowFrom ? 3 : shorter >= tuning::kEveryOtherRowFrom ? 2 : 1;
}

// The ladder, in order: one global threshold (the cheapest, and enough for screens, scans and
// evenly lit photos), local thresholds (shadows, uneven light), local thresholds on a smoothed
// copy (print grain, sensor noise, faint contrast) and, for large photos, on a half-size copy.
// `step` 0, 1, ...; an empty bit image means the rung does not apply; nullopt past the last.
// `storage`: the previous rung's bit image, whose memory the new one takes over.
std::optional<Rung> retryRung(const GreyImage& grey, int step, BitMatrix storage) {
    switch (step) {
        case 0: {
            // The first, cheap look scans every few rows of a large picture; the later rungs
            // scan them all.
            const int rows = tuning::kRowsInFirstLook;
            const int rowStep = std::max(1, (std::min(grey.width, grey.height) + rows / 2) / rows);
            return Rung{"global", binariseGlobal(grey, std::move(storage)), 1, rowStep, {}};
        }
        case 1: return Rung{"local", binariseLocal(grey, tuning::kEvenRange, std::move(storage)), 1, fullStep(grey), {}};
        case 2:
            return Rung{"local, smoothed", binariseLocalSmoothed(grey, tuning::kSmoothedEvenRange, std::move(storage)), 1,
                        fullStep(grey), {}};
        case 3: {
            if (static_cast<long>(grey.width) * grey.height < tuning::kLargePhoto) return Rung{"local, half size", BitMatrix(), 2, 1, {}};
            Rung rung{"local, half size", BitMatrix(), 2, 1, halfSize(grey)};
            rung.bits = binariseLocal(rung.ownGrey, tuning::kEvenRange, std::move(storage));
            return rung;
        }
        default: return std::nullopt;
    }
}

// Candidates kept per polarity: more for a larger picture, which can hold more symbols.
size_t candidateCap(const BitMatrix& bits) {
    const long pixels = static_cast<long>(bits.width()) * bits.height();
    return static_cast<size_t>(std::max<long>(tuning::kMinCandidates, pixels / tuning::kPixelsPerCandidate));
}

// What the grids of one triple gave.
struct TripleReading {
    std::optional<DecodedSymbol> symbol;  // placed in the picture
    GridFit grid;                         // the one that verified
    ReadStage reached = ReadStage::Timing;
    ReadFailure failure = ReadFailure::NotFound;
    std::vector<std::array<PicturePoint, 4>> gridCorners;  // each grid fitted, in picture pixels
};

// Reads the symbol a triple stands for from the first of its grids that verifies.
TripleReading readTriple(const BitMatrix& bits, const GreyImage& grey, const SymbolFinders& finders, int estimatedVersion,
                         const Rung& rung, bool inverted) {
    TripleReading result;
    GridChoices choices(bits, finders, estimatedVersion);
    while (std::optional<GridFit> next = choices.next()) {
        GridFit& grid = *next;
        if (!formatWithinReach(bits, grey, grid, inverted)) {
            // Past the timing stage only where both timing lines step as a symbol's do: the loose
            // test lets a grid over another symbol's data through now and then.
            if (timingSteps(bits, grid).weaker() >= tuning::kSymbolTiming)
                result.reached = std::max(result.reached, ReadStage::Format);
            continue;
        }
        alignGrid(bits, finders, grid);
        result.gridCorners.push_back({grid.corners[0] * rung.scale, grid.corners[1] * rung.scale,
                                      grid.corners[2] * rung.scale, grid.corners[3] * rung.scale});
        GridReading read = readGrid(bits, grey, grid, inverted);
        // A symbol found that the error correction cannot mend: under a steep slant its grid can
        // be off by a module's fraction far from the patterns. Refitted once to its lone modules.
        if (read.reached == ReadStage::ReedSolomon)
            if (auto snapped = fitToModules(bits, grid)) {
                GridReading again = readGrid(bits, grey, *snapped, inverted);
                if (again.reached == ReadStage::Read) read = std::move(again), grid = std::move(*snapped);
            }
        result.reached = std::max(result.reached, read.reached);
        result.failure = furthest(result.failure, read.failure());
        if (read.reached != ReadStage::Read) continue;
        result.symbol = placedSymbol(std::move(read.content.symbol), grid, read.mirrored, inverted, rung.scale);
        result.grid = std::move(grid);
        return result;
    }
    return result;
}

struct PassReading;
void readMicroSymbols(const BitMatrix& bits, const GreyImage& grey, const std::vector<FinderCandidate>& candidates,
                      FinderGeometries& geometries, const Rung& rung, bool inverted, std::vector<bool>& used,
                      PassReading& pass, const std::atomic<bool>* stop);

// What one polarity of one rung gave.
struct PassReading {
    std::vector<DecodedSymbol> symbols;
    ReadFailure failure = ReadFailure::NotFound;
    int unused = 0;         // candidates outside every symbol read so far
    bool promising = false;  // a triple that did not read got past the timing test
    ReadTrace::Attempt trace;
};

void countFailure(ReadTrace::Attempt& trace, ReadStage stage) {
    switch (stage) {
        case ReadStage::Timing: ++trace.failedTiming; break;
        case ReadStage::Format: ++trace.failedFormat; break;
        case ReadStage::Version: ++trace.failedVersion; break;
        case ReadStage::ReedSolomon: ++trace.failedReedSolomon; break;
        case ReadStage::BitStream: ++trace.failedBitStream; break;
        case ReadStage::Read: break;
    }
}

// Reads the symbols whose finder patterns are among `candidates`, leaving out those of symbols
// read before.
bool stopped(const std::atomic<bool>* stop) { return stop != nullptr && stop->load(std::memory_order_relaxed); }

PassReading readSymbolsIn(const BitMatrix& bits, const GreyImage& grey, const FinderSearch& search, const Rung& rung,
                          bool inverted, const std::vector<DecodedSymbol>& readBefore, const std::atomic<bool>* stop) {
    const std::vector<FinderCandidate>& candidates = inverted ? search.invertedCandidates : search.candidates;
    PassReading pass;
    ReadTrace::Attempt& trace = pass.trace;
    trace.binariser = rung.name;
    trace.inverted = inverted;
    trace.candidates = static_cast<int>(candidates.size());
    trace.candidatesDropped = inverted ? search.invertedDropped : search.dropped;
    for (const FinderCandidate& c : candidates) trace.finderCentres.push_back(c.centre * rung.scale);
    std::vector<bool> used(candidates.size(), false);
    markPatternsOfRead(readBefore, rung.scale, candidates, used);
    FinderGeometries geometries(bits, candidates);
    const int tries = std::max(tuning::kTriesPerPass, static_cast<int>(candidates.size()) / tuning::kCandidatesPerTry);
    int gridded = 0;  // triples tried that got as far as the grids
    // The strongest candidates' triples first; the others only while three candidates are unused.
    const size_t n = candidates.size(), strongest = std::min<size_t>(tuning::kStrongest, n);
    for (const auto& [from, to] : {std::pair<size_t, size_t>{0, strongest}, {strongest, n}}) {
        if (from == to || std::count(used.begin(), used.end(), false) < 3) continue;
        const TripleRanking ranking = rankTriples(candidates, from, to);
        trace.triples += static_cast<int>(ranking.triples.size());
        trace.triplesDropped += ranking.dropped;
        for (const FinderTriple& ranked : ranking.triples) {
            if (stopped(stop)) break;
            if (used[ranked.topLeft] || used[ranked.topRight] || used[ranked.bottomLeft]) continue;
            const int budget = tries + tuning::kTriesPerSymbol * trace.verified;
            if (gridded >= budget || trace.triplesTried >= tuning::kTriplesJudgedPerTry * budget) break;
            ++trace.triplesTried;
            // Seen face on, the picture's own right angle names the corner; outlines are needed
            // only under a slant (and can mislead where a line runs along the symbol's edge).
            const std::optional<FinderTriple> t =
                isSquareInPicture(candidates, ranked) ? std::optional(ranked) : geometries.byOutlines(ranked);
            if (!t) {
                countFailure(trace, ReadStage::Timing);
                continue;
            }
            if (geometries.ringsTraced(*t) < tuning::kLeastTracedRings) {
                countFailure(trace, ReadStage::Timing);
                continue;
            }
            ++gridded;
            TripleReading read = readTriple(bits, grey, geometries.forTriple(*t), t->estimatedVersion, rung, inverted);
            trace.gridsFitted += static_cast<int>(read.gridCorners.size());
            trace.gridCorners.insert(trace.gridCorners.end(), read.gridCorners.begin(), read.gridCorners.end());
            if (!read.symbol) {
                countFailure(trace, read.reached);
                pass.promising = pass.promising || read.reached > ReadStage::Timing;
                pass.failure = furthest(pass.failure, read.failure);
                continue;
            }
            markPatternsOf(read.grid, *t, candidates, used);
            pass.symbols.push_back(std::move(*read.symbol));
            ++trace.verified;
        }
    }
    readMicroSymbols(bits, grey, candidates, geometries, rung, inverted, used, pass, stop);
    markPatternsOfRead(pass.symbols, rung.scale, candidates, used);
    pass.unused = static_cast<int>(std::count(used.begin(), used.end(), false));
    return pass;
}

// Micro QR and rMQR symbols from the candidates no symbol read so far accounts for.
void readMicroSymbols(const BitMatrix& bits, const GreyImage& grey, const std::vector<FinderCandidate>& candidates,
                      FinderGeometries& geometries, const Rung& rung, bool inverted, std::vector<bool>& used,
                      PassReading& pass, const std::atomic<bool>* stop) {
    markPatternsOfRead(pass.symbols, rung.scale, candidates, used);
    for (size_t i = 0; i < candidates.size() && !stopped(stop); ++i) {
        if (used[i]) continue;
        const std::optional<std::array<PicturePoint, 4>>& ring = geometries.ring(i);
        if (!ring) continue;
        MicroSymbolReading read = readMicroSymbol(bits, grey, candidates[i], *ring, inverted);
        ++pass.trace.microTried;
        if (!read.symbol) {
            pass.failure = furthest(pass.failure, read.failure);
            continue;
        }
        DecodedSymbol& s = *read.symbol;
        for (PicturePoint& corner : s.corners) corner = corner * rung.scale;
        used[i] = true;
        markPatternsOfRead({s}, rung.scale, candidates, used);
        pass.symbols.push_back(std::move(s));
        ++pass.trace.verified;
    }
}

}  // namespace

PictureReading readPicture(const platform::RgbImage& picture, ReadTrace* trace, const std::atomic<bool>* stop) {
    PictureReading reading;
    ReadTrace local;
    ReadTrace& record = trace != nullptr ? *trace : local;
    const GreyImage grey = toGrey(picture);
    bool more = true;  // whether the rungs so far leave anything to look for
    BitMatrix spare;
    for (int step = 0; more && !stopped(stop); ++step) {
        std::optional<Rung> rung = retryRung(grey, step, std::move(spare));
        if (!rung) break;
        if (rung->bits.empty()) continue;
        const FinderSearch finders = findFinderPatterns(rung->bits, candidateCap(rung->bits), rung->rowStep);
        const GreyImage& rungGrey = greyOf(*rung, grey);
        int unused = 0;
        bool promising = false;
        for (const bool inverted : {false, true}) {
            const size_t count = inverted ? finders.invertedCandidates.size() : finders.candidates.size();
            // Light-on-dark symbols only where no dark-on-light one was read (one pattern may be a
            // Micro QR or rMQR symbol).
            if (inverted && (count < 1 || !reading.symbols.empty())) break;
            if (inverted) rung->bits.invert();
            PassReading pass = readSymbolsIn(rung->bits, rungGrey, finders, *rung, inverted, reading.symbols, stop);
            reading.failure = furthest(reading.failure, pass.failure);
            unused += pass.unused;
            promising = promising || pass.promising;
            for (DecodedSymbol& s : pass.symbols) reading.symbols.push_back(std::move(s));
            record.attempts.push_back(std::move(pass.trace));
        }
        // After a read, the next rung only for patterns outside the symbols read that look like
        // more: a grid over them that stepped along its timing patterns, or several symbols
        // read already (a sheet of them).
        more = reading.symbols.empty() || (unused >= 3 && (promising || reading.symbols.size() >= 2));
        spare = std::move(rung->bits);
    }
    putInReadingOrder(reading.symbols);
    if (!reading.symbols.empty()) reading.failure = ReadFailure::None;
    return reading;
}
