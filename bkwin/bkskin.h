// Base of the skins: objects that paint a rectangle for an element state.
#pragma once

#include "bkwin/bkobject.h"
#include "bkres/bkplatform.h"

// State values a skin receives: an element's state flags (hover 1, pushed 2, disabled 0x10),
// or an image index, or kBkNoState for "the whole image".
inline constexpr int kBkNoState = -1;

class CBkSkinBase : public CBkObject {
public:
    // Paints `rect` of `dc` for `state`.
    virtual void Draw(HDC dc, const RECT& rect, int state) = 0;

    // Width and height of one state image (0 x 0 when the skin has none).
    virtual SIZE GetSkinSize() const { return SIZE{0, 0}; }

    // True when the skin looks the same in every state.
    virtual bool IgnoreState() const { return true; }

    // Image index from element state flags: disabled 3, else pushed 2, else hover 1, else 0.
    static int StateToIndex(unsigned stateFlags);
};
