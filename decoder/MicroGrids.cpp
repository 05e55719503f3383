#include "decoder/MicroGrids.h"

#include <bit>

#include "decoder/Codewords.h"
#include "decoder/MicroTables.h"
#include "decoder/RsDecode.h"
#include "decoder/SegmentDecoder.h"

namespace {

// The BCH code word of `value` (`dataBits` wide) with `checkBits` check bits of generator `poly`.
uint32_t bchCodeWord(uint32_t value, int checkBits, uint32_t poly) {
    uint32_t r = value << checkBits;
    const int top = std::bit_width(poly) - 1;
    for (int bit = std::bit_width(r) - 1; bit >= top; bit = std::bit_width(r) - 1) r ^= poly << (bit - top);
    return value << checkBits | r;
}

// The value (of `values`) whose masked code word is nearest to `bits`, within three bits.
std::optional<std::pair<int, int>> nearestCodeWord(uint32_t bits, int values, int checkBits, uint32_t poly,
                                                   uint32_t mask) {
    int best = -1, bestErrors = 99;
    for (int v = 0; v < values; ++v) {
        const int errors = std::popcount(bits ^ (bchCodeWord(static_cast<uint32_t>(v), checkBits, poly) ^ mask));
        if (errors < bestErrors) best = v, bestErrors = errors;
    }
    if (bestErrors > 3) return std::nullopt;
    return std::pair<int, int>{best, bestErrors};
}

// Corrects every block in place, each within `mostCorrections` codewords (-1: the code's own reach).
std::vector<uint8_t> correctBlocks(std::vector<CodewordBlock>& blocks, int mostCorrections, ContentReading& reading) {
    std::vector<uint8_t> data;
    for (CodewordBlock& block : blocks) {
        const int length = static_cast<int>(block.codewords.size());
        const RsDecode rs(length - block.dataCount);
        std::vector<uint8_t> before = block.codewords;
        const int result = rs.correct(block.codewords.data(), length);
        if (result < 0 || (mostCorrections >= 0 && result > mostCorrections)) {
            block.codewords = std::move(before);
            ++reading.uncorrectableBlocks;
        } else {
            reading.correctedCodewords += result;
        }
        data.insert(data.end(), block.codewords.begin(), block.codewords.begin() + block.dataCount);
    }
    reading.blockCount = static_cast<int>(blocks.size());
    return data;
}

// The rest of a read once the data codewords are corrected.
void finishRead(ContentReading& reading, const std::vector<uint8_t>& data, const StreamSyntax& syntax,
                SymbolFormat format, int version, int ecLevel, int mask) {
    if (reading.uncorrectableBlocks > 0) {
        reading.failure = ReadFailure::Damaged;
        return;
    }
    DecodedContent content;
    reading.failure = decodeSegments(data, syntax, content);
    if (reading.failure != ReadFailure::None) return;
    reading.symbol = symbolOf(std::move(content));
    reading.symbol.format = format;
    reading.symbol.version = version;
    reading.symbol.ecLevel = ecLevel;
    reading.symbol.mask = mask;
}

constexpr uint32_t kFormatPoly = 0x537;     // BCH (15, 5)
constexpr uint32_t kMicroFormatMask = 0x4445;
constexpr uint32_t kRmqrFormatPoly = 0x1F25; // BCH (18, 6)
constexpr uint32_t kRmqrFormatMasks[2] = {0x1FAB2, 0x20A7B};

}  // namespace

