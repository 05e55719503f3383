// The grids worth refining and sampling for one triple of finder patterns, most likely first.
#pragma once

#include <optional>
#include <vector>

#include "decoder/BitMatrix.h"
#include "decoder/SamplingGrid.h"

// The version its version information states, then the estimated version and its neighbours,
// each laid both ways (GridShape); only those that step along the timing patterns. A grid is
// fitted only when the ones before it did not verify.
class GridChoices {
public:
    GridChoices(const BitMatrix& bits, const SymbolFinders& finders, int estimatedVersion);
    std::optional<GridFit> next();

private:
    const BitMatrix& bits;
    const SymbolFinders& finders;
    std::vector<int> versions;
    size_t nextVersion = 0;
    std::vector<GridFit> pending;  // of the version at hand, the best last
};

// The version from the distances between the patterns' centres in modules, each leg measured by
// the module size along it (from the traced corners where there are any); `fallback` when the
// patterns give no plausible size.
int estimateVersion(const SymbolFinders& finders, int fallback);
