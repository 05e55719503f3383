// The character sets of a symbol's byte data: the one an ECI designator selects, and the tests
// that decide how data without one is shown.
#pragma once

#include <string>
#include <string_view>

namespace charsets {

// The iconv name of the character set that ECI designator `eci` selects, or nullptr when this
// reader does not know it (the data then keeps its bytes and is shown as data without an ECI).
const char* forEci(int eci);

// Well-formed UTF-8 holding at least one byte of 0x80 or above.
bool isUtf8WithNonAscii(std::string_view bytes);
// Every byte either ASCII, the euro sign 0x80, or a GBK pair (lead 81..FE, trail 40..FE but 7F).
bool isGbk(std::string_view bytes);

// Bytes in `charset` as UTF-16; ill-formed sequences become U+FFFD.
std::u16string toText(const char* charset, std::string_view bytes);

inline constexpr const char* kUtf8 = "UTF-8";
inline constexpr const char* kGbk = "CP936";
// Windows' Shift JIS: the JIS X 0208 pairs of kanji mode, with 5C and 7E as in ASCII.
inline constexpr const char* kShiftJis = "CP932";
inline constexpr const char* kGb2312 = "GB18030";

}  // namespace charsets
