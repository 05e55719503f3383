// A panel that places its children by their `pos` inside its inner rectangle (its rectangle
// shrunk by its margins), every time its own position changes. Tag "dlg".
#pragma once

#include "bkwin/bkpanel.h"

class CBkDialog : public CBkPanel {
public:
    const char* GetObjectClass() const override { return "dlg"; }
    bool Load(const TiXmlElement* element) override;

    void RepositionChilds() override;
    void RepositionChild(CBkWindow* child) override;

    // The rectangle children are placed in.
    RECT GetInnerRect() const;

protected:
    void OnWindowPosChanged(const BkWindowPos& pos) override;
};
