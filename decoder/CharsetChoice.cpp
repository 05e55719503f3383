#include "decoder/CharsetChoice.h"

namespace {

// A block of double-byte characters: lead and trail byte ranges, and how ordinary its characters
// are in text of the set's language (positive: ordinary; negative: rare, private or unassigned).
struct PairBlock {
    uint8_t leadFirst, leadLast, trailFirst, trailLast;
    int8_t weight;
};

// GBK, the first block that holds a pair decides. GB 2312 sits in A1..F7 x A1..FE; GBK's own
// extensions use the other trail bytes and leads 81..A0.
constexpr PairBlock kGbkBlocks[] = {
    {0xA1, 0xA1, 0xA1, 0xFE, 4},   // full-width punctuation: 、。“”《》…【】
    {0xA3, 0xA3, 0xA1, 0xFE, 4},   // full-width ASCII: ！（），：；？
    {0xA2, 0xA2, 0xA1, 0xFE, 0},   // numbered list marks
    {0xA4, 0xA5, 0xA1, 0xFE, 0},   // kana
    {0xA6, 0xA7, 0xA1, 0xFE, -1},  // Greek, Cyrillic
    {0xA8, 0xA8, 0xA1, 0xFE, 0},   // pinyin, zhuyin
    {0xA9, 0xA9, 0xA1, 0xFE, -1},  // box drawing
    {0xAA, 0xAF, 0xA1, 0xFE, -8},  // user-defined
    {0xD7, 0xD7, 0xFA, 0xFE, -8},  // unassigned end of level 1
    {0xB0, 0xD7, 0xA1, 0xFE, 4},   // level-1 hanzi, the common ones
    {0xD8, 0xF7, 0xA1, 0xFE, 1},   // level-2 hanzi
    {0xF8, 0xFE, 0xA1, 0xFE, -8},  // user-defined
    {0xA1, 0xA7, 0x40, 0xA0, -8},  // user-defined
    {0xA8, 0xA9, 0x40, 0xA0, -2},  // GBK's extra symbols
    {0x81, 0xA0, 0x40, 0xFE, -2},  // GBK's extra hanzi (traditional and rare forms)
    {0xAA, 0xFE, 0x40, 0xA0, -2},
};

// Shift JIS (Windows' code page 932), the first block that holds a pair decides; pairs in no
// block are unassigned or user-defined.
constexpr PairBlock kShiftJisBlocks[] = {
    {0x81, 0x81, 0x40, 0xFC, 3},   // punctuation and symbols: 、。「」・ー
    {0x82, 0x82, 0x4F, 0x9A, 2},   // full-width digits and letters
    {0x82, 0x82, 0x9F, 0xF1, 4},   // hiragana
    {0x83, 0x83, 0x40, 0x96, 4},   // katakana
    {0x83, 0x84, 0x40, 0xFC, -1},  // Greek, Cyrillic, box drawing
    {0x87, 0x87, 0x40, 0x9C, 0},   // NEC's circled numbers and units
    {0x88, 0x88, 0x9F, 0xFC, 3},   // JIS level-1 kanji, the common ones
    {0x89, 0x97, 0x40, 0xFC, 3},
    {0x98, 0x98, 0x40, 0x72, 3},
    {0x98, 0x98, 0x9F, 0xFC, -1},  // JIS level-2 kanji
    {0x99, 0x9F, 0x40, 0xFC, -1},
    {0xE0, 0xE9, 0x40, 0xFC, -1},
    {0xEA, 0xEA, 0x40, 0xA4, -1},
    {0xED, 0xEE, 0x40, 0xFC, -4},  // IBM extensions (NEC's selection)
    {0xFA, 0xFB, 0x40, 0xFC, -4},  // IBM extensions
    {0xFC, 0xFC, 0x40, 0x4B, -4},
};
constexpr int kUnassignedPair = -8;

// The blocks spread over every lead 80..FF and trail 40..FF, built by the compiler, so that a
// pair's weight is one look-up.
struct PairWeights {
    int8_t weight[128][192];
    int operator()(uint8_t lead, uint8_t trail) const { return weight[lead - 0x80][trail - 0x40]; }
};

template <size_t N>
constexpr PairWeights spread(const PairBlock (&blocks)[N]) {
    PairWeights table{};
    for (int lead = 0x80; lead <= 0xFF; ++lead)
        for (int trail = 0x40; trail <= 0xFF; ++trail) {
            int weight = kUnassignedPair;
            for (const PairBlock& b : blocks)
                if (lead >= b.leadFirst && lead <= b.leadLast && trail >= b.trailFirst && trail <= b.trailLast) {
                    weight = b.weight;
                    break;
                }
            table.weight[lead - 0x80][trail - 0x40] = static_cast<int8_t>(weight);
        }
    return table;
}

constexpr PairWeights kGbkPairWeights = spread(kGbkBlocks);
constexpr PairWeights kShiftJisPairWeights = spread(kShiftJisBlocks);

constexpr int kGbkEuro = -4;  // CP936's lone byte 80

int gbkScore(std::string_view bytes) {
    int score = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        const auto lead = static_cast<uint8_t>(bytes[i]);
        if (lead < 0x80) continue;
        if (lead == 0x80) {
            score += kGbkEuro;
            continue;
        }
        if (lead == 0xFF || i + 1 == bytes.size()) return CharsetChoice::kIllFormed;
        const auto trail = static_cast<uint8_t>(bytes[++i]);
        if (trail < 0x40 || trail == 0x7F || trail == 0xFF) return CharsetChoice::kIllFormed;
        score += kGbkPairWeights(lead, trail);
    }
    return score;
}

