#include "decoder/ContentDecoder.h"

#include "decoder/Codewords.h"
#include "decoder/FormatInformation.h"
#include "decoder/RsDecode.h"
#include "decoder/SegmentDecoder.h"
#include "decoder/SymbolSize.h"
#include "platform/text.h"

namespace {

// Corrects every block in place; returns the data codewords in block order.
std::vector<uint8_t> correctBlocks(std::vector<CodewordBlock>& blocks, ContentReading& reading) {
    std::vector<uint8_t> data;
    for (CodewordBlock& block : blocks) {
        const int length = static_cast<int>(block.codewords.size());
        const RsDecode rs(length - block.dataCount);
        const int result = rs.correct(block.codewords.data(), length);
        if (result < 0) ++reading.uncorrectableBlocks;
        else reading.correctedCodewords += result;
        data.insert(data.end(), block.codewords.begin(), block.codewords.begin() + block.dataCount);
    }
    reading.blockCount = static_cast<int>(blocks.size());
    return data;
}

}  // namespace

ContentReading ContentDecoder::read(const BitMatrix& modules) {
    ContentReading reading;
    const int side = modules.width();
    const int version = (side - 17) / 4;
    if (side != modules.height() || side != symbolSide(version) || version < 1 || version > 40) return reading;

    const std::optional<FormatInformation> format = readFormatInformation(modules);
    if (!format) {
        reading.failure = ReadFailure::FormatUnreadable;
        return reading;
    }
    if (version >= 7) {
        const std::optional<int> stated = readVersionInformation(modules);
        if (stated && *stated != version) {
            reading.failure = ReadFailure::FormatUnreadable;
            return reading;
        }
    }

    std::vector<CodewordBlock> blocks = deinterleave(readCodewords(modules, version, format->mask), version, format->ecLevel);
    const std::vector<uint8_t> data = correctBlocks(blocks, reading);
    if (reading.uncorrectableBlocks > 0) {
        reading.failure = ReadFailure::Damaged;
        return reading;
    }

    DecodedContent content;
    reading.failure = decodeSegments(data, version, content);
    if (reading.failure != ReadFailure::None) return reading;

    reading.symbol = symbolOf(std::move(content));
    reading.symbol.version = version;
    reading.symbol.ecLevel = format->ecLevel;
    reading.symbol.mask = format->mask;
    return reading;
}

DecodedSymbol symbolOf(DecodedContent content) {
    DecodedSymbol s;
    s.bytes = std::move(content.bytes);
    s.text = std::move(content.text);
    s.textUtf8 = platform::utf16ToUtf8(s.text);
    s.eci = content.eci;
    s.charset = content.charset;
    s.sequence = content.sequence;
    s.fnc1 = content.fnc1;
    return s;
}
