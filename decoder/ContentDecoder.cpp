#include "decoder/ContentDecoder.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "decoder/DecoderTables.h"
#include "decoder/RsDecode.h"
#include "platform/text.h"

namespace {

constexpr uint16_t kFormatMask = 0x5412;
constexpr uint16_t kExhausted = 0xFFFF;

constexpr int kModeTerminator = 0;
constexpr int kModeNumeric = 1;
constexpr int kModeAlphanumeric = 2;
constexpr int kModeByte = 4;
constexpr int kModeKanji = 8;
constexpr int kModeChinese = 13;

// Character-count widths [mode row][version group]: numeric, alphanumeric, byte, Chinese.
constexpr int kCountBits[4][3] = {{10, 12, 14}, {9, 11, 13}, {8, 16, 16}, {8, 10, 12}};

constexpr char16_t kAlphanumericChars[] = u"0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ $%*+-./:";

char16_t alphanumericChar(int value) { return value <= 44 ? kAlphanumericChars[value] : u':'; }

bool maskCondition(int pattern, int i, int j) {
    switch (pattern) {
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

}  // namespace

int ContentDecoder::levelFromIndicator(int indicator) {
    // Level indicators 01, 00, 11, 10 stand for L, M, Q, H.
    static constexpr int kLevelOfIndicator[4] = {1, 0, 3, 2};
    return kLevelOfIndicator[indicator & 3];
}

int ContentDecoder::run(int sideIn, int versionIn, const uint8_t (*matrix)[kMaxSide]) {
    if (versionIn < 1 || versionIn > 40 || sideIn != 4 * versionIn + 17 || matrix == nullptr) return 0;
    side = sideIn;
    version = versionIn;
    for (int x = 0; x < side; ++x)
        for (int y = 0; y < side; ++y) modules[x][y] = matrix[x][y] != 0 ? 1 : 0;

    const int format = readFormatInformation();
    ecLevel = levelFromIndicator(format >> 3);
    maskPattern = format & 7;
    unmask();
    markFunctionModules();
    readCodewords();
    correctAndAssemble();
    decodeSegments();
    return 1;
}

int ContentDecoder::matchFormat(const int* positions) const {
    int bits = 0;
    for (int i = 0; i < 15; ++i) {
        const int x = positions[2 * i], y = positions[2 * i + 1];
        bits |= (modules[x][y] & 1) << i;
    }
    bits ^= kFormatMask;
    for (int k = 0; k < 32; ++k) {
        if (__builtin_popcount(static_cast<unsigned>(bits ^ qrdec::kFormatCodewords[k])) <= 3) return k;
    }
    return -1;
}

int ContentDecoder::readFormatInformation() const {
    int first[30], second[30];
    for (int i = 0; i < 6; ++i) first[2 * i] = 8, first[2 * i + 1] = i;
    first[12] = 8, first[13] = 7;
    first[14] = 8, first[15] = 8;
    first[16] = 7, first[17] = 8;
    for (int i = 9; i < 15; ++i) first[2 * i] = 14 - i, first[2 * i + 1] = 8;
    for (int i = 0; i < 8; ++i) second[2 * i] = side - 1 - i, second[2 * i + 1] = 8;
    for (int i = 8; i < 15; ++i) second[2 * i] = 8, second[2 * i + 1] = side - 15 + i;

    int value = matchFormat(first);
    if (value < 0) value = matchFormat(second);
    return value < 0 ? 0 : value;
}

void ContentDecoder::unmask() {
    for (int x = 0; x < side; ++x)
        for (int y = 0; y < side; ++y)
            if (maskCondition(maskPattern, y, x)) modules[x][y] ^= 1;
}

void ContentDecoder::markSquare(int cx, int cy, int radius) {
    for (int x = cx - radius; x <= cx + radius; ++x)
        for (int y = cy - radius; y <= cy + radius; ++y)
            if (x >= 0 && y >= 0 && x < side && y < side) modules[x][y] = kFunctionMarker;
}

void ContentDecoder::markFunctionModules() {
    const int n = side;
    auto markRect = [&](int x0, int x1, int y0, int y1) {
        for (int x = x0; x <= x1; ++x)
            for (int y = y0; y <= y1; ++y) modules[x][y] = kFunctionMarker;
    };
    // Finder patterns with their separators.
    markRect(0, 7, 0, 7);
    markRect(n - 8, n - 1, 0, 7);
    markRect(0, 7, n - 8, n - 1);
    // Timing patterns.
    markRect(6, 6, 0, n - 1);
    markRect(0, n - 1, 6, 6);
    // Alignment patterns; the last coordinate paired with 6 falls on a finder pattern.
    if (version >= 2) {
        const qrdec::DecoderVersionInfo* info = qrdec::decoderVersionInfo(version);
        const int count = info->alignCount;
        const int32_t* c = info->alignPositions;
        for (int i = 0; i < count; ++i) {
            for (int j = 0; j < count; ++j) markSquare(c[i], c[j], 2);
            if (i < count - 1) {
                markSquare(6, c[i], 2);
                markSquare(c[i], 6, 2);
            }
        }
    }
    // Format areas, the dark module included.
    markRect(0, 8, 8, 8);
    markRect(8, 8, 0, 8);
    markRect(n - 8, n - 1, 8, 8);
    markRect(8, 8, n - 8, n - 1);
    // Version information.
    if (version >= 7) {
        markRect(n - 11, n - 9, 0, 5);
        markRect(0, 5, n - 11, n - 9);
    }
}

void ContentDecoder::readCodewords() {
    const qrdec::DecoderVersionInfo* info = qrdec::decoderVersionInfo(version);
    totalCodewords = info->totalCodewords;
    std::memset(rawCodewords, 0, static_cast<size_t>(totalCodewords));
    const int n = side;
    int x = n - 1, y = n - 1, direction = -1;
    int codeword = 0, bitCount = 0, value = 0;
    while (codeword < totalCodewords && x >= 1) {
        for (int column = x; column >= x - 1; --column) {
            const uint8_t m = modules[column][y];
            if (m == kFunctionMarker) continue;
            value = (value << 1) | (m & 1);
            if (++bitCount == 8) {
                rawCodewords[codeword++] = static_cast<uint8_t>(value);
                value = 0;
                bitCount = 0;
                if (codeword == totalCodewords) return;
            }
        }
        y += direction;
        if (y < 0 || y == n) {
            y = y < 0 ? 0 : n - 1;
            direction = -direction;
            x -= 2;
            if (x == 6) x = 5;
        }
    }
}

void ContentDecoder::correctAndAssemble() {
    const qrdec::DecoderVersionInfo* info = qrdec::decoderVersionInfo(version);
    const int t = info->totalCodewords;
    const int d = info->dataCodewords[ecLevel];
    const int blocks = info->firstBlocks[ecLevel].blockCount + info->secondBlocks[ecLevel].blockCount;
    const int e = (t - d) / blocks;
    const int q = t / blocks;
    const int r = t % blocks;
    const int shortBlocks = blocks - r;
    const RsDecode rs(e / 2);

    uint8_t assembled[kMaxCodewords];
    int assembledLength = 0;
    uint8_t block[256];
    for (int b = 0; b < blocks; ++b) {
        const bool isLong = b >= shortBlocks;
        const int length = isLong ? q + 1 : q;
        const int dataLength = length - e;
        for (int k = 0; k < length; ++k) {
            int index;
            if (blocks == 1 || k < q - e) index = k * blocks + b;
            else if (!isLong) index = k * blocks + r + b;
            else index = k * blocks - shortBlocks + b;
            block[k] = rawCodewords[index];
        }
        rs.correct(block, length);  // a block beyond correction is used as read
        std::memcpy(assembled + assembledLength, block, static_cast<size_t>(dataLength));
        assembledLength += dataLength;
    }
    dataCodewordCount = d;
    ecCodewordCount = t - d;
    std::memcpy(dataStream, assembled, static_cast<size_t>(d));
}

uint16_t ContentDecoder::readBits(int n) {
    if (bitPosition == -1) return kExhausted;
    if (bitPosition + n > 8 * dataCodewordCount) {
        bitPosition = -1;
        return kExhausted;
    }
    uint32_t value = 0;
    for (int k = 0; k < n; ++k) {
        const int p = bitPosition + k;
        value = (value << 1) | ((dataStream[p >> 3] >> (7 - (p & 7))) & 1);
    }
    bitPosition += n;
    return static_cast<uint16_t>(value);
}

bool ContentDecoder::isUtf8(const uint8_t* bytes, int length) {
    if (length <= 0) return false;
    bool sawHighByte = false;
    int i = 0;
    while (i < length) {
        const uint8_t b = bytes[i];
        int continuation;
        if (b < 0x80) continuation = 0;
        else if (b <= 0xBF) return false;
        else if (b <= 0xDF) continuation = 1;
        else if (b <= 0xEF) continuation = 2;
        else if (b <= 0xF7) continuation = 3;
        else if (b <= 0xFB || b >= 0xFE) continuation = 4;
        else continuation = 5;
        if (b >= 0x80) sawHighByte = true;
        if (i + continuation >= length) return false;  // ends inside a character
        for (int k = 1; k <= continuation; ++k) {
            if (bytes[i + k] < 0x80 || bytes[i + k] > 0xBF) return false;
        }
        i += continuation + 1;
    }
    return sawHighByte;
}

bool ContentDecoder::readByteSegment(int count, ByteRun& run) {
    if (count > kMaxByteSegment) return false;
    for (int k = 0; k < count; ++k) run.bytes += static_cast<char>(readBits(8));
    run.ends.push_back(static_cast<int32_t>(run.bytes.size()));
    return true;
}

// Each 13-bit value gives back the two bytes it was made from: value = high * 0xC0 + low, and
// the pair is (high << 8 | low) + 0x8140 below 0x1F00, + 0xC140 from there on.
void ContentDecoder::readKanjiSegment(int count, ByteRun& run) {
    for (int k = 0; k < count; ++k) {
        const int value = readBits(13);
        const int offset = (value / 0xC0) << 8 | (value % 0xC0);
        const int pair = offset + (offset < 0x1F00 ? 0x8140 : 0xC140);
        run.bytes += static_cast<char>((pair >> 8) & 0xFF);
        run.bytes += static_cast<char>(pair & 0xFF);
    }
    run.ends.push_back(static_cast<int32_t>(run.bytes.size()));
    run.hasKanji = true;
}

// Converted as a zero-terminated string: a zero byte ends the text. UTF-8 when the bytes are
// well-formed UTF-8 with a byte of 0x80 or above, else the system code page (GBK).
void ContentDecoder::appendBytesAsText(std::string_view bytes) {
    const size_t used = std::min(bytes.find('\0'), bytes.size());
    const auto* raw = reinterpret_cast<const uint8_t*>(bytes.data());
    const unsigned codePage = isUtf8(raw, static_cast<int>(bytes.size())) ? platform::kCodePageUtf8 : platform::kCodePageGbk;
    text += platform::multiByteToWide(codePage, bytes.substr(0, used));
}

void ContentDecoder::flushByteRun(ByteRun& run) {
    if (run.hasKanji) {
        appendBytesAsText(run.bytes);
    } else {
        int32_t start = 0;
        for (const int32_t end : run.ends) {
            appendBytesAsText(std::string_view(run.bytes).substr(static_cast<size_t>(start), static_cast<size_t>(end - start)));
            start = end;
        }
    }
    run = ByteRun();
}

void ContentDecoder::appendChineseCharacter(int value) {
    // The value carries a GB 2312 pair: rows 0xA1..0xAA for the first ten, 0xB0.. after them.
    const int row = value / 96;
    const int lead = row < 10 ? row + 0xA1 : row + 0xA6;
    const int trail = value % 96 + 0xA1;
    if (lead > 0xFE || trail > 0xFE) {
        text += u'?';
        return;
    }
    const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
    const std::u16string converted = platform::multiByteToWide(platform::kCodePageGbk, std::string_view(pair, 2));
    text += converted.size() == 1 ? converted : std::u16string(u"?");
}

void ContentDecoder::decodeSegments() {
    countBitsGroup = version <= 9 ? 0 : version <= 26 ? 1 : 2;
    bitPosition = 0;
    ByteRun run;
    for (int pass = 0; pass < dataCodewordCount; ++pass) {
        if (bitPosition == -1) break;
        const int mode = readBits(4);
        if (mode == kModeTerminator) break;
        int row;
        switch (mode) {
            case kModeNumeric: row = 0; break;
            case kModeAlphanumeric: row = 1; break;
            case kModeByte: row = 2; break;
            case kModeKanji:
            case kModeChinese: row = 3; break;
            default: row = -1; break;  // ECI, structured append, FNC1 and the rest end decoding
        }
        if (row < 0) break;
        const int count = readBits(kCountBits[row][countBitsGroup]);
        if (mode == kModeByte) {
            if (!readByteSegment(count, run)) break;
            continue;
        }
        if (mode == kModeKanji) {
            readKanjiSegment(count, run);
            continue;
        }
        flushByteRun(run);
        switch (mode) {
            case kModeNumeric:
                for (int k = 0; k < count; k += 3) {
                    if (k < count - 2) {
                        const int v = readBits(10);
                        text += static_cast<char16_t>(u'0' + v / 100);
                        text += static_cast<char16_t>(u'0' + (v % 100) / 10);
                        text += static_cast<char16_t>(u'0' + v % 10);
                    } else if (k == count - 2) {
                        const int v = readBits(7);
                        text += static_cast<char16_t>(u'0' + v / 10);
                        text += static_cast<char16_t>(u'0' + v % 10);
                    } else {
                        text += static_cast<char16_t>(u'0' + readBits(4));
                    }
                }
                break;
            case kModeAlphanumeric:
                for (int k = 0; k < count; k += 2) {
                    if (k < count - 1) {
                        const int v = readBits(11);
                        text += alphanumericChar(v / 45);
                        text += alphanumericChar(v % 45);
                    } else {
                        text += alphanumericChar(readBits(6));
                    }
                }
                break;
            default:
                for (int k = 0; k < count; ++k) appendChineseCharacter(readBits(13));
                break;
        }
    }
    flushByteRun(run);
}
