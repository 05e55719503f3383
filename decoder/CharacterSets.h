// The character sets of a symbol's byte data by their iconv names, and the one an ECI designator
// selects. (How data without a designator is shown: CharsetChoice.)
#pragma once

#include <string>
#include <string_view>

namespace charsets {

// The iconv name of the character set that ECI designator `eci` selects, or nullptr when this
// reader does not know it (the data then keeps its bytes and is shown as data without an ECI).
const char* forEci(int eci);

// Bytes in `charset` as UTF-16; ill-formed sequences become U+FFFD.
std::u16string toText(const char* charset, std::string_view bytes);

inline constexpr const char* kUtf8 = "UTF-8";
inline constexpr const char* kGbk = "CP936";
// Windows' Shift JIS: the JIS X 0208 pairs of kanji mode, with 5C and 7E as in ASCII.
inline constexpr const char* kShiftJis = "CP932";
inline constexpr const char* kGb2312 = "GB18030";
inline constexpr const char* kLatin1 = "ISO-8859-1";

}  // namespace charsets
