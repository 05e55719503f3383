// Splitting a source into mode segments and packing them as a bit stream, for every symbol
// family: QR, Micro QR and rMQR differ only in their mode indicators and character-count widths,
// given as a ModeScheme.
#pragma once

#include <cstdint>

#include "encoder/QR_Encode.h"

namespace qrenc {

// How one symbol size writes segment headers. Modes are CQREncoder::kModeNumeric ..
// kModeKanji; a mode whose count width is 0 does not exist in the symbol.
struct ModeScheme {
    int32_t indicatorBits;  // width of the mode indicator (0 in M1, which has numeric mode only)
    int32_t indicator[4];   // the indicator's value per mode
    int32_t countBits[4];   // character-count indicator width per mode
    bool has(int mode) const { return countBits[mode] > 0; }
};

// QR Code model 2, versions 1-9 (group 0), 10-26 (1) and 27-40 (2).
ModeScheme qrModeScheme(int group);

// Segments in caller-owned arrays, one entry per source byte at worst.
struct SegmentList {
    unsigned char* modes;
    int32_t* lengths;
    int32_t& count;
};

// Bits one segment of `length` source bytes needs, its header included.
int segmentBitLength(const ModeScheme& scheme, int mode, int length);
// Bits all `count` segments need, headers included.
int segmentsBitLength(const ModeScheme& scheme, const unsigned char* modes, const int32_t* lengths, int count);

// Classifies (as `encoding` says), merges and absorbs into 8-bit segments where that is
// shorter. Returns false when some segment needs a mode the scheme lacks (the source then
// cannot go into a symbol of this scheme at all).
bool planSegments(const ModeScheme& scheme, CQREncoder::TextEncoding encoding, const unsigned char* source, int length,
                  SegmentList segments);

// ORs the low `bitCount` bits of `value` (at most 16) into `stream` at `position`, most
// significant first. Returns the new position, or -1 when position is -1 or the stream would
// pass `capacityBits`.
int appendBits(unsigned char* stream, int capacityBits, int position, int value, int bitCount);

// Writes the segments (headers and data) from bit 0 of `stream`, which must be zero.
// Returns the bits written, or -1 when they pass `capacityBits`.
int packSegments(const ModeScheme& scheme, const unsigned char* source, const unsigned char* modes,
                 const int32_t* lengths, int count, unsigned char* stream, int capacityBits);

}  // namespace qrenc
