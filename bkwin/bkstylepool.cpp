#include "bkwin/bkstylepool.h"

#include <cstdio>
#include <tinyxml.h>

#include "bkres/bkresutil.h"

std::map<std::string, std::unique_ptr<BkStyle>>& BkStylePool::Styles() {
    static std::map<std::string, std::unique_ptr<BkStyle>> styles;
    return styles;
}

void BkStylePool::Reset() {
    auto& styles = Styles();
    styles.clear();
    styles.emplace(std::string(), std::make_unique<BkStyle>());
}

bool BkStylePool::Load(unsigned resourceId) {
    std::string xml;
    if (!BkResUtil::LoadRawResource(resourceId, "xml", xml)) {
        Reset();
        return false;
    }
    return LoadFromXml(xml.c_str());
}

bool BkStylePool::LoadFromXml(const char* xml) {
    Reset();
    TiXmlDocument doc;
    doc.Parse(xml, nullptr, TIXML_ENCODING_UTF8);
    if (doc.Error()) {
        std::fprintf(stderr, "Failed parsing style document: %s\n", doc.ErrorDesc());
        return false;
    }
    const TiXmlElement* root = doc.RootElement();
    if (!root || root->ValueStr() != "style") return false;  // a document of another kind is not a style sheet
    auto& styles = Styles();
    for (const TiXmlElement* c = root->FirstChildElement("class"); c; c = c->NextSiblingElement("class")) {
        const char* name = c->Attribute("name");
        if (!name) continue;
        auto& style = styles[name];
        if (!style) style = std::make_unique<BkStyle>();
        style->Load(c);
    }
    return true;
}

const BkStyle& BkStylePool::GetStyle(const std::string& name) {
    auto& styles = Styles();
    if (styles.empty()) Reset();
    auto it = styles.find(name);
    if (it == styles.end()) it = styles.find(std::string());
    return *it->second;
}

std::size_t BkStylePool::Count() { return Styles().size(); }
