#include "bkres/bkstringpool.h"

#include <cstdio>
#include <tinyxml.h>

#include "bkres/bkinterfacetext.h"
#include "bkres/bkresutil.h"
#include "platform/text.h"

std::map<unsigned, std::u16string>& BkString::Strings() {
    static std::map<unsigned, std::u16string> strings;
    return strings;
}

bool BkString::Load(unsigned resourceId) {
    std::string xml;
    if (!BkResUtil::LoadRawResource(resourceId, "xml", xml)) return false;
    return LoadFromXml(xml.c_str());
}

bool BkString::LoadFromXml(const char* xml) {
    TiXmlDocument doc;
    doc.Parse(xml, nullptr, TIXML_ENCODING_UTF8);
    if (doc.Error()) {
        std::fprintf(stderr, "Failed parsing string document: %s\n", doc.ErrorDesc());
        return false;
    }
    const TiXmlElement* root = doc.RootElement();
    if (!root || root->ValueStr() != "string") return false;
    BkInterfaceText::Translate(&doc);
    auto& strings = Strings();
    for (const TiXmlElement* s = root->FirstChildElement("s"); s; s = s->NextSiblingElement("s")) {
        int id = 0;
        if (s->QueryIntAttribute("id", &id) != TIXML_SUCCESS) continue;
        const char* text = s->GetText();
        strings[static_cast<unsigned>(id)] = platform::utf8ToUtf16(text ? text : "");
    }
    return true;
}

const std::u16string* BkString::Get(unsigned id) {
    auto& strings = Strings();
    auto it = strings.find(id);
    if (it == strings.end()) {
        std::fprintf(stderr, "Failed loading string %u\n", id);
        return nullptr;
    }
    return &it->second;
}

void BkString::Clear() { Strings().clear(); }
