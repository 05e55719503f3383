#include "bkres/bkinterfacetext.h"

#include <tinyxml.h>

#include "platform/translation.h"

namespace {

// The attributes that hold text a user sees.
constexpr const char* kTextAttributes[] = {"title", "tip"};

}  // namespace

void BkInterfaceText::Walk(TiXmlNode* node, const std::function<std::string(const std::string&)>& map) {
    for (TiXmlNode* child = node->FirstChild(); child; child = child->NextSibling()) {
        if (TiXmlText* text = child->ToText()) {
            const std::string mapped = map(text->ValueStr());
            if (mapped != text->ValueStr()) text->SetValue(mapped);
        } else if (TiXmlElement* element = child->ToElement()) {
            for (const char* name : kTextAttributes) {
                const std::string* value = element->Attribute(std::string(name));
                if (!value) continue;
                const std::string mapped = map(*value);
                if (mapped != *value) element->SetAttribute(name, mapped);
            }
            Walk(element, map);
        }
    }
}

void BkInterfaceText::Translate(TiXmlNode* root) {
    if (root) Walk(root, [](const std::string& text) { return platform::TrUtf8(text); });
}

void BkInterfaceText::ForEach(const TiXmlNode* root, const std::function<void(const std::string&)>& visit) {
    if (!root) return;
    // The walk changes nothing when every text maps to itself.
    Walk(const_cast<TiXmlNode*>(root), [&visit](const std::string& text) {
        visit(text);
        return text;
    });
}
