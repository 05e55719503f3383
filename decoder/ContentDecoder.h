// Reads a sampled QR module matrix: format information, unmasking, codewords, Reed-Solomon
// correction of each block, then the data segments (numeric, alphanumeric, 8-bit byte, kanji
// and 13-bit Chinese characters) into UTF-16 text.
//
// One object per symbol; it is large (version-40 working storage), so create it on the heap.
//   auto decoder = std::make_unique<ContentDecoder>();
//   decoder->run(side, version, matrix);   // matrix[x][y], 177 bytes per column, 1 = dark
//   decoder->text, decoder->version, decoder->ecLevel
// A damaged symbol is never an error: the text is then partial or garbled.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class ContentDecoder {
public:
    static constexpr int kMaxSide = 177;
    static constexpr int kMaxCodewords = 3706;
    static constexpr int kMaxDataCodewords = 3110;
    static constexpr uint8_t kFunctionMarker = 0x6F;
    // A byte segment holds at most this many bytes; a longer declared count ends decoding.
    static constexpr int kMaxByteSegment = 4999;

    ContentDecoder() = default;
    virtual ~ContentDecoder() = default;

    // Decodes the side x side symbol of `version` held in matrix[x][y] (x = column from the left).
    // `side` must be 4 * version + 17 with version 1..40; any other pair leaves `text` empty and
    // returns 0. Otherwise returns 1: damage shows in the text, not in the result.
    int run(int side, int version, const uint8_t (*matrix)[kMaxSide]);

    // --- The stages of a run, public so that tests can drive them one by one ---

    // The 5-bit format value (level indicator << 3 | mask) of the first copy that lies within 3
    // bits of a code word, else of the second copy, else 0 (level M, mask 0).
    int readFormatInformation() const;
    void unmask();
    void markFunctionModules();
    void readCodewords();
    void correctAndAssemble();
    void decodeSegments();

    // Next n (<= 16) bits of dataStream, most significant first; 0xFFFF once exhausted.
    uint16_t readBits(int n);
    static bool isUtf8(const uint8_t* bytes, int length);

    // Turns the low five bits of a format value into the level index (0 = L .. 3 = H).
    static int levelFromIndicator(int indicator);

    // --- State ---

    int32_t side = 0;
    int32_t ecLevel = 0;
    int32_t version = 0;
    int32_t maskPattern = 0;
    int32_t countBitsGroup = 0;
    std::u16string text;
    uint8_t modules[kMaxSide][kMaxSide] = {};
    int32_t totalCodewords = 0;
    int32_t dataCodewordCount = 0;
    int32_t ecCodewordCount = 0;
    uint8_t rawCodewords[kMaxCodewords] = {};
    uint8_t dataStream[kMaxDataCodewords] = {};
    int32_t bitPosition = 0;

private:
    int matchFormat(const int* positions) const;
    void markSquare(int cx, int cy, int radius);
    // Byte and kanji segments in a row, kept until the row ends. A row holding a kanji segment
    // is converted as one string (its pairs are often pieces of UTF-8 or GBK text that the
    // encoder's byte-range test took for Shift JIS); a row of byte segments alone is converted
    // segment by segment.
    struct ByteRun {
        std::string bytes;
        std::vector<int32_t> ends;  // where each segment's bytes end in `bytes`
        bool hasKanji = false;
    };
    bool readByteSegment(int count, ByteRun& run);
    void readKanjiSegment(int count, ByteRun& run);
    void flushByteRun(ByteRun& run);
    void appendBytesAsText(std::string_view bytes);
    void appendChineseCharacter(int value);
};
