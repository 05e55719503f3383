#include "encoder/QR_Encode.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "encoder/MaskPenalty.h"
#include "encoder/QR_EncodeTables.h"
#include "encoder/Segmentation.h"

using qrenc::kGalois;
using qrenc::kGenerators;
using qrenc::kVersionTable;

namespace {

int versionGroup(int version) {
    if (version >= 27) return 2;
    if (version >= 10) return 1;
    return 0;
}

constexpr int kFirstVersionOfGroup[3] = {1, 10, 27};
constexpr int kLastVersionOfGroup[3] = {9, 26, 40};

// Two-bit level indicator of the format information, by level index L, M, Q, H.
constexpr int kFormatLevelBits[4] = {1, 0, 3, 2};

}  // namespace

// ---------------------------------------------------------------------------------------------
// Entry point

int CQREncoder::encode(int level, int requestedVersion, int autoExtend, int mask, const unsigned char* source,
                       int length, TextEncoding encoding) {
    const bool inRange = level >= 0 && level <= 3 && requestedVersion >= 0 && requestedVersion <= 40 && mask >= -1 &&
                         mask <= 7;
    if (!failure.start(inRange, level, source, length)) return 0;
    ecLevel = level;
    maskPattern = mask;
    textEncoding = encoding;
    if (length > kMaxSourceLength) return failure.tooLong(40, kVersionTable[40].dataCodewords[level]);

    const int fitting = chooseVersion(requestedVersion, source, length);
    if (fitting == 0) {
        return failure.tooLong(40, kVersionTable[40].dataCodewords[level], neededCodewords(source, length, 40));
    }
    if (requestedVersion == 0 || requestedVersion < fitting) {
        if (requestedVersion != 0 && !autoExtend) {
            return failure.versionTooSmall(requestedVersion, kVersionTable[requestedVersion].dataCodewords[level],
                                           neededCodewords(source, length, requestedVersion), fitting);
        }
        version = fitting;
    } else {
        version = requestedVersion;
    }

    addTerminatorAndPadding();
    interleaveCodewords();
    side = 4 * version + 17;
    buildMatrix();
    return 1;
}

// The data codewords the source takes in `forVersion`'s group, from the segment costs: they are
// known even when the stream overflowed.
int CQREncoder::neededCodewords(const unsigned char* source, int length, int forVersion) {
    const int group = versionGroup(forVersion);
    segmentAndPack(source, length, group);
    return (qrenc::segmentsBitLength(qrenc::qrModeScheme(group), segmentModes, segmentLengths, segmentCount) + 7) / 8;
}

std::string CQREncoder::describeFailure() const {
    static constexpr EncodeFailure::Wording kWording{
        [](int version, int level) { return "version " + std::to_string(version) + " at level " + "LMQH"[level]; },
        [](int fitting, int, int) { return "version " + std::to_string(fitting) + " is the smallest that fits"; },
        "symbol", kMaxSourceLength, "data codewords"};
    return failure.describe(kWording);
}

// ---------------------------------------------------------------------------------------------
// Character classes

bool CQREncoder::isNumeric(unsigned char c) { return c >= '0' && c <= '9'; }

bool CQREncoder::isAlphanumeric(unsigned char c) {
    if (isNumeric(c) || (c >= 'A' && c <= 'Z')) return true;
    switch (c) {
        case ' ': case '$': case '%': case '*': case '+': case '-': case '.': case '/': case ':':
            return true;
        default:
            return false;
    }
}

// Only the byte ranges of Shift JIS double-byte characters are checked, nothing more.
bool CQREncoder::isKanjiPair(unsigned char c1, unsigned char c2) {
    if (!((c1 >= 0x81 && c1 <= 0x9F) || (c1 >= 0xE0 && c1 <= 0xEB))) return false;
    if (c2 < 0x40) return false;
    if (c1 == 0x9F && c2 > 0xFC) return false;
    if (c1 == 0xEB && c2 > 0xBF) return false;
    return true;
}

int CQREncoder::alphanumericValue(unsigned char c) {
    if (isNumeric(c)) return c - '0';
    if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
    switch (c) {
        case ' ': return 36;
        case '$': return 37;
        case '%': return 38;
        case '*': return 39;
        case '+': return 40;
        case '-': return 41;
        case '.': return 42;
        case '/': return 43;
        case ':': return 44;
        default: return 0;
    }
}

