// The process-wide style pool: styles by class name, read from the style document (root
// "style", one <class name=... /> per style). The empty name holds the default style.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "bkwin/bkstyle.h"

class BkStylePool {
public:
    // Empties the pool, adds the default style, then reads style document `resourceId`: each
    // `class` child with a `name` adds its attributes, in document order, to the style of
    // that name (a class given twice accumulates both). Fails, holding only the default
    // style, when the resource is missing or does not parse; another root loads nothing.
    static bool Load(unsigned resourceId);
    static bool LoadFromXml(const char* xml);

    // The style of that name, else the default style.
    static const BkStyle& GetStyle(const std::string& name);

    // Number of styles held, the default one included.
    static std::size_t Count();

private:
    static std::map<std::string, std::unique_ptr<BkStyle>>& Styles();
    static void Reset();
};
