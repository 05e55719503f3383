#include "decoder/Codewords.h"

#include "decoder/DecoderTables.h"
#include "decoder/SymbolSize.h"

bool maskCovers(int mask, int x, int y) {
    const int i = y, j = x;  // the patterns are written in row i, column j
    switch (mask) {
        case 0: return (i + j) % 2 == 0;
        case 1: return i % 2 == 0;
        case 2: return j % 3 == 0;
        case 3: return (i + j) % 3 == 0;
        case 4: return ((i / 2) + (j / 3)) % 2 == 0;
        case 5: return (i * j) % 2 + (i * j) % 3 == 0;
        case 6: return ((i * j) % 2 + (i * j) % 3) % 2 == 0;
        default: return ((i + j) % 2 + (i * j) % 3) % 2 == 0;
    }
}

namespace {

void markRect(BitMatrix& m, int x0, int y0, int width, int height) {
    for (int y = y0; y < y0 + height; ++y)
        for (int x = x0; x < x0 + width; ++x) m.set(x, y, true);
}

}  // namespace

BitMatrix functionModules(int version) {
    const int n = symbolSide(version);
    BitMatrix m(n, n);
    // Finder patterns with separators and the format information beside them (the dark module
    // at (8, n - 8) included).
    markRect(m, 0, 0, 9, 9);
    markRect(m, n - 8, 0, 8, 9);
    markRect(m, 0, n - 8, 9, 8);
    // Timing patterns.
    markRect(m, 6, 0, 1, n);
    markRect(m, 0, 6, n, 1);
    // Alignment patterns, except where they would overlap a finder pattern.
    const qrdec::DecoderVersionInfo* info = qrdec::decoderVersionInfo(version);
    if (version >= 2) {
        int centres[7] = {6};
        const int count = info->alignCount + 1;
        for (int k = 1; k < count; ++k) centres[k] = info->alignPositions[k - 1];
        for (int a = 0; a < count; ++a)
            for (int b = 0; b < count; ++b) {
                const bool onFinder = (a == 0 && b == 0) || (a == 0 && b == count - 1) || (a == count - 1 && b == 0);
                if (!onFinder) markRect(m, centres[a] - 2, centres[b] - 2, 5, 5);
            }
    }
    if (version >= 7) {
        markRect(m, n - 11, 0, 3, 6);
        markRect(m, 0, n - 11, 6, 3);
    }
    return m;
}

namespace {

// Calls visit(x, y) for each data module in placement order.
template <typename Visit>
void walkDataModules(int version, Visit visit) {
    const int n = symbolSide(version);
    const BitMatrix function = functionModules(version);
    bool upwards = true;
    for (int right = n - 1; right >= 1; right -= 2) {
        if (right == 6) right = 5;  // the timing column is passed over
        for (int step = 0; step < n; ++step) {
            const int y = upwards ? n - 1 - step : step;
            const uint8_t* row = function.row(y);
            if (!row[right]) visit(right, y);
            if (!row[right - 1]) visit(right - 1, y);
        }
        upwards = !upwards;
    }
}

}  // namespace

std::vector<std::pair<int, int>> dataModulePositions(int version) {
    std::vector<std::pair<int, int>> positions;
    walkDataModules(version, [&](int x, int y) { positions.emplace_back(x, y); });
    return positions;
}

std::vector<uint8_t> readCodewords(const BitMatrix& modules, int version, int mask) {
    const size_t total = static_cast<size_t>(qrdec::decoderVersionInfo(version)->totalCodewords);
    std::vector<uint8_t> codewords(total, 0);
    size_t bit = 0;
    walkDataModules(version, [&](int x, int y) {
        if (bit < 8 * total && modules.get(x, y) != maskCovers(mask, x, y))
            codewords[bit / 8] |= static_cast<uint8_t>(0x80 >> (bit % 8));
        ++bit;
    });
    return codewords;
}

std::vector<CodewordBlock> deinterleave(const std::vector<uint8_t>& codewords, int version, int ecLevel) {
    const qrdec::DecoderVersionInfo* info = qrdec::decoderVersionInfo(version);
    if (info == nullptr || ecLevel < 0 || ecLevel > 3 || static_cast<int>(codewords.size()) != info->totalCodewords)
        return {};
    const qrdec::BlockKind& shortKind = info->firstBlocks[ecLevel];
    const qrdec::BlockKind& longKind = info->secondBlocks[ecLevel];
    const int blockCount = shortKind.blockCount + longKind.blockCount;
    const int checkCount = shortKind.codewordsPerBlock - shortKind.dataCodewordsPerBlock;

    std::vector<CodewordBlock> blocks(static_cast<size_t>(blockCount));
    for (int b = 0; b < blockCount; ++b) {
        const bool isLong = b >= shortKind.blockCount;
        blocks[b].dataCount = isLong ? longKind.dataCodewordsPerBlock : shortKind.dataCodewordsPerBlock;
        blocks[b].codewords.reserve(static_cast<size_t>(blocks[b].dataCount + checkCount));
    }
    // Data codewords go round the blocks one column at a time (the long blocks' extra one last),
    // then the check codewords the same way.
    size_t next = 0;
    const int longestData = blockCount > shortKind.blockCount ? longKind.dataCodewordsPerBlock
                                                               : shortKind.dataCodewordsPerBlock;
    for (int k = 0; k < longestData; ++k)
        for (CodewordBlock& block : blocks)
            if (k < block.dataCount) block.codewords.push_back(codewords[next++]);
    for (int k = 0; k < checkCount; ++k)
        for (CodewordBlock& block : blocks) block.codewords.push_back(codewords[next++]);
    return blocks;
}
