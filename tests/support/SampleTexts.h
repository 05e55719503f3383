// Texts in many scripts for the symbols the program and the command-line tool make.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

#include "platform/text.h"

namespace testsupport {

struct SampleText {
    const char* name;
    std::u16string_view text;
};

inline constexpr SampleText kSampleTexts[] = {
    // Every byte pair of these in UTF-8 and GBK lies in the Shift JIS kanji range.
    {"chinese", u"同名后向南同名后向南勝同名"},
    {"chinese-sentence", u"你好，世界！这是二维码测试。"},
    // 學 ends in "W" in GBK, right before a run of capitals.
    {"traditional", u"學ABCDEFGHIJKLMNOPQRSTUVWXYZ網頁門"},
    {"japanese", u"こんにちは、世界。カタカナと漢字のテスト"},
    {"korean", u"안녕하세요, 세계! 큐알 코드"},
    {"emoji", u"😀👍🎉 emoji ✓"},
    {"mixed", u"Mixed 混合 ミックス 혼합 Ελληνικά Русский 2024"},
    {"digits", u"012345678901234567890123456789"},
    {"url", u"https://example.org/路径?q=二维码&lang=zh-CN#ABC"},
};

// The text in `codePage`, or false when the code page lacks one of its characters.
inline bool encodeIn(unsigned codePage, std::u16string_view text, std::string& bytes) {
    bytes = platform::wideToMultiByte(codePage, text, false);
    const std::string utf8 = platform::utf16ToUtf8(text);
    return std::count(bytes.begin(), bytes.end(), '?') == std::count(utf8.begin(), utf8.end(), '?');
}

}  // namespace testsupport
