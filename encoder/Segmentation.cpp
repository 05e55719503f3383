#include "encoder/Segmentation.h"

#include <cstring>

#include "encoder/QR_EncodeTables.h"

namespace qrenc {

namespace {

constexpr int kNumeric = CQREncoder::kModeNumeric;
constexpr int kAlphanumeric = CQREncoder::kModeAlphanumeric;
constexpr int kByte = CQREncoder::kModeByte;
constexpr int kKanji = CQREncoder::kModeKanji;

void removeSegment(SegmentList& s, int index) {
    const int moved = s.count - index - 1;
    std::memmove(s.modes + index, s.modes + index + 1, static_cast<size_t>(moved));
    std::memmove(s.lengths + index, s.lengths + index + 1, static_cast<size_t>(moved) * sizeof(int32_t));
    --s.count;
}

// One segment per change of class. A double-byte character goes whole into one segment: kanji
// when it is Shift JIS in the kanji range and the symbol has kanji mode, else 8-bit.
void classifySegments(const ModeScheme& scheme, CQREncoder::TextEncoding encoding, const unsigned char* source,
                      int length, SegmentList& s) {
    s.count = 0;
    for (int i = 0; i < length;) {
        int mode;
        int size = 1;
        if (i < length - 1 && CQREncoder::isDoubleByteCharacter(encoding, source[i], source[i + 1])) {
            size = 2;
            const bool kanji = encoding == CQREncoder::TextEncoding::ShiftJis && scheme.has(kKanji) &&
                               CQREncoder::isKanjiPair(source[i], source[i + 1]);
            mode = kanji ? kKanji : kByte;
        } else if (CQREncoder::isNumeric(source[i])) {
            mode = kNumeric;
        } else if (CQREncoder::isAlphanumeric(source[i])) {
            mode = kAlphanumeric;
        } else {
            mode = kByte;
        }
        if (s.count == 0 || mode != s.modes[s.count - 1]) {
            s.modes[s.count] = static_cast<unsigned char>(mode);
            s.lengths[s.count] = 0;
            ++s.count;
        }
        s.lengths[s.count - 1] += size;
        i += size;
    }
}

// Neighbouring numeric and alphanumeric segments merge when one alphanumeric segment is
// shorter, unless joining one of them to a neighbouring 8-bit segment is shorter still.
void mergeNumericAlphanumeric(const ModeScheme& scheme, SegmentList& s) {
    auto cost = [&scheme](int mode, int length) { return segmentBitLength(scheme, mode, length); };
    int i = 0;
    while (i < s.count - 1) {
        const int modeA = s.modes[i];
        const int modeB = s.modes[i + 1];
        const bool mixedPair =
            (modeA == kNumeric && modeB == kAlphanumeric) || (modeA == kAlphanumeric && modeB == kNumeric);
        if (!mixedPair) {
            ++i;
            continue;
        }
        const int lenA = s.lengths[i];
        const int lenB = s.lengths[i + 1];
        const int src = cost(modeA, lenA) + cost(modeB, lenB);
        const int dst = cost(kAlphanumeric, lenA + lenB);
        if (src <= dst) {
            ++i;
            continue;
        }

        int front = 0;
        if (i >= 1 && s.modes[i - 1] == kByte) {
            const int lenPrev = s.lengths[i - 1];
            front = cost(kByte, lenPrev + lenA) + cost(modeB, lenB);
            if (front > dst + cost(kByte, lenPrev)) front = 0;
        }
        int behind = 0;
        if (i < s.count - 2 && s.modes[i + 2] == kByte) {
            const int lenNext = s.lengths[i + 2];
            behind = cost(modeA, lenA) + cost(kByte, lenB + lenNext);
            if (behind > dst + cost(kByte, lenNext)) behind = 0;
        }

        const bool joinFront = front != 0 && (behind == 0 || front < behind);
        const bool joinBehind = behind != 0 && !joinFront;
        if (joinFront) {
            s.lengths[i - 1] += s.lengths[i];
            removeSegment(s, i);
        } else if (joinBehind) {
            s.modes[i + 1] = kByte;
            s.lengths[i + 1] += s.lengths[i + 2];
            removeSegment(s, i + 2);
        } else {
            if (i < s.count - 2 && s.modes[i + 2] == kAlphanumeric) {
                s.lengths[i + 1] += s.lengths[i + 2];
                removeSegment(s, i + 2);
            }
            s.modes[i] = kAlphanumeric;
            s.lengths[i] += s.lengths[i + 1];
            removeSegment(s, i + 1);
            if (i >= 1 && s.modes[i - 1] == kAlphanumeric) {
                s.lengths[i - 1] += s.lengths[i];
                removeSegment(s, i);
            }
        }
        // The same index is examined again.
    }
}

// Two neighbouring segments become one 8-bit segment when that is shorter, counting the
// headers saved by joining 8-bit neighbours on either side.
void absorbIntoByte(const ModeScheme& scheme, SegmentList& s) {
    auto cost = [&scheme](int mode, int length) { return segmentBitLength(scheme, mode, length); };
    const int byteHeader = scheme.indicatorBits + scheme.countBits[kByte];
    int i = 0;
    while (i < s.count - 1) {
        const int src = cost(s.modes[i], s.lengths[i]) + cost(s.modes[i + 1], s.lengths[i + 1]);
        int dst = cost(kByte, s.lengths[i] + s.lengths[i + 1]);
        if (i >= 1 && s.modes[i - 1] == kByte) dst -= byteHeader;
        if (i < s.count - 2 && s.modes[i + 2] == kByte) dst -= byteHeader;
        if (src <= dst) {
            ++i;
            continue;
        }
        if (i >= 1 && s.modes[i - 1] == kByte) {
            s.lengths[i - 1] += s.lengths[i];
            removeSegment(s, i);
            --i;
        }
        if (i < s.count - 2 && s.modes[i + 2] == kByte) {
            s.lengths[i + 1] += s.lengths[i + 2];
            removeSegment(s, i + 2);
        }
        s.modes[i] = kByte;
        s.lengths[i] += s.lengths[i + 1];
        removeSegment(s, i + 1);
        if (i >= 1) --i;
    }
}

}  // namespace

ModeScheme qrModeScheme(int group) {
    ModeScheme scheme{4, {0x1, 0x2, 0x4, 0x8}, {}};
    for (int mode = 0; mode < 4; ++mode) scheme.countBits[mode] = kCountIndicatorBits[mode][group];
    return scheme;
}

int segmentBitLength(const ModeScheme& scheme, int mode, int length) {
    const int header = scheme.indicatorBits + scheme.countBits[mode];
    switch (mode) {
        case kNumeric: {
            static constexpr int kTailBits[3] = {0, 4, 7};
            return header + 10 * (length / 3) + kTailBits[length % 3];
        }
        case kAlphanumeric:
            return header + 11 * (length / 2) + 6 * (length % 2);
        case kByte:
            return header + 8 * length;
        default:
            return header + 13 * (length / 2);
    }
}

int segmentsBitLength(const ModeScheme& scheme, const unsigned char* modes, const int32_t* lengths, int count) {
    int bits = 0;
    for (int i = 0; i < count; ++i) bits += segmentBitLength(scheme, modes[i], lengths[i]);
    return bits;
}

bool planSegments(const ModeScheme& scheme, CQREncoder::TextEncoding encoding, const unsigned char* source, int length,
                  SegmentList segments) {
    classifySegments(scheme, encoding, source, length, segments);
    if (scheme.has(kAlphanumeric)) mergeNumericAlphanumeric(scheme, segments);
    if (scheme.has(kByte)) absorbIntoByte(scheme, segments);
    for (int i = 0; i < segments.count; ++i)
        if (!scheme.has(segments.modes[i])) return false;
    return true;
}

int appendBits(unsigned char* stream, int capacityBits, int position, int value, int bitCount) {
    if (position == -1 || position + bitCount > capacityBits) return -1;
    if (bitCount <= 0) return position;
    // At most 16 bits starting anywhere in a byte span at most three bytes: shift them into
    // place in a 24-bit window and OR in only the bytes the bits reach.
    const uint32_t bits = static_cast<uint32_t>(value) & ((1u << bitCount) - 1u);
    const int offset = position & 7;
    const uint32_t window = bits << (24 - offset - bitCount);
    unsigned char* out = stream + (position >> 3);
    const int bytesTouched = (offset + bitCount + 7) >> 3;
    out[0] |= static_cast<unsigned char>(window >> 16);
    if (bytesTouched > 1) out[1] |= static_cast<unsigned char>(window >> 8);
    if (bytesTouched > 2) out[2] |= static_cast<unsigned char>(window);
    return position + bitCount;
}

int packSegments(const ModeScheme& scheme, const unsigned char* source, const unsigned char* modes,
                 const int32_t* lengths, int count, unsigned char* stream, int capacityBits) {
    int position = 0;
    const auto put = [&](int value, int bitCount) {
        position = appendBits(stream, capacityBits, position, value, bitCount);
    };
    int start = 0;
    for (int s = 0; s < count && position != -1; ++s) {
        const int mode = modes[s];
        const int length = lengths[s];
        const unsigned char* p = source + start;
        put(scheme.indicator[mode], scheme.indicatorBits);
        put(mode == kKanji ? length / 2 : length, scheme.countBits[mode]);
        switch (mode) {
            case kNumeric: {
                int k = 0;
                for (; k + 3 <= length; k += 3) put((p[k] - '0') * 100 + (p[k + 1] - '0') * 10 + (p[k + 2] - '0'), 10);
                if (length - k == 2) put((p[k] - '0') * 10 + (p[k + 1] - '0'), 7);
                if (length - k == 1) put(p[k] - '0', 4);
                break;
            }
            case kAlphanumeric: {
                int k = 0;
                for (; k + 2 <= length; k += 2)
                    put(CQREncoder::alphanumericValue(p[k]) * 45 + CQREncoder::alphanumericValue(p[k + 1]), 11);
                if (k < length) put(CQREncoder::alphanumericValue(p[k]), 6);
                break;
            }
            case kByte:
                for (int k = 0; k < length; ++k) put(p[k], 8);
                break;
            default:
                for (int k = 0; k + 1 < length; k += 2)
                    put(CQREncoder::kanjiValue(static_cast<uint16_t>(p[k] << 8 | p[k + 1])), 13);
                break;
        }
        start += length;
    }
    return position;
}

}  // namespace qrenc