// --- Half-width katakana (Shift JIS single bytes A1..DF) ---
//
// GBK text read as Shift JIS turns into runs of half-width katakana, so a run earns little by
// itself; what real half-width text has and chance rarely gives is the voiced-sound marks ﾞ ﾟ
// right after the kana that take them, and ｰ ﾝ after a kana.

constexpr uint8_t kVoicedMark = 0xDE, kSemiVoicedMark = 0xDF, kLongVowel = 0xB0, kKanaN = 0xDD;
bool isKana(int c) { return c >= 0xA6 && c <= 0xDD; }           // ｦ..ﾝ with the small ones
bool isSmallKana(int c) { return c >= 0xA7 && c <= 0xAF; }      // ｧ..ｯ
bool takesVoicedMark(int c) { return c == 0xB3 || (c >= 0xB6 && c <= 0xC4) || (c >= 0xCA && c <= 0xCE); }  // ｳ ｶ..ﾄ ﾊ..ﾎ
bool takesSemiVoicedMark(int c) { return c >= 0xCA && c <= 0xCE; }                                         // ﾊ..ﾎ

constexpr int kKanaInRun = 1;          // a kana beside another half-width character
constexpr int kMarkInPlace = 5;        // ﾞ ﾟ after a kana that takes it, in a run of three or more
constexpr int kMarkInPlaceShort = 2;   // the same in a run of two (ﾎﾞ alone is also GBK's 无)
constexpr int kMarkAstray = -8;        // ﾞ ﾟ anywhere else
constexpr int kLongVowelAfterKana = 3;
constexpr int kNAfterKana = 2;
constexpr int kSmallKanaAfterKana = 1;
constexpr int kAstray = -4;            // ｰ or a small kana that follows no kana

int halfWidthRunScore(std::string_view run) {
    int score = 0;
    for (size_t k = 0; k < run.size(); ++k) {
        const int c = static_cast<uint8_t>(run[k]);
        const int before = k > 0 ? static_cast<uint8_t>(run[k - 1]) : -1;
        const int markInPlace = run.size() >= 3 ? kMarkInPlace : kMarkInPlaceShort;
        if (c == kVoicedMark) score += takesVoicedMark(before) ? markInPlace : kMarkAstray;
        else if (c == kSemiVoicedMark) score += takesSemiVoicedMark(before) ? markInPlace : kMarkAstray;
        else if (c == kLongVowel) score += isKana(before) ? kLongVowelAfterKana : kAstray;
        else if (c == kKanaN && isKana(before)) score += kNAfterKana;
        else if (isSmallKana(c)) score += isKana(before) ? kSmallKanaAfterKana : kAstray;
        else if (run.size() > 1) score += kKanaInRun;
    }
    return score;
}

