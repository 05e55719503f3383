// The reader's tuning constants in one place, each with what it guards against. Change one only
// with the corpus beside you (bench/corpus/run): each trades read rate, false finds and time.
#pragma once

namespace tuning {

// --- Binarisation and the retry ladder ---

// Grey levels an 8 x 8 block may span and still count as even (no edge): sensor noise must not
// pass for an edge, or empty margins and large modules break up.
constexpr int kEvenRange = 24;
// The same on the smoothed copy, where noise is gone: lower, so faint contrast (shadows,
// washed-out print) still counts as an edge.
constexpr int kSmoothedEvenRange = 8;
// Pictures of this many pixels and more (a phone camera's) also get a half-size rung: modules of
// a dozen pixels and more read better from a smaller, smoother copy, at a quarter of the cost.
constexpr long kLargePhoto = 1600L * 1200L;
// Rows the first rung's finder scan looks at across the picture's shorter side: a quick look
// that finds patterns whose centre square is a 200th of that or more.
constexpr int kRowsInFirstLook = 200;
// From this shorter side on, the later rungs scan every other row (a centre square is at least
// three rows high, so every other row still crosses it): halves the scan of large pictures.
constexpr int kEveryOtherRowFrom = 400;
// From this shorter side on, every third row: a readable symbol in a photo this large has modules
// of two pixels and more, a centre square of six rows, still crossed twice.
constexpr int kEveryThirdRowFrom = 1500;

// --- Finder patterns ---

// How far a run across a row hit may be from its 1:1:3:1:1 width, relative to it: blur and
// thresholds eat a ring of a small pattern by a pixel or two on one side.
constexpr double kCrossTolerance = 0.75;
// A row hit's centre run is at least this many times the wider of the light runs beside it, for
// hits of kCentreRatioFrom pixels and more: stripes and weaves pass the ratio test by the
// thousand with a centre hardly wider than its gaps, and each such hit costs a check in four
// directions.
constexpr double kLeastCentreToRing = 1.5;
constexpr int kCentreRatioFrom = 14;
// The same along the diagonals, farther from the pixel grid.
constexpr double kDiagonalTolerance = 0.9;
// Tilt shortens one direction: a pattern's height may be 0.4 to 2.5 times its width in the row.
constexpr double kMostFinderStretch = 2.5;
// A traced ring is round (a designer's circular pattern), and gives no corners, when it is at
// least this share as wide across its narrowest direction as across its widest (a square ring
// 0.71 at most, far less under tilt; a disc 1, tilted 37 degrees 0.8) and its farthest points
// out in 16 directions are more than this many distinct ones (a square ring's are its 4 corners
// and a few along its sides): the corners of a circle are anywhere and turn a symbol's triple.
constexpr double kRoundWidthRatio = 0.8;
constexpr int kRoundExtremes = 9;
// Distinct patterns tracked per polarity: at least kLeastTrackedFinders, and kTrackedPerCandidate
// per candidate kept (kMinCandidates, kPixelsPerCandidate), so that a picture made of finder-like
// patterns (a weave, a knit) stops checking new ones soon, while a large sheet of symbols keeps
// all of its own. Pictures read in the corpus track at most about 400.
constexpr int kLeastTrackedFinders = 1024;
constexpr int kTrackedPerCandidate = 8;
// Candidates kept per polarity and bit image: at least this many, and one per this many pixels of
// a larger picture, so a sheet of many symbols keeps all its patterns while noise stays bounded.
constexpr int kMinCandidates = 40;
constexpr long kPixelsPerCandidate = 20000;

// --- Triples ---

// The strongest candidates whose triples are ranked (and tried) first: a clear symbol is read
// before the weak candidates' many chance triples are even formed.
constexpr int kStrongest = 12;
// Each candidate pairs only with its nearest plausible neighbours (in modules): the three
// patterns of one symbol are near one another, and the count of triples grows linearly with the
// candidates instead of with their cube.
constexpr int kNeighbours = 12;
// Triples kept per corner candidate, the best ones: a candidate among many (a sheet of symbols,
// a textured background) forms dozens of plausible triples, its own symbol's is among the best.
constexpr int kTriplesPerCorner = 8;
// Triples tried per polarity of a rung before it gives up: at least kTriesPerPass, one per
// kCandidatesPerTry candidates of a picture with more, and kTriesPerSymbol more for each symbol
// read. A textured picture or another symbology forms thousands of plausible triples that are no
// symbol, while a sheet of symbols keeps finding its own among its best triples.
constexpr int kTriesPerPass = 40;
constexpr int kCandidatesPerTry = 2;
constexpr int kTriesPerSymbol = 12;
// Those tries count the triples that get as far as the grids. A triple turned away before (its
// patterns' outlines show no symbol, too few rings trace) costs little, and a sheet of labels
// forms dozens of such triples across neighbouring labels among its strongest patterns: up to
// this many triples per try are judged.
constexpr int kTriplesJudgedPerTry = 2;
// Modules of one symbol's patterns differ at most this much (tilt and blur).
constexpr double kMostModuleRatio = 2.5;
// The shorter leg of a triple is at least this share of the longer one, in modules.
constexpr double kLeastLegRatio = 0.6;
// The corner's angle keeps within 45..135 degrees (|cos| below 0.7): strong tilt, no more.
constexpr double kMostCornerCosine = 0.7;

// How much farther off the patterns' own axes (in their traced outlines, 0..2 for a pair) the
// way between a triple's diagonal patterns must be than either side's: a symbol's sides run
// along its patterns' edges and its diagonal across them (a margin of 0.8 and more at a 65-degree
// slant, 0.45 on a moire-striped screen), while three chance patterns in texture or print show
// no such order (four in ten of their triples fall below).
constexpr double kLeastDiagonalMargin = 0.3;
// Of a triple's three patterns, at least this many have a ring that traces as a square (or a
// designer's circle) of their own size before any grid is fitted: a symbol's patterns stand clear of what is around them
// behind their light separators (every symbol read in the corpus had two such rings, all but two
// of them three), while most triples formed in texture, print and other symbologies have one or
// none, and each costs several grid fits.
constexpr int kLeastTracedRings = 2;
// A triple that is square in the picture itself (legs within this share of each other's length,
// and of the cosine of a right angle) is a symbol seen face on: its corner is where the picture's
// right angle is, and its outlines are not asked. A line drawn along a symbol's edge (the read
// page's own outline, a printed frame) merges with the patterns' rings and misleads them.
constexpr double kSquareTripleTolerance = 0.08;

// --- Grids ---

// A pattern's centre is found to a fraction of a pixel, its traced corners to a pixel or so: the
// centres weigh this much more in the fit.
constexpr double kCentreWeight = 8;
// Share of neighbouring timing modules a grid must find different before it is refined and
// sampled. Photos of real symbols keep three quarters and more, even tilted; chance a half.
constexpr double kTimingAgreement = 0.65;
// A grid refitted to its timing modules (dots a designer drew for modules are missed by a grid
// off by a module's fraction, which one from the patterns' centres alone is under tilt): each
// dark timing module looked for this far (in modules) from where the walk along the line expects
// it, the first on each line this far, as the grid is least sure of the line's offset across it.
constexpr double kTimingSearch = 0.6;
constexpr double kFirstTimingSearch = 0.9;
// Share of the dark timing modules the walk may miss: texture gives up within a few modules.
constexpr double kMostTimingMissed = 0.25;
// A candidate inside a read symbol that fits worse than this is taken for its data whatever its
// size: the patterns of a nested symbol fit better even at small sizes.
constexpr double kPoorFit = 0.6;

// --- What counts as a symbol found (when it does not read) ---

// Along each timing pattern separately, the share of neighbours found different: texture and
// other symbologies reach the loose test above now and then, a real symbol's both lines this.
constexpr double kSymbolTiming = 0.85;
// The three finder patterns and their light separators as sampled through the grid: a grid laid
// over printed text or another symbology can step along its timing lines and meet format
// information by chance, its corners rarely hold three whole patterns with light around them.
// Symbols read in photos keep 0.7 of the patterns' modules and 0.8 of the separators' and more.
constexpr double kSymbolPatterns = 0.65;
constexpr double kSymbolSeparators = 0.7;
// Format information: one copy within this many wrong bits, or both copies naming the same
// format within the code's reach. Random bits lie within three bits of some format code word more
// often than not, within one only about once in sixty.
constexpr int kFormatErrorsAlone = 1;

}  // namespace tuning
