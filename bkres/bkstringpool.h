// The process-wide string pool: interface texts by integer id, read from the string document
// (root "string", one <s id=N>text</s> per entry).
#pragma once

#include <map>
#include <string>

class BkString {
public:
    // Reads string document `resourceId` and adds or replaces one entry per `s` element that
    // has an `id`. Fails when the resource is missing, does not parse or its root is not
    // "string"; entries loaded before stay.
    static bool Load(unsigned resourceId);

    // Same, from document text (UTF-8) already in memory.
    static bool LoadFromXml(const char* xml);

    // The string of that id, or nullptr after reporting "Failed loading string <id>".
    static const std::u16string* Get(unsigned id);

    // Empties the pool.
    static void Clear();

private:
    static std::map<unsigned, std::u16string>& Strings();
};