namespace MicroGrids {

uint32_t microFormatBits(const BitMatrix& m) {
    uint32_t bits = 0;
    for (int x = 1; x <= 8; ++x) bits = bits << 1 | m.get(x, 8);
    for (int y = 7; y >= 1; --y) bits = bits << 1 | m.get(8, y);
    return bits;
}

std::optional<MicroFormat> decodeMicroFormat(uint32_t bits) {
    const auto nearest = nearestCodeWord(bits, 32, 10, kFormatPoly, kMicroFormatMask);
    if (!nearest) return std::nullopt;
    MicroFormat format;
    format.symbolNumber = nearest->first >> 2;
    format.mask = nearest->first & 3;
    format.ecLevel = kMicroSymbolTypes[format.symbolNumber].ecLevel;
    format.errors = nearest->second;
    return format;
}

bool microMaskCovers(int mask, int x, int y) {
    // Micro QR's four patterns are QR's patterns 1, 4, 6 and 7.
    static constexpr int kQrMask[4] = {1, 4, 6, 7};
    return maskCovers(kQrMask[mask & 3], x, y);
}

std::vector<std::pair<int, int>> microDataPositions(int version) {
    const int side = microSide(version);
    std::vector<std::pair<int, int>> positions;
    // Column pairs from the right edge, up and down in turn; the finder pattern, its separator and
    // the format information fill the upper-left 9 x 9, the timing patterns row and column 0.
    bool upward = true;
    for (int right = side - 1; right > 0; right -= 2, upward = !upward)
        for (int k = 0; k < side; ++k) {
            const int y = upward ? side - 1 - k : k;
            for (const int x : {right, right - 1})
                if (x > 0 && y > 0 && (x > 8 || y > 8)) positions.emplace_back(x, y);
        }
    return positions;
}

ContentReading readMicroQr(const BitMatrix& modules) {
    ContentReading reading;
    const int side = modules.width();
    if (side != modules.height() || side < 11 || side > 17 || side % 2 == 0) return reading;
    const std::optional<MicroFormat> format = decodeMicroFormat(microFormatBits(modules));
    const MicroSymbolType* type = format ? &kMicroSymbolTypes[format->symbolNumber] : nullptr;
    if (type == nullptr || microSide(type->version) != side) {
        reading.failure = ReadFailure::FormatUnreadable;
        return reading;
    }
    // The codewords in placement order; the short last data codeword of M1 and M3 stands in its
    // byte's upper four bits.
    const int count = type->dataCodewords + type->checkCodewords;
    const int shortLast = type->dataBits % 8 != 0 ? type->dataCodewords - 1 : -1;
    std::vector<uint8_t> codewords(static_cast<size_t>(count), 0);
    int index = 0, bit = 0;
    for (const auto& [x, y] : microDataPositions(type->version)) {
        if (index >= count) break;
        const bool dark = modules.get(x, y) != microMaskCovers(format->mask, x, y);
        if (dark) codewords[index] |= static_cast<uint8_t>(0x80 >> bit);
        if (++bit == (index == shortLast ? 4 : 8)) ++index, bit = 0;
    }
    std::vector<CodewordBlock> blocks{{std::move(codewords), type->dataCodewords}};
    const std::vector<uint8_t> data = correctBlocks(blocks, type->mostCorrections, reading);
    finishRead(reading, data, microSyntax(type->version, type->dataBits), SymbolFormat::MicroQR, type->version,
               type->ecLevel, format->mask);
    return reading;
}

BitMatrix rmqrFunctionModules(int height, int width) {
    BitMatrix m(width, height);
    const auto mark = [&](int x0, int y0, int w, int h) {
        for (int y = std::max(y0, 0); y < std::min(y0 + h, height); ++y)
            for (int x = std::max(x0, 0); x < std::min(x0 + w, width); ++x) m.set(x, y, true);
    };
    // Timing all round the edge (the finder, sub-finder and corner patterns take their part of it).
    mark(0, 0, width, 1);
    mark(0, height - 1, width, 1);
    mark(0, 0, 1, height);
    mark(width - 1, 0, 1, height);
    // The finder pattern with its separator, and the format information beside it.
    mark(0, 0, 8, 8);
    mark(8, 1, 3, 5);
    mark(11, 1, 1, 3);
    // The sub-finder pattern, and the format information beside it.
    mark(width - 5, height - 5, 5, 5);
    mark(width - 8, height - 6, 3, 5);
    mark(width - 5, height - 6, 3, 1);
    // Corner patterns: upper right and lower left.
    mark(width - 2, 1, 1, 1);
    if (height > 9) mark(1, height - 2, 1, 1);
    // Alignment patterns at the top and bottom edges, joined by vertical timing lines.
    for (const int cx : rmqrAlignmentColumns(width)) {
        mark(cx - 1, 0, 3, 3);
        mark(cx - 1, height - 3, 3, 3);
        mark(cx, 0, 1, height);
    }
    return m;
}

uint32_t rmqrFormatBits(const BitMatrix& m, int copy) {
    const int width = m.width(), height = m.height();
    // Copy 0 beside the finder pattern, copy 1 beside the sub-finder: bits 0..14 down columns
    // of five from the left, bits 15..17 along the row above (copy 1) or the column right (copy 0).
    const int x0 = copy == 0 ? 8 : width - 8, y0 = copy == 0 ? 1 : height - 6;
    uint32_t bits = 0;
    for (int b = 17; b >= 0; --b) {
        int x, y;
        if (b < 15) x = x0 + b / 5, y = y0 + b % 5;
        else if (copy == 0) x = 11, y = 1 + (b - 15);
        else x = width - 5 + (b - 15), y = height - 6;
        bits = bits << 1 | m.get(x, y);
    }
    return bits;
}

std::optional<MicroFormat> decodeRmqrFormat(uint32_t bits, int copy) {
    const auto nearest = nearestCodeWord(bits, 64, 12, kRmqrFormatPoly, kRmqrFormatMasks[copy & 1]);
    if (!nearest) return std::nullopt;
    MicroFormat format;
    format.symbolNumber = nearest->first & 31;
    format.ecLevel = nearest->first >> 5 ? 3 : 1;
    format.mask = 4;
    format.errors = nearest->second;
    return format;
}

std::vector<std::pair<int, int>> rmqrDataPositions(int height, int width) {
    const BitMatrix function = rmqrFunctionModules(height, width);
    std::vector<std::pair<int, int>> positions;
    bool upward = true;
    for (int right = width - 2; right > 0; right -= 2, upward = !upward)
        for (int k = 0; k < height; ++k) {
            const int y = upward ? height - 1 - k : k;
            for (const int x : {right, right - 1})
                if (!function.get(x, y)) positions.emplace_back(x, y);
        }
    return positions;
}

ContentReading readRmqr(const BitMatrix& modules) {
    ContentReading reading;
    const int height = modules.height(), width = modules.width();
    const int size = rmqrSizeIndex(height, width);
    if (size < 0) return reading;
    // The copy with fewer wrong bits; both must name this size if both decode.
    std::optional<MicroFormat> format;
    for (int copy = 0; copy < 2; ++copy) {
        const std::optional<MicroFormat> f = decodeRmqrFormat(rmqrFormatBits(modules, copy), copy);
        if (f && f->symbolNumber == size && (!format || f->errors < format->errors)) format = f;
    }
    if (!format) {
        reading.failure = ReadFailure::FormatUnreadable;
        return reading;
    }
    const RmqrBlocks layout = kRmqrBlocks[size][format->ecLevel == 3 ? 1 : 0];
    const int total = kRmqrCodewords[size];
    std::vector<uint8_t> codewords(static_cast<size_t>(total), 0);
    int bit = 0;
    for (const auto& [x, y] : rmqrDataPositions(height, width)) {
        if (bit >= 8 * total) break;
        if (modules.get(x, y) != maskCovers(4, x, y)) codewords[bit / 8] |= static_cast<uint8_t>(0x80 >> (bit % 8));
        ++bit;
    }
    // Blocks as in QR: the shorter ones first, data codewords interleaved, then check codewords.
    const int dataTotal = total - layout.blocks * layout.checkPerBlock;
    const int shortData = dataTotal / layout.blocks, longBlocks = dataTotal % layout.blocks;
    std::vector<CodewordBlock> blocks(static_cast<size_t>(layout.blocks));
    for (int b = 0; b < layout.blocks; ++b) blocks[b].dataCount = shortData + (b >= layout.blocks - longBlocks ? 1 : 0);
    size_t next = 0;
    for (int k = 0; k <= shortData; ++k)
        for (CodewordBlock& block : blocks)
            if (k < block.dataCount) block.codewords.push_back(codewords[next++]);
    for (int k = 0; k < layout.checkPerBlock; ++k)
        for (CodewordBlock& block : blocks) block.codewords.push_back(codewords[next++]);
    const std::vector<uint8_t> data = correctBlocks(blocks, -1, reading);
    finishRead(reading, data, rmqrSyntax(size), SymbolFormat::RMQR, size + 1, format->ecLevel, 4);
    return reading;
}

}  // namespace MicroGrids
