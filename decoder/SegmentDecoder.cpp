#include "decoder/SegmentDecoder.h"

#include <algorithm>
#include <vector>

#include "decoder/BitSource.h"
#include "decoder/CharacterSets.h"
#include "decoder/CharsetChoice.h"
#include "decoder/MicroTables.h"
#include "platform/text.h"

namespace {

enum Mode : uint32_t {
    kTerminator = 0x0,
    kNumeric = 0x1,
    kAlphanumeric = 0x2,
    kStructuredAppend = 0x3,
    kByte = 0x4,
    kFnc1First = 0x5,
    kEci = 0x7,
    kKanji = 0x8,
    kFnc1Second = 0x9,
    kHanzi = 0xD,
};

// Character-count widths of QR by version group (1-9, 10-26, 27-40): numeric, alphanumeric,
// byte, kanji and Hanzi.
constexpr std::array<std::array<int, 4>, 3> kQrCountBits{{{10, 9, 8, 8}, {12, 11, 16, 10}, {14, 13, 16, 12}}};
enum CountIndex { kNumericCount, kAlphanumericCount, kByteCount, kDoubleByteCount };

// The QR mode each Micro QR and rMQR mode indicator stands for; Micro QR knows the first four.
constexpr uint32_t kMicroModes[4] = {kNumeric, kAlphanumeric, kByte, kKanji};
constexpr uint32_t kRmqrModes[8] = {kTerminator, kNumeric, kAlphanumeric, kByte, kKanji, kFnc1First, kFnc1Second, kEci};

constexpr char kAlphanumericChars[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ $%*+-./:";
constexpr int kHanziSubsetGb2312 = 1;
constexpr char kGroupSeparator = 0x1D;

// A run of data in one form: ASCII characters (numeric and alphanumeric segments), bytes in
// the character set of `eci`, kanji as Shift JIS pairs, Hanzi as GB 2312 pairs.
enum class PieceKind { Ascii, Bytes, Kanji, Hanzi };
struct Piece {
    PieceKind kind;
    int eci;  // the ECI in effect, -1 without one
    std::string bytes;
};

class StreamParser {
public:
    StreamParser(const std::vector<uint8_t>& data, const StreamSyntax& syntax)
        : bits(data.data(), data.size(), syntax.dataBits), syntax(syntax) {}

    ReadFailure parse(DecodedContent& out);
    const std::vector<Piece>& result() const { return pieces; }

private:
    ReadFailure segment(uint32_t mode, DecodedContent& out);
    ReadFailure numeric(int count);
    ReadFailure alphanumeric(int count);
    ReadFailure kanji(int count);
    ReadFailure hanzi();
    ReadFailure eci(DecodedContent& out);
    ReadFailure applicationIndicator();
    bool paddingIsClean();
    void append(PieceKind kind, std::string bytes);
    bool fits(size_t bitCount) const { return bitCount <= bits.available(); }

    uint32_t readMode();

    BitSource bits;
    StreamSyntax syntax;
    std::vector<Piece> pieces;
    int eciInEffect = -1;
    bool fnc1 = false;
};

// The terminator is all zero bits, as long as a mode indicator in QR and rMQR and longer in Micro
// QR, where it reads as an empty numeric segment.
ReadFailure StreamParser::parse(DecodedContent& out) {
    const int terminator = syntax.terminatorBits;
    while (bits.available() >= static_cast<size_t>(terminator)) {
        if (bits.peek(terminator) == 0) {
            bits.read(terminator);
            return paddingIsClean() ? ReadFailure::None : ReadFailure::Malformed;
        }
        if (const ReadFailure failure = segment(readMode(), out); failure != ReadFailure::None) return failure;
    }
    // Too few bits left for a terminator: it may be cut short, but only to zero bits.
    return bits.read(static_cast<int>(bits.available())) == 0 ? ReadFailure::None : ReadFailure::Malformed;
}

uint32_t StreamParser::readMode() {
    const uint32_t value = bits.read(syntax.modeBits);
    switch (syntax.family) {
        case StreamSyntax::Family::Qr: return value;
        case StreamSyntax::Family::Micro: return kMicroModes[value];
        case StreamSyntax::Family::Rmqr: return kRmqrModes[value];
    }
    return value;
}

ReadFailure StreamParser::segment(uint32_t mode, DecodedContent& out) {
    const auto count = [&](CountIndex index) -> int {
        const int width = syntax.countBits[index];
        return width > 0 && fits(width) ? static_cast<int>(bits.read(width)) : -1;
    };
    // Micro QR has nothing but the four data modes; rMQR has no Hanzi and no structured append.
    const bool qr = syntax.family == StreamSyntax::Family::Qr;
    if (!qr && (mode == kHanzi || mode == kStructuredAppend)) return ReadFailure::Malformed;
    if (syntax.family == StreamSyntax::Family::Micro && (mode == kEci || mode == kFnc1First || mode == kFnc1Second))
        return ReadFailure::Malformed;
    int n;
    switch (mode) {
        case kNumeric: return (n = count(kNumericCount)) < 0 ? ReadFailure::Malformed : numeric(n);
        case kAlphanumeric: return (n = count(kAlphanumericCount)) < 0 ? ReadFailure::Malformed : alphanumeric(n);
        case kByte: {
            if ((n = count(kByteCount)) < 0 || !fits(8 * static_cast<size_t>(n))) return ReadFailure::Malformed;
            std::string bytes(static_cast<size_t>(n), '\0');
            for (char& b : bytes) b = static_cast<char>(bits.read(8));
            append(PieceKind::Bytes, std::move(bytes));
            return ReadFailure::None;
        }
        case kKanji: return (n = count(kDoubleByteCount)) < 0 ? ReadFailure::Malformed : kanji(n);
        case kHanzi: return hanzi();
        case kEci: return eci(out);
        case kStructuredAppend: {
            if (out.sequence || !fits(16)) return ReadFailure::Malformed;
            StructuredAppend header;
            header.index = static_cast<int>(bits.read(4));
            header.count = static_cast<int>(bits.read(4)) + 1;
            header.parity = static_cast<int>(bits.read(8));
            if (header.index >= header.count) return ReadFailure::Malformed;
            out.sequence = header;
            return ReadFailure::None;
        }
        case kFnc1First:
            // FNC1 stands before any data.
            if (fnc1 || !pieces.empty()) return ReadFailure::Malformed;
            fnc1 = true;
            out.fnc1 = Fnc1::Gs1;
            return ReadFailure::None;
        case kFnc1Second:
            if (fnc1 || !pieces.empty()) return ReadFailure::Malformed;
            fnc1 = true;
            out.fnc1 = Fnc1::Aim;
            return applicationIndicator();
        default: return ReadFailure::Malformed;  // no such mode in QR Code
    }
}

ReadFailure StreamParser::numeric(int count) {
    const size_t needed = 10 * static_cast<size_t>(count / 3) + (count % 3 == 2 ? 7 : count % 3 == 1 ? 4 : 0);
    if (!fits(needed)) return ReadFailure::Malformed;
    std::string digits;
    for (int left = count; left > 0; left -= 3) {
        const int width = left >= 3 ? 3 : left;
        const uint32_t value = bits.read(width == 3 ? 10 : width == 2 ? 7 : 4);
        const uint32_t limit = width == 3 ? 1000 : width == 2 ? 100 : 10;
        if (value >= limit) return ReadFailure::Malformed;
        const std::string group = std::to_string(limit + value).substr(1);  // with its leading zeros
        digits += group;
    }
    append(PieceKind::Ascii, std::move(digits));
    return ReadFailure::None;
}

ReadFailure StreamParser::alphanumeric(int count) {
    if (!fits(11 * static_cast<size_t>(count / 2) + 6 * static_cast<size_t>(count % 2))) return ReadFailure::Malformed;
    std::string chars;
    for (int left = count; left > 0; left -= 2) {
        if (left >= 2) {
            const uint32_t pair = bits.read(11);
            if (pair >= 45 * 45) return ReadFailure::Malformed;
            chars += kAlphanumericChars[pair / 45];
            chars += kAlphanumericChars[pair % 45];
        } else {
            const uint32_t value = bits.read(6);
            if (value >= 45) return ReadFailure::Malformed;
            chars += kAlphanumericChars[value];
        }
    }
    if (fnc1) {
        // After FNC1, '%' stands for the group separator and "%%" for '%'.
        std::string translated;
        for (size_t i = 0; i < chars.size(); ++i) {
            if (chars[i] != '%') translated += chars[i];
            else if (i + 1 < chars.size() && chars[i + 1] == '%') translated += '%', ++i;
            else translated += kGroupSeparator;
        }
        chars = std::move(translated);
    }
    append(PieceKind::Ascii, std::move(chars));
    return ReadFailure::None;
}

// Each 13-bit value is a Shift JIS pair: value = (pair - base) high byte * 0xC0 + low byte, base
// 0x8140 below 0x9FFD and 0xC140 from 0xE040 on.
ReadFailure StreamParser::kanji(int count) {
    if (!fits(13 * static_cast<size_t>(count))) return ReadFailure::Malformed;
    std::string pairs;
    for (int k = 0; k < count; ++k) {
        const uint32_t value = bits.read(13);
        const uint32_t offset = (value / 0xC0) << 8 | (value % 0xC0);
        const uint32_t pair = offset + (offset < 0x1F00 ? 0x8140 : 0xC140);
        const uint32_t trail = pair & 0xFF;
        if (trail < 0x40 || trail == 0x7F || trail > 0xFC) return ReadFailure::Malformed;
        pairs += static_cast<char>(pair >> 8);
        pairs += static_cast<char>(trail);
    }
    append(PieceKind::Kanji, std::move(pairs));
    return ReadFailure::None;
}

// Hanzi mode: a 4-bit subset, then the count and 13-bit values of GB 2312 pairs, rows A1..AA
// first and B0.. after them.
ReadFailure StreamParser::hanzi() {
    if (!fits(4)) return ReadFailure::Malformed;
    if (bits.read(4) != kHanziSubsetGb2312) return ReadFailure::Unsupported;
    const int width = syntax.countBits[kDoubleByteCount];
    if (!fits(width)) return ReadFailure::Malformed;
    const int count = static_cast<int>(bits.read(width));
    if (!fits(13 * static_cast<size_t>(count))) return ReadFailure::Malformed;
    std::string pairs;
    for (int k = 0; k < count; ++k) {
        const uint32_t value = bits.read(13);
        const uint32_t row = value / 0x60, trail = value % 0x60 + 0xA1;
        if (trail > 0xFE) return ReadFailure::Malformed;
        pairs += static_cast<char>(row + (row < 10 ? 0xA1 : 0xA6));
        pairs += static_cast<char>(trail);
    }
    append(PieceKind::Hanzi, std::move(pairs));
    return ReadFailure::None;
}

// One, two or three bytes: 0xxxxxxx, 10xxxxxx xxxxxxxx, 110xxxxx xxxxxxxx xxxxxxxx.
ReadFailure StreamParser::eci(DecodedContent& out) {
    if (!fits(8)) return ReadFailure::Malformed;
    const uint32_t first = bits.read(8);
    uint32_t value;
    if ((first & 0x80) == 0) {
        value = first;
    } else if ((first & 0xC0) == 0x80) {
        if (!fits(8)) return ReadFailure::Malformed;
        value = (first & 0x3F) << 8 | bits.read(8);
    } else if ((first & 0xE0) == 0xC0) {
        if (!fits(16)) return ReadFailure::Malformed;
        value = (first & 0x1F) << 16 | bits.read(16);
        if (value > 999999) return ReadFailure::Malformed;
    } else {
        return ReadFailure::Malformed;
    }
    eciInEffect = static_cast<int>(value);
    if (out.eci < 0) out.eci = eciInEffect;
    return ReadFailure::None;
}

// FNC1 in second position names its application: two digits 00..99, or a letter as its
// ASCII value + 100. The indicator comes first in the data.
ReadFailure StreamParser::applicationIndicator() {
    if (!fits(8)) return ReadFailure::Malformed;
    const uint32_t value = bits.read(8);
    if (value < 100) {
        append(PieceKind::Ascii, std::to_string(100 + value).substr(1));
    } else if ((value >= 'A' + 100 && value <= 'Z' + 100) || (value >= 'a' + 100 && value <= 'z' + 100)) {
        append(PieceKind::Ascii, std::string(1, static_cast<char>(value - 100)));
    } else {
        return ReadFailure::Malformed;
    }
    return ReadFailure::None;
}

// After the terminator: zero bits to the codeword boundary, then pad codewords. The standard's
// pads alternate EC and 11; some encoders fill with zero bytes instead. The short last codeword
// of M1 and M3 pads with zero bits.
bool StreamParser::paddingIsClean() {
    const size_t toBoundary = std::min((8 - bits.position() % 8) % 8, bits.available());
    if (bits.read(static_cast<int>(toBoundary)) != 0) return false;
    while (bits.available() >= 8) {
        const uint32_t pad = bits.read(8);
        if (pad != 0xEC && pad != 0x11 && pad != 0x00) return false;
    }
    return bits.read(static_cast<int>(bits.available())) == 0;
}

void StreamParser::append(PieceKind kind, std::string bytes) { pieces.push_back({kind, eciInEffect, std::move(bytes)}); }

// --- From pieces to text ---

bool followsDefault(const Piece& p) {
    return (p.kind == PieceKind::Bytes || p.kind == PieceKind::Kanji) && (p.eci < 0 || charsets::forEci(p.eci) == nullptr);
}

// The character set of byte and kanji data outside any known ECI, decided over all of it at once,
// with the ASCII of numeric and alphanumeric segments in its place among it.
CharsetChoice defaultCharset(const std::vector<Piece>& pieces) {
    std::string data;
    bool kanji = false;
    for (const Piece& p : pieces) {
        if (!followsDefault(p) && p.kind != PieceKind::Ascii) continue;
        data += p.bytes;
        kanji |= p.kind == PieceKind::Kanji;
    }
    return chooseCharset(data, kanji);
}

const char* iconvName(Charset charset) {
    switch (charset) {
        case Charset::Gbk: return charsets::kGbk;
        case Charset::ShiftJis: return charsets::kShiftJis;
        case Charset::Latin1: return charsets::kLatin1;
        case Charset::Utf8: return charsets::kUtf8;
    }
    return charsets::kGbk;
}

// `charset` nullptr: ASCII characters of numeric and alphanumeric segments.
std::u16string convert(const char* charset, const std::string& bytes) {
    if (charset == nullptr) return std::u16string(bytes.begin(), bytes.end());
    if (charset == charsets::kUtf8) return platform::utf8ToUtf16(bytes);
    if (charset == charsets::kGbk) return platform::multiByteToWide(platform::kCodePageGbk, bytes);
    return charsets::toText(charset, bytes);
}

// Consecutive pieces in the same character set are converted together, so a character split
// between two segments comes out whole. ASCII pieces join the run of data without an ECI
// (`fallback`, a set that holds ASCII as itself) they stand in: an encoder may put the trail byte
// of a Shift JIS pair (ア is 83 41, 'A') into an alphanumeric segment.
std::u16string textOf(const std::vector<Piece>& pieces, const char* fallback) {
    std::u16string text;
    std::string run;
    const char* runCharset = nullptr;  // the charset of `run`, whenever it is not empty
    for (const Piece& p : pieces) {
        const char* charset;
        if (p.kind == PieceKind::Ascii) charset = runCharset == fallback ? fallback : nullptr;
        else if (p.kind == PieceKind::Hanzi) charset = charsets::kGb2312;
        else if (followsDefault(p)) charset = fallback;
        else if (p.kind == PieceKind::Kanji) charset = charsets::kShiftJis;
        else charset = charsets::forEci(p.eci);
        if (charset == fallback && runCharset == nullptr) runCharset = fallback;  // ASCII so far
        if (charset != runCharset && !run.empty()) {
            text += convert(runCharset, run);
            run.clear();
        }
        runCharset = charset;
        run += p.bytes;
    }
    if (!run.empty()) text += convert(runCharset, run);
    return text;
}

}  // namespace

StreamSyntax qrSyntax(int version) {
    StreamSyntax syntax;
    syntax.countBits = kQrCountBits[version <= 9 ? 0 : version <= 26 ? 1 : 2];
    return syntax;
}

StreamSyntax microSyntax(int version, int dataBits) {
    StreamSyntax syntax;
    syntax.family = StreamSyntax::Family::Micro;
    syntax.modeBits = version - 1;
    syntax.terminatorBits = 2 * version + 1;
    syntax.countBits = kMicroCountBits[version - 1];
    syntax.dataBits = static_cast<size_t>(dataBits);
    return syntax;
}

StreamSyntax rmqrSyntax(int sizeIndex) {
    StreamSyntax syntax;
    syntax.family = StreamSyntax::Family::Rmqr;
    syntax.modeBits = 3;
    syntax.terminatorBits = 3;
    syntax.countBits = kRmqrCountBits[sizeIndex];
    return syntax;
}

ReadFailure decodeSegments(const std::vector<uint8_t>& data, int version, DecodedContent& out) {
    out = DecodedContent();
    if (version < 1 || version > 40) return ReadFailure::Malformed;
    return decodeSegments(data, qrSyntax(version), out);
}

ReadFailure decodeSegments(const std::vector<uint8_t>& data, const StreamSyntax& syntax, DecodedContent& out) {
    out = DecodedContent();
    if (syntax.dataBits > 8 * data.size()) return ReadFailure::Malformed;
    StreamParser parser(data, syntax);
    if (const ReadFailure failure = parser.parse(out); failure != ReadFailure::None) return failure;
    for (const Piece& p : parser.result()) out.bytes += p.bytes;
    const CharsetChoice choice = defaultCharset(parser.result());
    if (choice.rule != CharsetChoice::Rule::Ascii) out.charset = charsetName(choice.charset);
    out.text = textOf(parser.result(), iconvName(choice.charset));
    return ReadFailure::None;
}
