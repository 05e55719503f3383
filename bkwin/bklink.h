// A link (`link`): drawn like static text. The host tells it apart by its tag: it starts no
// window drag from it and opens its `href` on a click.
#pragma once

#include "bkwin/bkwnd.h"

class CBkLink : public CBkWindow {
public:
    const char* GetObjectClass() const override { return "link"; }
};
