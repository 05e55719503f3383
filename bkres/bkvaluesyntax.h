// The small value syntaxes shared by every skin document: colours, hexadecimal fields
// (font codes, text modes), decimal integers and flags.
#pragma once

#include <cstdint>
#include <string_view>

#include "bkres/bkplatform.h"

// Six hexadecimal digits RRGGBB (either case) as a colour value with red in the low byte.
// Anything else is "no colour" (CLR_INVALID, all bits set).
COLORREF BkParseColor(std::string_view text);

// Hexadecimal of any length; a character that is not a hexadecimal digit makes the whole
// value 0 (not the value of the digits before it). Wraps modulo 2^32 past eight digits.
uint32_t BkParseHex(std::string_view text);

// Decimal with an optional leading sign, read up to the first non-digit as the C library's
// atoi does ("12px" is 12, "x" is 0); clamped to the range of int.
int BkParseInt(std::string_view text);
