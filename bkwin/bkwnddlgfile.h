// A dialog whose children come from another XML resource, named by `src`. Tag "dlgfile".
#pragma once

#include "bkwin/bkdialog.h"

class CBkDialogFile : public CBkDialog {
public:
    const char* GetObjectClass() const override { return "dlgfile"; }
    // Reads the element's own attributes, then loads the children from the first top-level
    // element of resource `src` and its siblings. No `src` or a document that does not parse:
    // a diagnostic and failure; a missing resource: a diagnostic and no children.
    bool Load(const TiXmlElement* element) override;
};