int shiftJisScore(std::string_view bytes) {
    int score = 0;
    size_t runStart = 0, runLength = 0;  // the current run of half-width characters
    const auto endRun = [&] {
        if (runLength > 0) score += halfWidthRunScore(bytes.substr(runStart, runLength));
        runLength = 0;
    };
    for (size_t i = 0; i < bytes.size(); ++i) {
        const auto c = static_cast<uint8_t>(bytes[i]);
        if (c >= 0xA1 && c <= 0xDF) {
            if (runLength++ == 0) runStart = i;
            continue;
        }
        endRun();
        if (c < 0x80) continue;
        if (c == 0x80 || c == 0xA0 || c >= 0xFD || i + 1 == bytes.size()) return CharsetChoice::kIllFormed;
        const auto trail = static_cast<uint8_t>(bytes[++i]);
        if (trail < 0x40 || trail == 0x7F || trail > 0xFC) return CharsetChoice::kIllFormed;
        score += kShiftJisPairWeights(c, trail);
    }
    endRun();
    return score;
}

// --- ISO-8859-1 ---
//
// Accented letters belong inside words of ASCII letters (Grüße, café, Köln): such a word earns
// for each of its accented letters, lower case more than upper case. Words of accented letters
// alone, more accented than ASCII letters or three accented in a row are what GBK and Shift JIS
// bytes look like instead.

constexpr int kLowerAccentedInWord = 5;
constexpr int kUpperAccentedInWord = 3;
constexpr int kLoneAccentedWord = 2;      // à, é standing alone
constexpr int kAccentedAstray = -4;       // per accented letter of an implausible word
constexpr int kSymbol = 1;                // « » ° ¿ £ and the like beside ASCII or space
constexpr int kSymbolBesideLetter = -2;   // a symbol glued to an accented letter
constexpr int kOpeningMark = 2;           // ¡ ¿ opening a word: ¡Éxito!

