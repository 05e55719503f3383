// Code-page conversions between UTF-16 interface text and bytes, with the semantics of the
// platform's wide/multibyte conversions. Code page 0 is the system's ANSI code page, which
// for this program is 936 (GBK); 65001 is UTF-8; 932 (Shift JIS) is written only.
#pragma once

#include <string>
#include <string_view>

namespace platform {

inline constexpr unsigned kCodePageAnsi = 0;
inline constexpr unsigned kCodePageGbk = 936;
inline constexpr unsigned kCodePageUtf8 = 65001;
inline constexpr unsigned kCodePageShiftJis = 932;

// UTF-16 to bytes. Characters the code page cannot hold become '?'; in UTF-8, unpaired
// surrogates become U+FFFD. With `withTerminator` one zero byte is appended, as a conversion
// of a zero-terminated string gives. An unknown code page gives an empty result.
std::string wideToMultiByte(unsigned codePage, std::u16string_view text, bool withTerminator);

// Where the first character that the code page cannot hold (and wideToMultiByte makes '?')
// starts in `text`, or npos when it holds them all. UTF-8 holds every character.
size_t firstUnmappable(unsigned codePage, std::u16string_view text);

// Bytes to UTF-16. In UTF-8 each ill-formed sequence becomes U+FFFD; in GBK a byte or pair
// that is not a character becomes '?'. Zero bytes are kept as U+0000.
std::u16string multiByteToWide(unsigned codePage, std::string_view bytes);

// Bytes in the character set `charset` (an iconv name such as "ISO-8859-5", "CP932" or
// "UTF-16BE") to UTF-16. Each ill-formed or unmappable sequence becomes U+FFFD. Returns false,
// leaving `out` empty, when the character set is unknown.
bool charsetToWide(const char* charset, std::string_view bytes, std::u16string& out);

// UTF-8 helpers for the command-line tool and tests.
std::u16string utf8ToUtf16(std::string_view bytes);
std::string utf16ToUtf8(std::u16string_view text);

}  // namespace platform
