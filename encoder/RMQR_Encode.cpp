#include "encoder/RMQR_Encode.h"

#include <algorithm>
#include <cstring>

#include "encoder/QR_EncodeTables.h"
#include "encoder/RMQR_EncodeTables.h"
#include "encoder/Segmentation.h"

namespace {

qrenc::ModeScheme schemeOf(int sizeIndex) {
    qrenc::ModeScheme scheme{rmqr::kIndicatorBits, {}, {}};
    for (int mode = 0; mode < 4; ++mode) {
        scheme.indicator[mode] = rmqr::kIndicators[mode];
        scheme.countBits[mode] = rmqr::kSizes[sizeIndex].countBits[mode];
    }
    return scheme;
}

// Every size, the least area first (the height decides between equal areas, though no two
// sizes have one).
struct SizesByArea {
    int order[rmqr::kSizeCount];
};

constexpr SizesByArea makeSizesByArea() {
    SizesByArea s{};
    for (int i = 0; i < rmqr::kSizeCount; ++i) s.order[i] = i;
    for (int i = 1; i < rmqr::kSizeCount; ++i)
        for (int j = i; j > 0; --j) {
            const rmqr::SizeInfo& a = rmqr::kSizes[s.order[j - 1]];
            const rmqr::SizeInfo& b = rmqr::kSizes[s.order[j]];
            if (a.width * a.height < b.width * b.height ||
                (a.width * a.height == b.width * b.height && a.height <= b.height))
                break;
            const int t = s.order[j];
            s.order[j] = s.order[j - 1];
            s.order[j - 1] = t;
        }
    return s;
}

constexpr SizesByArea kSizesByArea = makeSizesByArea();

// The 18 format bits: level (1 = H) and size number, BCH(18, 6) check bits, then XOR `mask`.
int formatInformation(int level, int sizeIndex, int mask) {
    const int data = level * 32 + sizeIndex;
    int r = data * 4096;
    for (int n = 5; n >= 0; --n)
        if (r & (1 << (n + 12))) r ^= 0x1F25 << n;
    return (data * 4096 + r) ^ mask;
}

}  // namespace

int CRMQREncoder::sizeIndexOf(int forHeight, int forWidth) {
    for (int i = 0; i < rmqr::kSizeCount; ++i)
        if (rmqr::kSizes[i].height == forHeight && rmqr::kSizes[i].width == forWidth) return i;
    return -1;
}

std::string CRMQREncoder::sizeName(int index) {
    return "R" + std::to_string(rmqr::kSizes[index].height) + "x" + std::to_string(rmqr::kSizes[index].width);
}

int CRMQREncoder::encode(int level, int requestedHeight, int requestedWidth, int autoExtend,
                         const unsigned char* source, int length, TextEncoding encoding) {
    const bool heightKnown = std::any_of(std::begin(rmqr::kSizes), std::end(rmqr::kSizes),
                                         [&](const rmqr::SizeInfo& s) { return s.height == requestedHeight; });
    const bool sizeValid = (requestedHeight == 0 && requestedWidth == 0) || (heightKnown && requestedWidth == 0) ||
                           sizeIndexOf(requestedHeight, requestedWidth) >= 0;
    if (!failure.start(level >= 0 && level <= 1 && sizeValid, level, source, length)) return 0;
    ecLevel = level;
    textEncoding_ = encoding;

    // The sizes to try, in order.
    int candidates[rmqr::kSizeCount];
    int candidateCount = 0;
    const int requested = requestedWidth != 0 ? sizeIndexOf(requestedHeight, requestedWidth) : -1;
    for (int i : kSizesByArea.order) {
        const rmqr::SizeInfo& s = rmqr::kSizes[i];
        if (requestedHeight != 0 && s.height != requestedHeight) continue;
        if (requested >= 0 && (s.width < requestedWidth || (!autoExtend && i != requested))) continue;
        candidates[candidateCount++] = i;
    }
    const int largest = candidates[candidateCount - 1];
    const int largestCapacity = rmqr::kSizes[largest].dataCodewords[level];
    if (length > kMaxSourceLength) return failure.tooLong(largest, largestCapacity);

    int chosen = -1;
    int usedBits = -1;
    for (int c = 0; c < candidateCount && chosen < 0; ++c) {
        usedBits = packFor(candidates[c], 8 * rmqr::kSizes[candidates[c]].dataCodewords[level], source, length);
        if (usedBits != -1) chosen = candidates[c];
    }
    if (chosen < 0) {
        const int needed = neededCodewords(largest, source, length);
        if (requested < 0 || autoExtend) return failure.tooLong(largest, largestCapacity, needed);
        // The narrowest size of this height that fits, else the least area of any.
        int fitting = -1;
        for (int pass = 0; pass < 2 && fitting < 0; ++pass)
            for (int i : kSizesByArea.order) {
                if (pass == 0 && rmqr::kSizes[i].height != requestedHeight) continue;
                if (packFor(i, 8 * rmqr::kSizes[i].dataCodewords[level], source, length) != -1) {
                    fitting = i;
                    break;
                }
            }
        return failure.versionTooSmall(largest, largestCapacity, needed, fitting);
    }

    sizeIndex = chosen;
    width = rmqr::kSizes[chosen].width;
    height = rmqr::kSizes[chosen].height;
    addTerminatorAndPadding(usedBits);
    interleaveCodewords();
    for (int x = 0; x < width; ++x) std::memset(modules[x], 0, static_cast<size_t>(height));
    placeFunctionPatterns();
    placeCodewords();
    applyMask();
    placeFormatInfo();
    for (int x = 0; x < width; ++x)
        for (int y = 0; y < height; ++y) modules[x][y] = (modules[x][y] & 0x11) != 0 ? 1 : 0;
    return 1;
}

