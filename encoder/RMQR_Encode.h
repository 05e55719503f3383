// rMQR (rectangular Micro QR) encoder, sizes R7x43 to R17x139: bytes in, module matrix out.
//
// As CQREncoder: one object per symbol, encode() once, then read width, height, sizeIndex,
// ecLevel and modules[x][y] (x = column from the left, y = row from the top; 1 = dark).
// encode allocates nothing and throws nothing. Segmentation and Reed-Solomon coding are QR's;
// rMQR has one mask only.
#pragma once

#include <cstdint>
#include <string>

#include "encoder/EncodeFailure.h"
#include "encoder/QR_Encode.h"

class CRMQREncoder {
public:
    static constexpr int kMaxWidth = 139;
    static constexpr int kMaxHeight = 17;
    static constexpr int kMaxDataBytes = 152;        // data codewords of R17x139 at level M
    static constexpr int kMaxCodewords = 232;        // total codewords of R17x139
    static constexpr int kMaxBlockCodewords = 68;    // longest Reed-Solomon block
    // 361 digits fill R17x139 at level M in numeric mode, the densest one; longer sources
    // cannot fit.
    static constexpr int kMaxSourceLength = 361;

    using TextEncoding = CQREncoder::TextEncoding;

    // Why the last encode returned 0 (`failure.kind`). A failure's symbols are size numbers; a
    // requested size too small names the narrowest of its height that fits, else the size of
    // least area that does.
    using Failure = EncodeFailure::Kind;

    // Encodes `length` bytes of `source` at `ecLevel` (0 = M, 1 = H). `height` and `width` 0
    // choose the size of least area that holds the source; a height alone (7, 9 .. 17) chooses
    // the narrowest fitting width at that height; both ask for that size (R13x77), and a wider
    // one of the same height is used only when `autoExtend` is nonzero. Returns 1 on success,
    // else 0 with `failure` saying why.
    int encode(int ecLevel, int height, int width, int autoExtend, const unsigned char* source, int length,
               TextEncoding encoding = TextEncoding::Utf8);
    // One line on the last failure; empty after a success.
    std::string describeFailure() const;

    // The size's number (0 = R7x43 .. 31 = R17x139), or -1 when there is no such size.
    static int sizeIndexOf(int height, int width);
    // "R13x77".
    static std::string sizeName(int sizeIndex);

    // --- State (read after encode) ---
    int32_t ecLevel = 0;
    int32_t sizeIndex = 0;
    int32_t width = 0;
    int32_t height = 0;
    EncodeFailure failure;
    unsigned char modules[kMaxWidth][kMaxHeight];

private:
    static constexpr unsigned char kFunction = 0x20;
    static constexpr unsigned char kDataBit = 0x02;

    // Plans and packs the source for a size's count widths into dataStream; returns the bits,
    // or -1 when they pass `capacityBits`.
    int packFor(int forSize, int capacityBits, const unsigned char* source, int length);
    int neededCodewords(int forSize, const unsigned char* source, int length);
    void addTerminatorAndPadding(int usedBits);
    void interleaveCodewords();
    void placeFunctionPatterns();
    void placeCodewords();
    void applyMask();
    void placeFormatInfo();
    void setFunctionModule(int x, int y, bool dark) { modules[x][y] = dark ? 0x30 : 0x20; }

    TextEncoding textEncoding_ = TextEncoding::Utf8;
    int32_t segmentCount_ = 0;
    unsigned char segmentModes_[kMaxSourceLength];
    int32_t segmentLengths_[kMaxSourceLength];
    unsigned char dataStream_[kMaxDataBytes];
    unsigned char codewords_[kMaxCodewords];
};
