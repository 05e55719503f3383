#include "encoder/MicroQR_Encode.h"

#include <algorithm>
#include <cstring>

#include "encoder/MicroQR_EncodeTables.h"
#include "encoder/QR_EncodeTables.h"
#include "encoder/Segmentation.h"

namespace {

qrenc::ModeScheme schemeOf(int version) {
    qrenc::ModeScheme scheme{microqr::kIndicatorBits[version], {0, 1, 2, 3}, {}};
    for (int mode = 0; mode < 4; ++mode) scheme.countBits[mode] = microqr::kCountBits[version][mode];
    return scheme;
}

// Mask condition for row i and column j, for the four Micro QR patterns.
constexpr bool maskCondition(int pattern, int i, int j) {
    switch (pattern) {
        case 0: return i % 2 == 0;
        case 1: return ((i / 2) + (j / 3)) % 2 == 0;
        case 2: return ((i * j) % 2 + (i * j) % 3) % 2 == 0;
        default: return ((i + j) % 2 + (i * j) % 3) % 2 == 0;
    }
}

// The 15 format bits: symbol number and mask, BCH(15, 5) check bits, XOR 0x4445.
int formatInformation(int symbolNumber, int pattern) {
    const int data = symbolNumber * 4 + pattern;
    int r = data * 1024;
    for (int n = 4; n >= 0; --n)
        if (r & (1 << (n + 10))) r ^= 0x537 << n;
    return (data * 1024 + r) ^ 0x4445;
}

constexpr const char kLevelNames[] = "LMQ";

}  // namespace

std::string CMicroQREncoder::symbolName(int forVersion, int level) {
    std::string name = "M" + std::to_string(forVersion);
    if (forVersion >= 2 && level >= 0 && level <= 2) name += std::string("-") + kLevelNames[level];
    return name;
}

int CMicroQREncoder::encode(int level, int requestedVersion, int autoExtend, int mask, const unsigned char* source,
                            int length, TextEncoding encoding) {
    const bool inRange = level >= 0 && level <= 2 && requestedVersion >= 0 && requestedVersion <= 4 && mask >= -1 &&
                         mask <= 3;
    if (!failure.start(inRange, level, source, length)) return 0;
    ecLevel = level;
    textEncoding_ = encoding;
    if (requestedVersion != 0 && microqr::symbolNumber(requestedVersion, level) < 0) {
        failure.symbol = requestedVersion;
        return failure.fail(Failure::LevelNotInVersion);
    }
    const int m4Capacity = microqr::kSymbols[microqr::symbolNumber(4, level)].dataBits;
    if (length > kMaxSourceLength) return failure.tooLong(4, m4Capacity);

    int fitting = 0;
    int usedBits = -1;
    for (int v = requestedVersion == 0 ? 1 : requestedVersion; v <= 4 && fitting == 0; ++v) {
        const int n = microqr::symbolNumber(v, level);
        if (n < 0) continue;
        usedBits = packFor(v, microqr::kSymbols[n].dataBits, source, length);
        if (usedBits != -1) fitting = v;
    }
    if (fitting == 0) return failure.tooLong(4, m4Capacity, neededBits(4, source, length));
    if (requestedVersion != 0 && fitting != requestedVersion && !autoExtend) {
        return failure.versionTooSmall(requestedVersion,
                                       microqr::kSymbols[microqr::symbolNumber(requestedVersion, level)].dataBits,
                                       neededBits(requestedVersion, source, length), fitting);
    }
    version = fitting;
    symbolNumber_ = microqr::symbolNumber(version, level);
    maskPattern = mask;
    side = 2 * version + 9;
    addTerminatorAndPadding(usedBits);
    buildMatrix();
    return 1;
}

int CMicroQREncoder::packFor(int forVersion, int capacityBits, const unsigned char* source, int length) {
    const qrenc::ModeScheme scheme = schemeOf(forVersion);
    if (!qrenc::planSegments(scheme, textEncoding_, source, length, {segmentModes_, segmentLengths_, segmentCount_}))
        return -1;
    std::memset(dataStream_, 0, sizeof dataStream_);
    return qrenc::packSegments(scheme, source, segmentModes_, segmentLengths_, segmentCount_, dataStream_, capacityBits);
}

// What the source takes in `forVersion`, from the segment costs; 0 when the version lacks a mode
// the source needs.
int CMicroQREncoder::neededBits(int forVersion, const unsigned char* source, int length) {
    const qrenc::ModeScheme scheme = schemeOf(forVersion);
    if (!qrenc::planSegments(scheme, textEncoding_, source, length, {segmentModes_, segmentLengths_, segmentCount_}))
        return 0;
    return qrenc::segmentsBitLength(scheme, segmentModes_, segmentLengths_, segmentCount_);
}

std::string CMicroQREncoder::describeFailure() const {
    static constexpr EncodeFailure::Wording kWording{
        symbolName,
        [](int fitting, int, int level) { return symbolName(fitting, level) + " is the smallest that fits"; },
        "Micro QR symbol", kMaxSourceLength, "data bits",
        [](int version) -> std::string {
            return version == 1 ? " that are not all digits (M1 holds digits only)"
                                : " that are not all digits and upper-case letters (M2 holds no other characters)";
        },
        [](int version, int level) -> std::string {
            if (version == 1) return "M1 only detects errors: it has no level M or Q (use level L)";
            return "M" + std::to_string(version) + " has no level " + kLevelNames[level] +
                   (version == 4 ? "" : " (it has L and M)");
        }};
    return failure.describe(kWording);
}

