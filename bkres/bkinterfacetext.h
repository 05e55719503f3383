// The texts of the skin's XML documents that a user sees: every text node (labels, buttons,
// strings of the string table, rich text between its markup) and the `title` (windows, tabs)
// and `tip` (tooltips) attributes. They are written in Chinese and go through the interface
// language's catalogue (platform/translation.h) as the documents are loaded.
#pragma once

#include <functional>
#include <string>

class TiXmlNode;

class BkInterfaceText {
public:
    // Replaces every interface text under `root` by its translation.
    static void Translate(TiXmlNode* root);
    // Calls `visit` with every interface text under `root` (UTF-8), in document order.
    static void ForEach(const TiXmlNode* root, const std::function<void(const std::string&)>& visit);

private:
    static void Walk(TiXmlNode* node, const std::function<std::string(const std::string&)>& map);
};
