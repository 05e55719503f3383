// The process-wide skin pool: skins by name, read from the skin document (root "skins"; each
// child is one skin, its tag the kind, `name` its key).
#pragma once

#include <map>
#include <memory>
#include <string>

#include "bkwin/bkskin.h"

class BkSkinPool {
public:
    // Destroys every skin, then reads skin document `resourceId`. Unknown tags and elements
    // without `name` are skipped; a later skin of the same name replaces the earlier. Fails
    // (pool empty) when the resource is missing or does not parse, or its root is not "skins".
    static bool Load(unsigned resourceId);
    static bool LoadFromXml(const char* xml);

    // The skin of that name, or nullptr.
    static CBkSkinBase* GetSkin(const std::string& name);

    static std::size_t Count();

    // A new skin for a document tag (imglst, imgframe, button, imghorzex, gradation, png),
    // or nullptr.
    static std::unique_ptr<CBkSkinBase> CreateSkin(const std::string& tag);

private:
    static std::map<std::string, std::unique_ptr<CBkSkinBase>>& Skins();
};
