#include "bkwin/bkskinpool.h"

#include <cstdio>
#include <tinyxml.h>

#include "bkres/bkresutil.h"
#include "bkwin/bkimage.h"
#include "bkwin/bkpngskin.h"
#include "bkwin/bkskinbutton.h"
#include "bkwin/bkskingradation.h"
#include "bkwin/bkskinimgframe.h"
#include "bkwin/bkskinimghorzextend.h"

std::map<std::string, std::unique_ptr<CBkSkinBase>>& BkSkinPool::Skins() {
    static std::map<std::string, std::unique_ptr<CBkSkinBase>> skins;
    return skins;
}

std::unique_ptr<CBkSkinBase> BkSkinPool::CreateSkin(const std::string& tag) {
    if (tag == "imglst") return std::make_unique<CBkImageSkin>();
    if (tag == "imgframe") return std::make_unique<CBkSkinImgFrame>();
    if (tag == "button") return std::make_unique<CBkSkinButton>();
    if (tag == "imghorzex") return std::make_unique<CBkSkinImgHorzExtend>();
    if (tag == "gradation") return std::make_unique<CBkSkinGradation>();
    if (tag == "png") return std::make_unique<CBkPngSkin>();
    return nullptr;
}

bool BkSkinPool::Load(unsigned resourceId) {
    Skins().clear();
    std::string xml;
    if (!BkResUtil::LoadRawResource(resourceId, "xml", xml)) return false;
    return LoadFromXml(xml.c_str());
}

bool BkSkinPool::LoadFromXml(const char* xml) {
    auto& skins = Skins();
    skins.clear();
    TiXmlDocument doc;
    doc.Parse(xml, nullptr, TIXML_ENCODING_UTF8);
    if (doc.Error()) {
        std::fprintf(stderr, "Failed parsing skin document: %s\n", doc.ErrorDesc());
        return false;
    }
    const TiXmlElement* root = doc.RootElement();
    if (!root || root->ValueStr() != "skins") return false;  // a document of another kind
    for (const TiXmlElement* e = root->FirstChildElement(); e; e = e->NextSiblingElement()) {
        const char* name = e->Attribute("name");
        if (!name) continue;
        std::unique_ptr<CBkSkinBase> skin = CreateSkin(e->ValueStr());
        if (!skin) continue;
        skin->Load(e);
        skins[name] = std::move(skin);
    }
    return true;
}

CBkSkinBase* BkSkinPool::GetSkin(const std::string& name) {
    auto& skins = Skins();
    auto it = skins.find(name);
    return it == skins.end() ? nullptr : it->second.get();
}

std::size_t BkSkinPool::Count() { return Skins().size(); }
