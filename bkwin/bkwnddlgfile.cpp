#include "bkwin/bkwnddlgfile.h"

#include <cstdio>
#include <tinyxml.h>

#include "bkres/bkinterfacetext.h"
#include "bkres/bkresutil.h"
#include "bkres/bkvaluesyntax.h"

bool CBkDialogFile::Load(const TiXmlElement* element) {
    if (!CBkPanel::Load(element)) return false;
    const char* src = element->Attribute("src");
    if (!src || !*src) {
        std::fprintf(stderr, "!strSrc.IsEmpty()\n");
        return false;
    }
    std::string xml;
    const int id = BkParseInt(src);
    if (id <= 0 || !BkResUtil::LoadRawResource(static_cast<unsigned>(id), "xml", xml)) {
        std::fprintf(stderr, "bRet\n");
        return true;
    }
    TiXmlDocument doc;
    doc.Parse(xml.c_str(), nullptr, TIXML_ENCODING_UTF8);
    if (doc.Error()) {
        std::fprintf(stderr, "Failed parsing layout %d: %s\n", id, doc.ErrorDesc());
        return false;
    }
    BkInterfaceText::Translate(&doc);
    LoadChilds(doc.FirstChildElement());
    return true;
}