int CQREncoder::kanjiValue(uint16_t pair) {
    const unsigned fromLowRange = static_cast<uint16_t>(pair - 0x8140);
    const unsigned offset = fromLowRange <= 0x1EBC ? fromLowRange : static_cast<uint16_t>(pair - 0xC140);
    return static_cast<int>((offset >> 8) * 0xC0 + (offset & 0xFF));
}

// ---------------------------------------------------------------------------------------------
// Segmentation and bit stream

int CQREncoder::segmentBitLength(int mode, int length, int group) {
    return qrenc::segmentBitLength(qrenc::qrModeScheme(group), mode, length);
}

int CQREncoder::appendBits(int position, int value, int bitCount) {
    return qrenc::appendBits(dataStream, kMaxDataBits, position, value, bitCount);
}

bool CQREncoder::isDoubleByteCharacter(TextEncoding encoding, unsigned char c1, unsigned char c2) {
    switch (encoding) {
        case TextEncoding::Gbk:
            return c1 >= 0x81 && c1 <= 0xFE && c2 >= 0x40 && c2 <= 0xFE && c2 != 0x7F;
        case TextEncoding::ShiftJis:
            return ((c1 >= 0x81 && c1 <= 0x9F) || (c1 >= 0xE0 && c1 <= 0xFC)) && c2 >= 0x40 && c2 <= 0xFC &&
                   c2 != 0x7F;
        case TextEncoding::Utf8:
            break;
    }
    return false;
}

int CQREncoder::segmentAndPack(const unsigned char* source, int length, int group) {
    if (length < 0 || length > kMaxSourceLength || group < 0 || group > 2) return 0;
    const qrenc::ModeScheme scheme = qrenc::qrModeScheme(group);
    qrenc::planSegments(scheme, textEncoding, source, length, {segmentModes, segmentLengths, segmentCount});
    std::memset(dataStream, 0, sizeof dataStream);
    dataBitCount = qrenc::packSegments(scheme, source, segmentModes, segmentLengths, segmentCount, dataStream, kMaxDataBits);
    return dataBitCount != -1 ? 1 : 0;
}