bool isAsciiLetter(int c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool isAccented(int c) { return c >= 0xC0 && c != 0xD7 && c != 0xF7; }  // not × ÷
bool isLetter(int c) { return isAsciiLetter(c) || isAccented(c); }

int latin1Score(std::string_view bytes) {
    const auto at = [&](size_t i) { return static_cast<int>(static_cast<uint8_t>(bytes[i])); };
    int score = 0;
    size_t i = 0;
    while (i < bytes.size()) {
        const int c = at(i);
        if (c >= 0x80 && c < 0xA0) return CharsetChoice::kIllFormed;  // C1 controls: no text has them
        if (isLetter(c)) {
            int ascii = 0, accented = 0, weight = 0, run = 0, longestRun = 0;
            for (; i < bytes.size() && isLetter(at(i)); ++i) {
                if (!isAccented(at(i))) {
                    ++ascii;
                    run = 0;
                    continue;
                }
                ++accented;
                longestRun = run + 1 > longestRun ? run + 1 : longestRun;
                ++run;
                weight += at(i) <= 0xDE ? kUpperAccentedInWord : kLowerAccentedInWord;
            }
            if (accented == 0) continue;
            if (ascii == 0) score += accented == 1 ? kLoneAccentedWord : kAccentedAstray * accented;
            else if (accented <= 2 * ascii && longestRun <= 2) score += weight;
            else score += kAccentedAstray * accented;
            continue;
        }
        if (c >= 0xA0) {
            const bool afterAscii = i == 0 || at(i - 1) < 0x80;
            // ¡ and ¿ open a sentence: a capital or an ASCII letter follows.
            const bool beforeLetter = i + 1 < bytes.size() && (isAsciiLetter(at(i + 1)) || (isAccented(at(i + 1)) && at(i + 1) <= 0xDE));
            const bool gluedBefore = !afterAscii && isAccented(at(i - 1));
            const bool gluedAfter = i + 1 < bytes.size() && isAccented(at(i + 1));
            if ((c == 0xA1 || c == 0xBF) && afterAscii && beforeLetter) score += kOpeningMark;
            else score += gluedBefore || gluedAfter ? kSymbolBesideLetter : kSymbol;
        }
        ++i;
    }
    return score;
}

// Well-formed UTF-8 (no overlong forms, surrogates or values beyond U+10FFFF) with at least one
// byte of 0x80 or above.
bool isUtf8WithNonAscii(std::string_view bytes) {
    bool nonAscii = false;
    for (size_t i = 0; i < bytes.size();) {
        const auto c = static_cast<uint8_t>(bytes[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        nonAscii = true;
        int length;
        uint8_t low = 0x80, high = 0xBF;  // the range of the second byte
        if (c >= 0xC2 && c <= 0xDF) length = 2;
        else if (c >= 0xE0 && c <= 0xEF) length = 3, low = c == 0xE0 ? 0xA0 : 0x80, high = c == 0xED ? 0x9F : 0xBF;
        else if (c >= 0xF0 && c <= 0xF4) length = 4, low = c == 0xF0 ? 0x90 : 0x80, high = c == 0xF4 ? 0x8F : 0xBF;
        else return false;
        if (i + length > bytes.size()) return false;
        for (int k = 1; k < length; ++k) {
            const auto next = static_cast<uint8_t>(bytes[i + k]);
            if (next < (k == 1 ? low : 0x80) || next > (k == 1 ? high : 0xBF)) return false;
        }
        i += length;
    }
    return nonAscii;
}

bool hasNonAscii(std::string_view bytes) {
    for (const char c : bytes)
        if (static_cast<uint8_t>(c) >= 0x80) return true;
    return false;
}

}  // namespace

int charsetScore(Charset candidate, std::string_view bytes) {
    switch (candidate) {
        case Charset::Gbk: return gbkScore(bytes);
        case Charset::ShiftJis: return shiftJisScore(bytes);
        case Charset::Latin1: return latin1Score(bytes);
        case Charset::Utf8: break;
    }
    return isUtf8WithNonAscii(bytes) ? 0 : CharsetChoice::kIllFormed;
}

CharsetChoice chooseCharset(std::string_view bytes, bool kanjiMode) {
    CharsetChoice choice;
    if (!hasNonAscii(bytes)) return choice;
    if (isUtf8WithNonAscii(bytes)) {
        choice.charset = Charset::Utf8;
        choice.rule = CharsetChoice::Rule::Utf8;
        return choice;
    }
    if (bytes.back() == '\0' && gbkScore(bytes) != CharsetChoice::kIllFormed) {
        choice.rule = CharsetChoice::Rule::ProgramGbk;
        return choice;
    }
    if (kanjiMode) {
        choice.charset = Charset::ShiftJis;
        choice.rule = CharsetChoice::Rule::KanjiMode;
        return choice;
    }
    choice.rule = CharsetChoice::Rule::Evidence;
    int best = CharsetChoice::kIllFormed;
    for (const Charset candidate : {Charset::Gbk, Charset::ShiftJis, Charset::Latin1}) {
        const int score = charsetScore(candidate, bytes);
        choice.scores[static_cast<size_t>(candidate)] = score;
        if (score > best) best = score, choice.charset = candidate;
    }
    return choice;
}

const char* charsetName(Charset charset) {
    switch (charset) {
        case Charset::Gbk: return "GBK";
        case Charset::ShiftJis: return "Shift_JIS";
        case Charset::Latin1: return "ISO-8859-1";
        case Charset::Utf8: return "UTF-8";
    }
    return "GBK";
}
