// Micro QR encoder (versions M1 to M4): bytes in, module matrix out.
//
// As CQREncoder: one object per symbol, encode() once, then read side, version, ecLevel,
// maskPattern and modules[x][y] (x = column from the left, y = row from the top; 1 = dark).
// encode allocates nothing and throws nothing. Segmentation and Reed-Solomon coding are QR's.
#pragma once

#include <cstdint>
#include <string>

#include "encoder/EncodeFailure.h"
#include "encoder/QR_Encode.h"

class CMicroQREncoder {
public:
    static constexpr int kMaxSide = 17;
    static constexpr int kMaxDataBytes = 16;  // data codewords of M4-L
    static constexpr int kMaxCodewords = 24;  // total codewords of M4
    // 35 digits fill M4-L in numeric mode, the densest one; longer sources cannot fit.
    static constexpr int kMaxSourceLength = 35;
    static constexpr int kMaskCount = 4;

    using TextEncoding = CQREncoder::TextEncoding;

    // Why the last encode returned 0 (`failure.kind`). LevelNotInVersion: the requested version
    // lacks the level (M1 has none beyond error detection, M2 and M3 have L and M, M4 L, M and Q).
    using Failure = EncodeFailure::Kind;

    // Encodes `length` bytes of `source` at `ecLevel` (0 = L, 1 = M, 2 = Q). `version` 0 chooses
    // the smallest fitting version that has the level; 1..4 asks for M1..M4, and a larger one is
    // used only when `autoExtend` is nonzero. M1 only detects errors: it is the smallest symbol
    // of level L and no other level. `maskPattern` -1 chooses the mask by the Micro QR rule,
    // 0..3 forces one. Returns 1 on success, else 0 with `failure` saying why.
    int encode(int ecLevel, int version, int autoExtend, int maskPattern, const unsigned char* source, int length,
               TextEncoding encoding = TextEncoding::Utf8);
    // One line on the last failure; empty after a success.
    std::string describeFailure() const;

    // "M3-L", or "M1" (no level letter: M1 only detects errors).
    static std::string symbolName(int version, int level);

    // --- State (read after encode) ---
    int32_t ecLevel = 0;
    int32_t version = 0;
    int32_t maskPattern = 0;
    int32_t side = 0;
    EncodeFailure failure;
    unsigned char modules[kMaxSide][kMaxSide];

private:
    static constexpr unsigned char kFunction = 0x20;
    static constexpr unsigned char kDarkFunction = 0x10;
    static constexpr unsigned char kDataBit = 0x02;

    // Plans and packs the source for `forVersion` into dataStream; returns the bits, or -1 when
    // the version lacks a mode the source needs or the bits pass `capacityBits`.
    int packFor(int forVersion, int capacityBits, const unsigned char* source, int length);
    int neededBits(int forVersion, const unsigned char* source, int length);
    void addTerminatorAndPadding(int usedBits);
    void buildMatrix();
    void placeFunctionPatterns();
    void placeCodewords();
    void applyMask(int pattern);
    int maskScore() const;
    void placeFormatInfo(int pattern);
    bool isDark(int x, int y) const { return (modules[x][y] & 0x11) != 0; }
    void setFunctionModule(int x, int y, bool dark) { modules[x][y] = dark ? 0x30 : 0x20; }

    TextEncoding textEncoding_ = TextEncoding::Utf8;
    int32_t symbolNumber_ = 0;
    int32_t segmentCount_ = 0;
    unsigned char segmentModes_[kMaxSourceLength];
    int32_t segmentLengths_[kMaxSourceLength];
    unsigned char dataStream_[kMaxDataBytes];
    unsigned char codewords_[kMaxCodewords];
};