int CQREncoder::chooseVersion(int requestedVersion, const unsigned char* source, int length) {
    for (int group = versionGroup(requestedVersion); group <= 2; ++group) {
        if (!segmentAndPack(source, length, group)) continue;
        const int needed = (dataBitCount + 7) / 8;
        for (int v = kFirstVersionOfGroup[group]; v <= kLastVersionOfGroup[group]; ++v) {
            if (kVersionTable[v].dataCodewords[ecLevel] >= needed) return v;
        }
    }
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Error correction and interleaving

void CQREncoder::addTerminatorAndPadding() {
    const int dataCodewords = kVersionTable[version].dataCodewords[ecLevel];
    const int rest = 8 * dataCodewords - dataBitCount;
    if (rest > 4) {
        dataBitCount = appendBits(dataBitCount, 0, 4);
    } else if (rest > 0) {
        dataBitCount = appendBits(dataBitCount, 0, rest);
    }
    bool padEC = true;
    for (int i = (dataBitCount + 7) / 8; i < dataCodewords; ++i) {
        dataStream[i] = padEC ? 0xEC : 0x11;
        padEC = !padEC;
    }
}

// Remainder of (data x^e) divided by the generator of degree e, by the usual shift register.
void CQREncoder::computeEcCodewords(unsigned char* work, int d, int e) {
    if (e <= 0 || e > 68 || !kGenerators.present[e] || d < 0) return;
    const uint8_t* generator = kGenerators.logCoefficients[e].data();
    unsigned char remainder[68] = {};
    for (int i = 0; i < d; ++i) {
        const unsigned char factor = work[i] ^ remainder[0];
        std::memmove(remainder, remainder + 1, static_cast<size_t>(e - 1));
        remainder[e - 1] = 0;
        if (factor == 0) continue;
        const int logFactor = kGalois.log[factor];
        for (int j = 0; j < e; ++j) {
            int exponent = generator[j] + logFactor;
            if (exponent >= 255) exponent -= 255;
            remainder[j] ^= kGalois.power[exponent];
        }
    }
    std::memcpy(work, remainder, static_cast<size_t>(e));
}

// Codeword j of every block in turn, the longer blocks' last data codewords after all others,
// then check codeword j of every block in turn.
void CQREncoder::interleaveCodewords() {
    const qrenc::VersionInfo& info = kVersionTable[version];
    const qrenc::RsBlockInfo& kind1 = info.blockInfo1[ecLevel];
    const qrenc::RsBlockInfo& kind2 = info.blockInfo2[ecLevel];
    const int b1 = kind1.blockCount;
    const int b2 = kind2.blockCount;
    const int n = b1 + b2;
    const int d1 = kind1.dataCodewordsPerBlock;
    const int dataTotal = info.dataCodewords[ecLevel];

    totalCodewords = info.totalCodewords;
    std::memset(allCodewords, 0, static_cast<size_t>(totalCodewords));

    int streamPos = 0;
    for (int block = 0; block < n; ++block) {
        const bool longBlock = block >= b1;
        const qrenc::RsBlockInfo& kind = longBlock ? kind2 : kind1;
        const int d = kind.dataCodewordsPerBlock;
        const int e = kind.codewordsPerBlock - d;
        const unsigned char* blockData = dataStream + streamPos;
        for (int j = 0; j < d; ++j) {
            const int target = j < d1 ? j * n + block : d1 * n + (block - b1);
            allCodewords[target] = blockData[j];
        }
        std::memset(rsWork, 0, sizeof rsWork);
        std::memcpy(rsWork, blockData, static_cast<size_t>(d));
        computeEcCodewords(rsWork, d, e);
        for (int j = 0; j < e; ++j) allCodewords[dataTotal + j * n + block] = rsWork[j];
        streamPos += d;
    }
}

// ---------------------------------------------------------------------------------------------
// Module matrix

void CQREncoder::buildMatrix() {
    // Only x, y < side are ever read.
    for (int x = 0; x < side; ++x) std::memset(modules[x], 0, static_cast<size_t>(side));
    placeFunctionPatterns();
    placeCodewords();
    if (maskPattern == -1) maskPattern = chooseMaskPattern();
    applyMask(maskPattern);
    placeFormatInfo(maskPattern);
    for (int x = 0; x < side; ++x)
        for (int y = 0; y < side; ++y) modules[x][y] = (modules[x][y] & 0x11) != 0 ? 1 : 0;
}

void CQREncoder::placeFinder(int x0, int y0) {
    for (int r = 0; r < 7; ++r)
        for (int c = 0; c < 7; ++c) setFunctionModule(x0 + c, y0 + r, (qrenc::kFinderRows[r] >> (6 - c)) & 1);
}

void CQREncoder::placeAlignment(int x, int y) {
    if (modules[x][y] & kFunction) return;
    for (int r = 0; r < 5; ++r)
        for (int c = 0; c < 5; ++c)
            setFunctionModule(x - 2 + c, y - 2 + r, (qrenc::kAlignmentRows[r] >> (4 - c)) & 1);
}

void CQREncoder::placeFunctionPatterns() {
    placeFinder(0, 0);
    placeFinder(side - 7, 0);
    placeFinder(0, side - 7);
    for (int i = 0; i < 8; ++i) {
        setFunctionModule(7, i, false);
        setFunctionModule(i, 7, false);
        setFunctionModule(side - 8 + i, 7, false);
        setFunctionModule(side - 8, i, false);
        setFunctionModule(7, side - 8 + i, false);
        setFunctionModule(i, side - 8, false);
    }
    for (int i = 0; i <= 8; ++i) {
        setFunctionModule(8, i, false);
        setFunctionModule(i, 8, false);
    }
    for (int i = 0; i < 8; ++i) {
        setFunctionModule(8, side - 8 + i, false);
        setFunctionModule(side - 8 + i, 8, false);
    }
    placeVersionInfo();
    const qrenc::VersionInfo& info = kVersionTable[version];
    for (int a = 0; a < info.alignCount; ++a) {
        const int pa = info.alignPositions[a];
        placeAlignment(pa, 6);
        placeAlignment(6, pa);
        for (int b = 0; b < info.alignCount; ++b) placeAlignment(pa, info.alignPositions[b]);
    }
    for (int i = 8; i <= side - 9; ++i) {
        setFunctionModule(i, 6, i % 2 == 0);
        setFunctionModule(6, i, i % 2 == 0);
    }
}

void CQREncoder::placeVersionInfo() {
    if (version < 7) return;
    int r = version * 4096;
    for (int n = 5; n >= 0; --n)
        if (r & (1 << (n + 12))) r ^= 0x1F25 << n;
    const int value = version * 4096 + r;
    for (int k = 0; k < 18; ++k) {
        const bool dark = (value >> k) & 1;
        const int i = k / 3;
        const int j = k % 3;
        setFunctionModule(i, side - 11 + j, dark);
        setFunctionModule(side - 11 + j, i, dark);
    }
}

// Two-module-wide columns from the right edge, right module first, upwards in the first pair
// and alternating after that; column 6 (the vertical timing pattern) is never used.
void CQREncoder::placeCodewords() {
    int x = side;
    int y = side - 1;
    int sx = 1;
    int sy = 1;
    auto move = [&] {
        x += sx;
        sx = -sx;
        if (sx < 0) {
            y += sy;
            if (y < 0 || y == side) {
                y = y < 0 ? 0 : side - 1;
                sy = -sy;
                x -= 2;
                if (x == 6) x = 5;
            }
        }
    };
    for (int i = 0; i < totalCodewords; ++i) {
        for (int bit = 7; bit >= 0; --bit) {
            do {
                move();
            } while (x >= 0 && (modules[x][y] & kFunction));
            if (x < 0) return;  // cannot happen with the standard's tables; guards the array
            modules[x][y] = ((allCodewords[i] >> bit) & 1) ? kDataBit : 0;
        }
    }
}

namespace {

// Mask condition for row i and column j.
constexpr bool maskCondition(int pattern, int i, int j) {
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

using Line = uint64_t[qrenc::kLineWords];

// Every mask repeats after 12 rows and after 6 columns: the bit lines of one period, for the
// widest symbol (narrower ones cut them to their side).
struct MaskLineTables {
    Line rows[8][12];    // rows[p][y % 12]: bit x set where pattern p inverts M(x, y)
    Line columns[8][6];  // columns[p][x % 6]: bit y set where pattern p inverts M(x, y)
};

constexpr MaskLineTables makeMaskLineTables() {
    MaskLineTables t{};
    for (int p = 0; p < 8; ++p) {
        for (int bit = 0; bit < 64 * qrenc::kLineWords; ++bit) {
            for (int r = 0; r < 12; ++r)
                if (maskCondition(p, r, bit)) t.rows[p][r][bit >> 6] |= uint64_t{1} << (bit & 63);
            for (int c = 0; c < 6; ++c)
                if (maskCondition(p, bit, c)) t.columns[p][c][bit >> 6] |= uint64_t{1} << (bit & 63);
        }
    }
    return t;
}

constexpr MaskLineTables kMaskLines = makeMaskLineTables();

// kLowBits[n]: bits 0 .. n - 1.
struct LowBitTable {
    Line bits[CQREncoder::kMaxSide + 1];
};

constexpr LowBitTable makeLowBitTable() {
    LowBitTable t{};
    for (int n = 0; n <= CQREncoder::kMaxSide; ++n)
        for (int bit = 0; bit < n; ++bit) t.bits[n][bit >> 6] |= uint64_t{1} << (bit & 63);
    return t;
}

constexpr LowBitTable kLowBitTable = makeLowBitTable();
constexpr const Line (&kLowBits)[CQREncoder::kMaxSide + 1] = kLowBitTable.bits;

// Bit lines of what every mask pattern shares, and room for one pattern's whole matrix.
struct SharedMaskLines {
    qrenc::ModuleLines function;      // function modules (format area included)
    qrenc::ModuleLines darkFunction;  // dark function modules (format area still light)
    qrenc::ModuleLines data;          // data bits before masking
    qrenc::ModuleLines work;
};

// The 15 format bits: level indicator and mask pattern, BCH(15, 5) check bits, XOR 0x5412.
int formatInformation(int level, int pattern) {
    const int data = kFormatLevelBits[level] * 8 + pattern;
    int r = data * 1024;
    for (int n = 4; n >= 0; --n)
        if (r & (1 << (n + 10))) r ^= 0x537 << n;
    return (data * 1024 + r) ^ 0x5412;
}

// Where bit k of the format information goes: copy 0 around the upper-left finder, copy 1
// split between the upper-right and lower-left ones.
void formatModule(int k, int copy, int side, int& x, int& y) {
    if (copy == 0) {
        if (k <= 5) { x = 8; y = k; }
        else if (k == 6) { x = 8; y = 7; }
        else if (k == 7) { x = 8; y = 8; }
        else if (k == 8) { x = 7; y = 8; }
        else { x = 14 - k; y = 8; }
    } else {
        if (k <= 5) { x = side - 1 - k; y = 8; }
        else if (k == 6) { x = side - 7; y = 8; }
        else if (k == 7) { x = side - 8; y = 8; }
        else if (k == 8) { x = 8; y = side - 7; }
        else { x = 8; y = side - 15 + k; }
    }
}

}  // namespace

void CQREncoder::applyMask(int pattern) {
    for (int x = 0; x < side; ++x) {
        unsigned char* column = modules[x];
        for (int y = 0; y < side; ++y) {
            const unsigned char m = column[y];
            if (m & kFunction) continue;
            const unsigned char bit = static_cast<unsigned char>(((m >> 1) & 1) ^ (maskCondition(pattern, y, x) ? 1 : 0));
            column[y] = static_cast<unsigned char>((m & ~kMaskedBit) | bit);
        }
    }
}

void CQREncoder::placeFormatInfo(int pattern) {
    const int value = formatInformation(ecLevel, pattern);
    for (int k = 0; k < 15; ++k) {
        const bool dark = (value >> k) & 1;
        for (int copy = 0; copy < 2; ++copy) {
            int x, y;
            formatModule(k, copy, side, x, y);
            setFunctionModule(x, y, dark);
        }
    }
    setFunctionModule(8, side - 8, true);
}

int CQREncoder::maskPenalty() const {
    qrenc::ModuleLines lines{};
    lines.side = side;
    for (int x = 0; x < side; ++x) {
        for (int y = 0; y < side; ++y) {
            if (!isDark(x, y)) continue;
            qrenc::setLineBit(lines.rows[y], x);
            qrenc::setLineBit(lines.columns[x], y);
        }
    }
    return qrenc::penaltyOf(lines);
}

// Scores the eight patterns as applyMask, placeFormatInfo and maskPenalty would, without
// rewriting the matrix: the parts every pattern shares are taken from the matrix once, as
// bit lines, and each pattern only adds its mask and its format information.
int CQREncoder::chooseMaskPattern() const {
    using qrenc::kLineWords;
    // About 34 KB on the stack: encode allocates nothing. Only the lines of this side are used.
    SharedMaskLines sharedLines;
    SharedMaskLines* shared = &sharedLines;
    for (qrenc::ModuleLines* l : {&shared->function, &shared->darkFunction, &shared->data}) {
        std::memset(l->rows, 0, sizeof l->rows[0] * side);
        std::memset(l->columns, 0, sizeof l->columns[0] * side);
    }
    for (int x = 0; x < side; ++x) {
        for (int y = 0; y < side; ++y) {
            const unsigned char m = modules[x][y];
            if (m & kFunction) {
                qrenc::setLineBit(shared->function.rows[y], x);
                qrenc::setLineBit(shared->function.columns[x], y);
                if (m & kDarkFunction) {
                    qrenc::setLineBit(shared->darkFunction.rows[y], x);
                    qrenc::setLineBit(shared->darkFunction.columns[x], y);
                }
            } else if (m & kDataBit) {
                qrenc::setLineBit(shared->data.rows[y], x);
                qrenc::setLineBit(shared->data.columns[x], y);
            }
        }
    }

    int bestPattern = 0;
    int bestPenalty = 0;
    qrenc::ModuleLines& lines = shared->work;
    lines.side = side;
    for (int p = 0; p < 8; ++p) {
        const Line& inside = kLowBits[side];
        for (int i = 0; i < side; ++i) {
            for (int w = 0; w < kLineWords; ++w) {
                const uint64_t rowMask = kMaskLines.rows[p][i % 12][w] & inside[w];
                const uint64_t columnMask = kMaskLines.columns[p][i % 6][w] & inside[w];
                lines.rows[i][w] = shared->darkFunction.rows[i][w] |
                                   ((shared->data.rows[i][w] ^ rowMask) & ~shared->function.rows[i][w]);
                lines.columns[i][w] = shared->darkFunction.columns[i][w] |
                                      ((shared->data.columns[i][w] ^ columnMask) & ~shared->function.columns[i][w]);
            }
        }
        const int format = formatInformation(ecLevel, p);
        for (int k = 0; k < 15; ++k) {
            if (!((format >> k) & 1)) continue;
            for (int copy = 0; copy < 2; ++copy) {
                int x, y;
                formatModule(k, copy, side, x, y);
                qrenc::setLineBit(lines.rows[y], x);
                qrenc::setLineBit(lines.columns[x], y);
            }
        }
        qrenc::setLineBit(lines.rows[side - 8], 8);
        qrenc::setLineBit(lines.columns[8], side - 8);

        const int penalty = qrenc::penaltyOf(lines);
        if (p == 0 || penalty < bestPenalty) {
            bestPattern = p;
            bestPenalty = penalty;
        }
    }
    return bestPattern;
}
