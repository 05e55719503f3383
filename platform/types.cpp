#include "platform/types.h"

#include <algorithm>

namespace platform {

bool IntersectRect(RECT* out, const RECT* a, const RECT* b) {
    RECT r{std::max(a->left, b->left), std::max(a->top, b->top), std::min(a->right, b->right),
           std::min(a->bottom, b->bottom)};
    if (IsRectEmpty(&r)) {
        *out = RECT{};
        return false;
    }
    *out = r;
    return true;
}

bool UnionRect(RECT* out, const RECT* a, const RECT* b) {
    const bool aEmpty = IsRectEmpty(a);
    const bool bEmpty = IsRectEmpty(b);
    if (aEmpty && bEmpty) {
        *out = RECT{};
        return false;
    }
    if (aEmpty) {
        *out = *b;
    } else if (bEmpty) {
        *out = *a;
    } else {
        *out = RECT{std::min(a->left, b->left), std::min(a->top, b->top), std::max(a->right, b->right),
                    std::max(a->bottom, b->bottom)};
    }
    return true;
}

}  // namespace platform
