#include "bkres/bkvaluesyntax.h"

#include <climits>

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

COLORREF BkParseColor(std::string_view text) {
    if (text.size() != 6) return CLR_INVALID;
    uint32_t rgb = 0;
    for (char c : text) {
        int d = HexDigit(c);
        if (d < 0) return CLR_INVALID;
        rgb = rgb << 4 | static_cast<uint32_t>(d);
    }
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

uint32_t BkParseHex(std::string_view text) {
    uint32_t value = 0;
    for (char c : text) {
        int d = HexDigit(c);
        if (d < 0) return 0;
        value = value << 4 | static_cast<uint32_t>(d);
    }
    return value;
}

int BkParseInt(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) value = -value;
    if (value > INT_MAX) value = INT_MAX;
    return static_cast<int>(value);
}