// The terminator (cut short where the symbol ends), zeros to the codeword boundary, then the
// pad codewords 11101100 and 00010001 in turn. The 4-bit last codeword of M1 and M3 stays zero
// when the data does not reach it.
void CMicroQREncoder::addTerminatorAndPadding(int usedBits) {
    const microqr::SymbolInfo& info = microqr::kSymbols[symbolNumber_];
    const int afterTerminator = std::min(usedBits + microqr::kTerminatorBits[version], info.dataBits);
    const int fullCodewords = info.dataBits / 8;
    bool padEC = true;
    for (int i = (afterTerminator + 7) / 8; i < fullCodewords; ++i) {
        dataStream_[i] = padEC ? 0xEC : 0x11;
        padEC = !padEC;
    }
    // One block: the data codewords (a 4-bit one as its high half) and their check codewords.
    const int d = info.dataCodewords;
    const int e = info.ecCodewords;
    unsigned char work[kMaxCodewords] = {};
    std::memcpy(work, dataStream_, static_cast<size_t>(d));
    CQREncoder::computeEcCodewords(work, d, e);
    std::memcpy(codewords_, dataStream_, static_cast<size_t>(d));
    std::memcpy(codewords_ + d, work, static_cast<size_t>(e));
}

void CMicroQREncoder::buildMatrix() {
    for (int x = 0; x < side; ++x) std::memset(modules[x], 0, static_cast<size_t>(side));
    placeFunctionPatterns();
    placeCodewords();
    if (maskPattern == -1) {
        // The Micro QR rule: the mask whose right and bottom edges hold the most dark modules,
        // the weaker edge weighing sixteen times the stronger.
        int bestScore = -1;
        for (int p = 0; p < kMaskCount; ++p) {
            applyMask(p);
            const int score = maskScore();
            if (score > bestScore) {
                bestScore = score;
                maskPattern = p;
            }
        }
    }
    applyMask(maskPattern);
    placeFormatInfo(maskPattern);
    for (int x = 0; x < side; ++x)
        for (int y = 0; y < side; ++y) modules[x][y] = isDark(x, y) ? 1 : 0;
}

// The finder at the top left, its separator, the timing patterns along row 0 and column 0, and
// the format area (row 8 and column 8 beside the finder), reserved light.
void CMicroQREncoder::placeFunctionPatterns() {
    for (int r = 0; r < 7; ++r)
        for (int c = 0; c < 7; ++c) setFunctionModule(c, r, (qrenc::kFinderRows[r] >> (6 - c)) & 1);
    for (int i = 0; i < 8; ++i) {
        setFunctionModule(7, i, false);
        setFunctionModule(i, 7, false);
    }
    for (int i = 8; i < side; ++i) {
        setFunctionModule(i, 0, i % 2 == 0);
        setFunctionModule(0, i, i % 2 == 0);
    }
    for (int i = 1; i <= 8; ++i) {
        setFunctionModule(8, i, false);
        setFunctionModule(i, 8, false);
    }
}

// Two-module-wide columns from the right edge, right module first, upwards in the first pair
// and alternating after that, skipping function modules. The data bits come first (the 4-bit
// last data codeword of M1 and M3 as 4 bits), then the check codewords.
void CMicroQREncoder::placeCodewords() {
    const microqr::SymbolInfo& info = microqr::kSymbols[symbolNumber_];
    const int totalBits = info.dataBits + 8 * info.ecCodewords;
    const int shortTail = info.dataBits % 8;  // 4 in M1 and M3, else 0
    const auto bitAt = [&](int k) {
        if (shortTail != 0 && k >= info.dataBits) k += 8 - shortTail;  // past the half codeword
        return (codewords_[k / 8] >> (7 - k % 8)) & 1;
    };
    int k = 0;
    bool upwards = true;
    for (int right = side - 1; right >= 1; right -= 2, upwards = !upwards) {
        for (int step = 0; step < side; ++step) {
            const int y = upwards ? side - 1 - step : step;
            for (int x = right; x >= right - 1; --x) {
                if (modules[x][y] & kFunction) continue;
                modules[x][y] = k < totalBits && bitAt(k) ? kDataBit : 0;
                ++k;
            }
        }
    }
}

void CMicroQREncoder::applyMask(int pattern) {
    for (int x = 0; x < side; ++x) {
        for (int y = 0; y < side; ++y) {
            unsigned char& m = modules[x][y];
            if (m & kFunction) continue;
            const bool dark = ((m & kDataBit) != 0) != maskCondition(pattern, y, x);
            m = static_cast<unsigned char>((m & ~1) | (dark ? 1 : 0));
        }
    }
}

int CMicroQREncoder::maskScore() const {
    int right = 0;
    int bottom = 0;
    for (int i = 1; i < side; ++i) {
        right += isDark(side - 1, i);
        bottom += isDark(i, side - 1);
    }
    return right <= bottom ? right * 16 + bottom : bottom * 16 + right;
}

// Bit 14 (the most significant) sits at (1, 8), running right to (8, 8) for bit 7, then up
// column 8 to (8, 1) for bit 0.
void CMicroQREncoder::placeFormatInfo(int pattern) {
    const int value = formatInformation(symbolNumber_, pattern);
    for (int k = 0; k < 15; ++k) {
        const bool dark = (value >> k) & 1;
        if (k <= 6) setFunctionModule(8, k + 1, dark);
        else setFunctionModule(15 - k, 8, dark);
    }
}
