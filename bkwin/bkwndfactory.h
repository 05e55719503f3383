// Creating elements by tag name. "dlg" and "dlgfile" are built in; controls register their
// tag once at start-up, e.g. BkWndFactory::Register<CBkStatic>("text").
#pragma once

#include <functional>
#include <memory>
#include <string>

class CBkWindow;

class BkWndFactory {
public:
    using Creator = std::function<std::unique_ptr<CBkWindow>()>;

    // A new element for `tag`, or nullptr for an unknown tag.
    static std::unique_ptr<CBkWindow> CreateElementByName(const std::string& tag);

    // Adds or replaces the creator of `tag`.
    static void Register(const std::string& tag, Creator creator);
    template <class T>
    static void Register(const std::string& tag) {
        Register(tag, [] { return std::unique_ptr<CBkWindow>(new T); });
    }
    static bool IsRegistered(const std::string& tag);
};
