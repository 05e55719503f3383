// Static text (`text`): the style's background, then the inner text with the style's text
// mode, colours and fonts. Everything it does is the element default.
#pragma once

#include "bkwin/bkwnd.h"

class CBkStatic : public CBkWindow {
public:
    const char* GetObjectClass() const override { return "text"; }
};
