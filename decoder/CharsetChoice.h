// The character set of a symbol's byte and kanji data that no ECI designator names, decided once
// per symbol from the bytes themselves.
//
// The rules, in order:
//  1. no byte of 0x80 or above: nothing to decide (Rule::Ascii; GBK shows ASCII as itself);
//  2. well-formed UTF-8: UTF-8;
//  3. the desktop program's own symbols, whose data ends in one zero byte: GBK when the bytes are
//     well-formed GBK (its symbols long carried GBK pairs in kanji mode);
//  4. data with kanji-mode segments: Shift JIS, which kanji mode stands for;
//  5. otherwise the evidence: each of GBK, Shift JIS and ISO-8859-1 in which the bytes are well
//     formed scores how ordinary its characters are in text of its language, and the highest
//     score wins. Even evidence goes to GBK (our users' language), then Shift JIS; bytes well
//     formed in none of the three are shown as GBK.
#pragma once

#include <array>
#include <climits>
#include <cstdint>
#include <string_view>

enum class Charset : uint8_t { Gbk, ShiftJis, Latin1, Utf8 };

struct CharsetChoice {
    enum class Rule : uint8_t { Ascii, Utf8, ProgramGbk, KanjiMode, Evidence };
    static constexpr int kIllFormed = INT_MIN;

    Charset charset = Charset::Gbk;
    Rule rule = Rule::Ascii;
    // The evidence for GBK, Shift JIS and ISO-8859-1, indexed by Charset: higher is more ordinary
    // text, kIllFormed where the bytes are not well formed in that set. Filled by rule 5 only.
    std::array<int, 3> scores{0, 0, 0};
};

// `bytes`: the data of the symbol's byte and kanji segments outside any ECI designator, with the
// ASCII of its numeric and alphanumeric segments, in order (kanji as Shift JIS pairs);
// `kanjiMode`: some of it came from kanji segments. Allocates nothing.
CharsetChoice chooseCharset(std::string_view bytes, bool kanjiMode);

// The evidence for one candidate (rule 5), kIllFormed when `bytes` are not well formed in it.
int charsetScore(Charset candidate, std::string_view bytes);

// "GBK", "Shift_JIS", "ISO-8859-1" or "UTF-8".
const char* charsetName(Charset charset);
