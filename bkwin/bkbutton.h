// A button (`button`): drawn like static text over its style's skin; hover and push always
// repaint it, since the button skin has a look for each.
#pragma once

#include "bkwin/bkwnd.h"

class CBkButton : public CBkWindow {
public:
    const char* GetObjectClass() const override { return "button"; }
    bool NeedRedrawWhenStateChange() override { return true; }
};
