// Base of every object read from a skin document: styles, skins and elements. Each class
// takes the attributes it knows and offers the rest to its base class first.
#pragma once

#include <string>
#include <string_view>

class TiXmlElement;

class CBkObject {
public:
    virtual ~CBkObject() = default;

    // True if `name` is this object's tag name.
    virtual bool IsClass(std::string_view name) const { return name == GetObjectClass(); }

    // The tag name ("style" for styles, the document tag for skins and elements).
    virtual const char* GetObjectClass() const = 0;

    // Applies every attribute of `element` in document order through SetAttribute with
    // loading = true. Returns true.
    virtual bool Load(const TiXmlElement* element);

    // Takes one attribute (name and value as UTF-8). Returns false when the name is unknown;
    // the loaders ignore that.
    virtual bool SetAttribute(const std::string& name, const std::string& value, bool loading);
};