int CRMQREncoder::packFor(int forSize, int capacityBits, const unsigned char* source, int length) {
    const qrenc::ModeScheme scheme = schemeOf(forSize);
    qrenc::planSegments(scheme, textEncoding_, source, length, {segmentModes_, segmentLengths_, segmentCount_});
    std::memset(dataStream_, 0, sizeof dataStream_);
    return qrenc::packSegments(scheme, source, segmentModes_, segmentLengths_, segmentCount_, dataStream_,
                               std::min(capacityBits, 8 * kMaxDataBytes));
}

int CRMQREncoder::neededCodewords(int forSize, const unsigned char* source, int length) {
    const qrenc::ModeScheme scheme = schemeOf(forSize);
    qrenc::planSegments(scheme, textEncoding_, source, length, {segmentModes_, segmentLengths_, segmentCount_});
    return (qrenc::segmentsBitLength(scheme, segmentModes_, segmentLengths_, segmentCount_) + 7) / 8;
}

std::string CRMQREncoder::describeFailure() const {
    static constexpr EncodeFailure::Wording kWording{
        [](int size, int level) { return sizeName(size) + " at level " + "MH"[level]; },
        [](int fitting, int requested, int) -> std::string {
            if (fitting < 0) return "no rMQR symbol holds them";
            const int requestedHeight = rmqr::kSizes[requested].height;
            return sizeName(fitting) + " is the smallest that fits" +
                   (rmqr::kSizes[fitting].height == requestedHeight ? " at height " + std::to_string(requestedHeight)
                                                                     : "");
        },
        "rMQR symbol", kMaxSourceLength, "data codewords"};
    return failure.describe(kWording);
}

// The terminator (cut short where the symbol ends), zeros to the codeword boundary, then the
// pad codewords 11101100 and 00010001 in turn.
void CRMQREncoder::addTerminatorAndPadding(int usedBits) {
    const int dataCodewords = rmqr::kSizes[sizeIndex].dataCodewords[ecLevel];
    const int afterTerminator = std::min(usedBits + rmqr::kTerminatorBits, 8 * dataCodewords);
    bool padEC = true;
    for (int i = (afterTerminator + 7) / 8; i < dataCodewords; ++i) {
        dataStream_[i] = padEC ? 0xEC : 0x11;
        padEC = !padEC;
    }
}

// Blocks as in QR: codeword j of every block in turn, the longer blocks' last data codewords
// after all others, then check codeword j of every block in turn.
void CRMQREncoder::interleaveCodewords() {
    const rmqr::SizeInfo& info = rmqr::kSizes[sizeIndex];
    const int blocks = info.blocks[ecLevel];
    const int dataTotal = info.dataCodewords[ecLevel];
    const int e = (info.totalCodewords - dataTotal) / blocks;
    const int longBlocks = info.totalCodewords % blocks;
    const int shortData = (info.totalCodewords / blocks) - e;
    int streamPos = 0;
    for (int block = 0; block < blocks; ++block) {
        const bool longBlock = block >= blocks - longBlocks;
        const int d = shortData + (longBlock ? 1 : 0);
        for (int j = 0; j < d; ++j) {
            const int target = j < shortData ? j * blocks + block : shortData * blocks + (block - (blocks - longBlocks));
            codewords_[target] = dataStream_[streamPos + j];
        }
        unsigned char work[kMaxBlockCodewords] = {};
        std::memcpy(work, dataStream_ + streamPos, static_cast<size_t>(d));
        CQREncoder::computeEcCodewords(work, d, e);
        for (int j = 0; j < e; ++j) codewords_[dataTotal + j * blocks + block] = work[j];
        streamPos += d;
    }
}

