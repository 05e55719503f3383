// QR Code model 2 encoder: bytes in, module matrix out.
//
// One object per symbol: call encode() once, then read side, version, maskPattern and
// modules[x][y] (x = column from the left, y = row from the top; 1 = dark, 0 = light).
// Every stage is a public operation so that callers and tests can drive it on its own.
// encode allocates nothing, throws nothing and keeps no state outside the object.
#pragma once

#include <cstdint>
#include <string>

#include "encoder/EncodeFailure.h"

class CQREncoder {
public:
    // Sizes of the working storage, all for version 40.
    static constexpr int kMaxSide = 177;
    static constexpr int kMaxDataBytes = 2956;       // data codewords of version 40-L
    static constexpr int kMaxDataBits = kMaxDataBytes * 8;
    static constexpr int kMaxCodewords = 3706;       // total codewords of version 40
    static constexpr int kMaxBlockCodewords = 153;   // longest Reed-Solomon block
    // The longest source that can fit any symbol: 7089 digits fill 40-L exactly in numeric
    // mode, the densest one. Longer sources are refused before segmentation, so the segment
    // arrays (one entry per source byte at worst) can never be overrun.
    static constexpr int kMaxSourceLength = 7089;

    // Mode codes of the segment arrays.
    static constexpr int kModeNumeric = 0;
    static constexpr int kModeAlphanumeric = 1;
    static constexpr int kModeByte = 2;
    static constexpr int kModeKanji = 3;

    // Flag bits of modules while the matrix is being built.
    static constexpr unsigned char kFunction = 0x20;
    static constexpr unsigned char kDarkFunction = 0x10;
    static constexpr unsigned char kDataBit = 0x02;
    static constexpr unsigned char kMaskedBit = 0x01;

    // What the source bytes are. Every reader takes kanji-mode characters as Shift JIS, so only
    // Shift JIS text uses kanji mode; GBK and UTF-8 double-byte text goes in byte mode. In GBK and
    // Shift JIS a character's two bytes always stay in one segment: their second byte may be
    // 'A' to 'Z', and a reader that turns each segment into text on its own must never get half
    // a character. Utf8 also serves any other bytes: they are taken one by one (no byte of a
    // UTF-8 multi-byte sequence is ASCII).
    enum class TextEncoding { Utf8, Gbk, ShiftJis };

    // Why the last encode returned 0 (`failure.kind`).
    using Failure = EncodeFailure::Kind;

    CQREncoder() {}
    ~CQREncoder() {}

    // Encodes `length` bytes of `source` at `ecLevel` (0 = L, 1 = M, 2 = Q, 3 = H).
    // `version` 0 chooses the smallest fitting version; 1..40 asks for that version, and a
    // larger one is used only when `autoExtend` is nonzero. `maskPattern` -1 chooses the mask
    // by penalty score, 0..7 forces one. `encoding` says what the bytes are (kanji mode only for
    // Shift JIS). Returns 1 on success, 0 when the data does not fit or an argument is out of
    // range (level not 0..3, version not 0..40, mask not -1..7, length not 1..7089, null
    // source); `failure` then says why.
    int encode(int ecLevel, int version, int autoExtend, int maskPattern, const unsigned char* source, int length,
               TextEncoding encoding = TextEncoding::Utf8);
    // One line on the last failure, such as "data too long for version 40 at level H: 3000 bytes
    // need 3003 data codewords, the symbol holds 1276"; empty after a success.
    std::string describeFailure() const;

    // --- Segmentation and bit stream ---

    // Returns the smallest version (1..40) whose capacity at ecLevel holds the source, starting
    // in the requested version's group, or 0. Leaves that group's bit stream in dataStream.
    int chooseVersion(int requestedVersion, const unsigned char* source, int length);
    // Classifies (as `textEncoding` says), merges and packs the source for version group 0..2.
    // Returns 1 when the stream fits 23648 bits, else 0.
    int segmentAndPack(const unsigned char* source, int length, int group);
    // Bits one segment of `length` source bytes needs in `group`, headers included.
    static int segmentBitLength(int mode, int length, int group);
    // ORs the low `bitCount` bits of `value` into dataStream at `position`, most significant
    // first. Returns the new position, or -1 when position is -1 or the stream would overflow.
    int appendBits(int position, int value, int bitCount);

    static bool isNumeric(unsigned char c);
    static bool isAlphanumeric(unsigned char c);
    static bool isKanjiPair(unsigned char c1, unsigned char c2);
    // The two bytes are one character of the encoding (never in UTF-8).
    static bool isDoubleByteCharacter(TextEncoding encoding, unsigned char c1, unsigned char c2);
    static int alphanumericValue(unsigned char c);
    static int kanjiValue(uint16_t pair);

    // --- Error correction ---

    // On entry work holds d data codewords followed by zeros (at least d + e bytes); on return
    // its first e bytes are the check codewords, highest degree first.
    static void computeEcCodewords(unsigned char* work, int d, int e);

    // --- Module matrix ---

    void buildMatrix();
    void placeFunctionPatterns();
    void placeFinder(int x, int y);
    void placeAlignment(int x, int y);
    void placeVersionInfo();
    void placeCodewords();
    void applyMask(int pattern);
    void placeFormatInfo(int pattern);
    int maskPenalty() const;

    // --- State (read after encode) ---

    int32_t ecLevel;
    TextEncoding textEncoding = TextEncoding::Utf8;
    EncodeFailure failure;
    int32_t version;
    int32_t maskPattern;
    int32_t side;
    unsigned char modules[kMaxSide][kMaxSide];
    int32_t dataBitCount;
    unsigned char dataStream[kMaxDataBytes];
    int32_t segmentCount;
    unsigned char segmentModes[kMaxSourceLength];
    int32_t segmentLengths[kMaxSourceLength];
    int32_t totalCodewords;
    unsigned char allCodewords[kMaxCodewords];
    unsigned char rsWork[kMaxBlockCodewords];

private:
    int neededCodewords(const unsigned char* source, int length, int version);
    int chooseMaskPattern() const;
    void addTerminatorAndPadding();
    void interleaveCodewords();
    bool isDark(int x, int y) const { return (modules[x][y] & 0x11) != 0; }
    void setFunctionModule(int x, int y, bool dark) { modules[x][y] = dark ? 0x30 : 0x20; }
};
