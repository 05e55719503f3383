// An element that holds other elements and places them.
#pragma once

#include "bkwin/bkwnd.h"

class CBkContainerWnd : public CBkWindow {
public:
    bool IsContainer() const override { return true; }

    // The element with command id `id` in this subtree (children first, then deeper), or
    // nullptr.
    virtual CBkWindow* FindChildByCmdID(int id) = 0;
    // Places every child again, in list order.
    virtual void RepositionChilds() = 0;
    // Places one child from its position inside this container's inner rectangle.
    virtual void RepositionChild(CBkWindow* child) = 0;
};
