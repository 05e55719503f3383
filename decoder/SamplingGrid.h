// From three finder patterns to the symbol's module grid in the picture, and the grid sampled.
//
// The grid is a perspective transform from module coordinates (0..side on both axes) to
// picture pixels, fitted in the least-squares sense to the finder patterns' centres and outer
// corners, the fourth corner where the finders' outer edges meet, and every alignment pattern
// found; alignment patterns are searched one by one outwards from the upper-left corner, each
// found one refining the fit before the next is predicted. From version 7 on, the grid is cut
// into tiles between neighbouring alignment patterns, each with its own transform, so that a bent
// or wrinkled symbol is followed piece by piece.
#pragma once

#include <array>
#include <optional>
#include <vector>

#include "decoder/BitMatrix.h"
#include "decoder/FinderPattern.h"
#include "decoder/GreyImage.h"
#include "decoder/PerspectiveTransform.h"

// A finder pattern as the grid needs it: its candidate and, where its ring could be traced,
// its outer corners in the symbol's order (upper-left, upper-right, lower-right, lower-left of
// the pattern, as the symbol reads).
struct FinderGeometry {
    FinderCandidate candidate;
    std::optional<std::array<PicturePoint, 4>> corners;
    // From the pattern's own module frame (0..7 from its upper-left corner) to the picture, where
    // its corners were traced: the symbol's modules near the pattern, without any grid.
    std::optional<PerspectiveTransform> local;
};

// Orients a pattern's traced corners to the symbol's axes (from topLeft's centre towards
// topRight's and towards bottomLeft's).
FinderGeometry orientFinder(const FinderCandidate& candidate, const std::optional<std::array<PicturePoint, 4>>& corners,
                            PicturePoint xAxis, PicturePoint yAxis);

struct SymbolFinders {
    FinderGeometry topLeft, topRight, bottomLeft;
};

// The version stated by the version information beside the upper-right or lower-left pattern,
// read through that pattern's own geometry (no grid needed); nullopt when neither copy decodes.
std::optional<int> readVersionNearFinders(const BitMatrix& bits, const SymbolFinders& finders);

// How the grid is first laid from the three patterns: through their centres and the
// parallelogram's fourth corner (no perspective; exact for flat, rotated symbols), or through
// their centres, traced corners and the fourth corner where their edges meet (follows tilt).
enum class GridShape { Parallelogram, Perspective };

struct GridFit {
    int version = 0;
    GridShape shape = GridShape::Perspective;
    // Tile boundaries in module coordinates along either axis, and each tile's transform, row
    // of tiles by row; one tile covers the whole symbol below version 7.
    std::vector<double> cuts;
    std::vector<PerspectiveTransform> tiles;
    PerspectiveTransform whole;
    std::array<PicturePoint, 4> corners{};  // the symbol's outer corners: upper-left, upper-right,
                                            // lower-right, lower-left
    int alignmentFound = 0;
    // The points the grid was fitted to where they are more than the patterns' (fitToTiming).
    std::vector<PerspectiveTransform::Pair> fittedTo;

    PicturePoint map(PicturePoint module) const;
    // The tile holding module coordinate v along either axis, and the transform of a tile.
    int tileAlong(double v) const;
    const PerspectiveTransform& tile(int alongX, int alongY) const;

private:
    int tilesPerSide() const;
};

// The grid of `version` from the three patterns alone; nullopt when they do not determine one.
std::optional<GridFit> fitGrid(const SymbolFinders& finders, int version, GridShape shape);
// The grid refitted to the three patterns' centres and the dark modules of both timing patterns
// as found near where `grid` puts them: under perspective a grid from the centres alone drifts
// between them by a module's fraction, enough to miss dotted modules. nullopt when too few of
// the timing modules are found.
std::optional<GridFit> fitToTiming(const BitMatrix& bits, const SymbolFinders& finders, const GridFit& grid);
// The grid refined by the version's alignment patterns (none below version 2) and, from version
// 7 on, cut into tiles between them.
void alignGrid(const BitMatrix& bits, const SymbolFinders& finders, GridFit& grid);

// The grid refitted, as one transform, to the centres of its lone dark modules (light on all four
// sides as `grid` samples them) found near where it puts them. nullopt when too few are found.
std::optional<GridFit> fitToModules(const BitMatrix& bits, const GridFit& grid);

// How well the grid steps along the timing patterns (row and column 6 between the finder
// patterns): along each, the share (0..1) of neighbouring timing modules it finds different, as
// they are. A cheap test that a grid lies on a symbol of that size before anything else is done
// with it: about a half by chance.
struct TimingSteps {
    double alongRow = 0, alongColumn = 0;
    double both() const { return (alongRow + alongColumn) / 2; }
    double weaker() const { return alongRow < alongColumn ? alongRow : alongColumn; }
};
TimingSteps timingSteps(const BitMatrix& bits, const GridFit& grid);
// The same, nullopt as soon as the neighbours found alike leave both() no way to reach `least`:
// most grids laid over texture are given up after a few modules.
std::optional<TimingSteps> timingStepsAtLeast(const BitMatrix& bits, const GridFit& grid, double least);

// The module matrix (1 = dark) read at each module's centre; empty when more than a twentieth of
// the modules fall outside the picture.
BitMatrix sampleGrid(const BitMatrix& bits, const GridFit& grid);

// The module matrix read from grey levels instead: each module's grey at its centre against the
// mean of the modules around it (7 x 7), so the threshold follows shadows and faint print module
// by module. `inverted`: light modules are the symbol's dark ones. Empty as sampleGrid.
BitMatrix sampleGridByGrey(const GreyImage& grey, const GridFit& grid, bool inverted);
