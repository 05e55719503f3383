#include "bkwin/bkobject.h"

#include <tinyxml.h>

bool CBkObject::Load(const TiXmlElement* element) {
    if (!element) return true;
    for (const TiXmlAttribute* a = element->FirstAttribute(); a; a = a->Next()) {
        SetAttribute(a->NameTStr(), a->ValueStr(), true);
    }
    return true;
}

bool CBkObject::SetAttribute(const std::string&, const std::string&, bool) { return false; }
