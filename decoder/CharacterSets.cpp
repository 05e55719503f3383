#include "decoder/CharacterSets.h"

#include "platform/text.h"

namespace charsets {

namespace {

struct EciCharset {
    int eci;
    const char* name;
};

// ECI designators of the AIM register that name a character set.
constexpr EciCharset kEciCharsets[] = {
    {0, "CP437"},        {1, "ISO-8859-1"},   {2, "CP437"},         {3, "ISO-8859-1"},    {4, "ISO-8859-2"},
    {5, "ISO-8859-3"},   {6, "ISO-8859-4"},   {7, "ISO-8859-5"},    {8, "ISO-8859-6"},    {9, "ISO-8859-7"},
    {10, "ISO-8859-8"},  {11, "ISO-8859-9"},  {12, "ISO-8859-10"},  {13, "ISO-8859-11"},  {15, "ISO-8859-13"},
    {16, "ISO-8859-14"}, {17, "ISO-8859-15"}, {18, "ISO-8859-16"},  {20, kShiftJis},      {21, "WINDOWS-1250"},
    {22, "WINDOWS-1251"}, {23, "WINDOWS-1252"}, {24, "WINDOWS-1256"}, {25, "UTF-16BE"},   {26, kUtf8},
    {27, "ASCII"},       {28, "BIG5"},        {29, kGb2312},        {30, "EUC-KR"},       {32, "GB18030"},
    {33, "UTF-16LE"},    {34, "UTF-32BE"},    {35, "UTF-32LE"},     {170, "ASCII"},
};

}  // namespace

const char* forEci(int eci) {
    for (const EciCharset& entry : kEciCharsets)
        if (entry.eci == eci) return entry.name;
    return nullptr;
}

std::u16string toText(const char* charset, std::string_view bytes) {
    std::u16string text;
    if (!platform::charsetToWide(charset, bytes, text)) text = platform::utf8ToUtf16(bytes);
    return text;
}

}  // namespace charsets
