#include "bkwin/bkwndpos.h"

#include <climits>

namespace {

BkPosItem ParseItem(std::string_view text) {
    BkPosItem item;
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    if (i < text.size() && text[i] == '|') {
        item.center = true;
        ++i;
    }
    if (i < text.size() && text[i] == '-') {
        item.fromFar = true;
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > INT_MAX / 4) value = INT_MAX / 4;  // keeps edge arithmetic far from overflow
    }
    item.value = static_cast<int>(value);
    return item;
}

}  // namespace

int BkPosItem::Resolve(int origin, int extent) const {
    if (center) return origin + extent / 2 + (fromFar ? -value : value);
    if (fromFar) return origin + extent - value;
    return origin + value;
}

BkWndPos BkWndPos::Parse(std::string_view text) {
    BkWndPos pos;
    BkPosItem items[4];
    int count = 0;
    std::size_t start = 0;
    while (true) {
        std::size_t comma = text.find(',', start);
        std::string_view part = text.substr(start, comma == std::string_view::npos ? text.npos : comma - start);
        if (count == 4) return pos;  // a fifth item: not a position
        items[count++] = ParseItem(part);
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    if (count != 2 && count != 4) return pos;
    pos.count = count;
    for (int i = 0; i < count; ++i) pos.item[i] = items[i];
    return pos;
}
