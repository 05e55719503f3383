// The `pos` attribute of an element: two items (x,y) or four (left,top,right,bottom), each an
// optional "|" (from the centre), an optional "-" (from the far edge, or before the centre)
// and a decimal number.
#pragma once

#include <string_view>

struct BkPosItem {
    bool center = false;    // written with a leading "|"
    bool fromFar = false;   // "-": from the right/bottom edge, or before the centre
    int value = 0;          // non-negative

    // The coordinate inside [origin, origin + extent): N, extent - N, or extent / 2 +- N.
    int Resolve(int origin, int extent) const;
};

struct BkWndPos {
    int count = 0;          // 0 (no position), 2 or 4
    BkPosItem item[4];

    // Parses `text`; any count of items other than 2 or 4 gives count 0.
    static BkWndPos Parse(std::string_view text);
};