// Timing patterns along all four edges (dark on even rows and columns), the finder at the top
// left with its separator, the sub-finder at the bottom right, corner marks at the other two
// corners, the alignment patterns (a timing column with 3 x 3 rings at its ends) and the two
// format areas, reserved light.
void CRMQREncoder::placeFunctionPatterns() {
    const int w = width, h = height;
    for (int x = 0; x < w; ++x) {
        setFunctionModule(x, 0, x % 2 == 0);
        setFunctionModule(x, h - 1, x % 2 == 0);
    }
    for (int y = 0; y < h; ++y) {
        setFunctionModule(0, y, y % 2 == 0);
        setFunctionModule(w - 1, y, y % 2 == 0);
    }
    // Corner marks: top right and bottom left, each three dark modules around a light one.
    setFunctionModule(w - 2, 0, true);
    setFunctionModule(w - 1, 1, true);
    setFunctionModule(w - 2, 1, false);
    setFunctionModule(0, h - 2, true);
    setFunctionModule(1, h - 1, true);
    setFunctionModule(1, h - 2, false);
    // The finder and its separator (a light column, and below the finder a light row where the
    // symbol is taller than the finder; in R9 that row takes the corner mark's top).
    for (int r = 0; r < 7; ++r)
        for (int c = 0; c < 7; ++c) setFunctionModule(c, r, (qrenc::kFinderRows[r] >> (6 - c)) & 1);
    for (int y = 0; y < std::min(h, 8); ++y) setFunctionModule(7, y, false);
    if (h > 7)
        for (int x = 0; x < 8; ++x) setFunctionModule(x, 7, false);
    for (int r = 0; r < 5; ++r)
        for (int c = 0; c < 5; ++c) setFunctionModule(w - 5 + c, h - 5 + r, (qrenc::kAlignmentRows[r] >> (4 - c)) & 1);
    for (const rmqr::AlignmentColumns& a : rmqr::kAlignmentColumns) {
        if (a.width != w) continue;
        for (int k = 0; k < a.count; ++k) {
            const int cx = a.columns[k];
            for (int y = 0; y < h; ++y) setFunctionModule(cx, y, y % 2 == 0);
            for (int dx : {-1, 1}) {
                for (int y : {1, 2, h - 3, h - 2}) setFunctionModule(cx + dx, y, true);
            }
        }
    }
    for (int i = 0; i < 5; ++i)
        for (int j = 0; j < 3; ++j) {
            setFunctionModule(8 + j, 1 + i, false);
            setFunctionModule(w - 8 + j, h - 6 + i, false);
        }
    for (int k = 0; k < 3; ++k) {
        setFunctionModule(11, 1 + k, false);
        setFunctionModule(w - 5 + k, h - 6, false);
    }
}

// Two-module-wide columns from the right, the first pair beside the right timing column,
// right module first, upwards in the first pair and alternating after that, skipping function
// modules. Modules left over after the last codeword stay light (before masking).
void CRMQREncoder::placeCodewords() {
    const int totalBits = 8 * rmqr::kSizes[sizeIndex].totalCodewords;
    int k = 0;
    bool upwards = true;
    for (int right = width - 2; right >= 1; right -= 2, upwards = !upwards) {
        for (int step = 0; step < height; ++step) {
            const int y = upwards ? height - 1 - step : step;
            for (int x = right; x >= right - 1; --x) {
                if (modules[x][y] & kFunction) continue;
                const bool bit = k < totalBits && ((codewords_[k / 8] >> (7 - k % 8)) & 1);
                modules[x][y] = bit ? kDataBit : 0;
                ++k;
            }
        }
    }
}

// rMQR's only mask: data modules where (row / 2 + column / 3) is even are inverted.
void CRMQREncoder::applyMask() {
    for (int x = 0; x < width; ++x)
        for (int y = 0; y < height; ++y) {
            unsigned char& m = modules[x][y];
            if (m & kFunction) continue;
            const bool dark = ((m & kDataBit) != 0) != ((y / 2 + x / 3) % 2 == 0);
            m = static_cast<unsigned char>((m & ~1) | (dark ? 1 : 0));
        }
}

// Bits 0-14 fill three columns of five (top to bottom, the first column first), bits 15-17
// the three modules beside them: right of the finder-side block, on top of the sub-finder.
void CRMQREncoder::placeFormatInfo() {
    const int left = formatInformation(ecLevel, sizeIndex, rmqr::kFormatMaskFinderSide);
    const int right = formatInformation(ecLevel, sizeIndex, rmqr::kFormatMaskSubFinderSide);
    for (int j = 0; j < 3; ++j)
        for (int i = 0; i < 5; ++i) {
            setFunctionModule(8 + j, 1 + i, (left >> (j * 5 + i)) & 1);
            setFunctionModule(width - 8 + j, height - 6 + i, (right >> (j * 5 + i)) & 1);
        }
    for (int k = 0; k < 3; ++k) {
        setFunctionModule(11, 1 + k, (left >> (15 + k)) & 1);
        setFunctionModule(width - 5 + k, height - 6, (right >> (15 + k)) & 1);
    }
}
