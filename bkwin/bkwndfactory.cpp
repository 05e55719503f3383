#include "bkwin/bkwndfactory.h"

#include <map>

#include "bkwin/bkdialog.h"
#include "bkwin/bkwnddlgfile.h"

namespace {

std::map<std::string, BkWndFactory::Creator>& Creators() {
    static std::map<std::string, BkWndFactory::Creator> creators = {
        {"dlg", [] { return std::unique_ptr<CBkWindow>(new CBkDialog); }},
        {"dlgfile", [] { return std::unique_ptr<CBkWindow>(new CBkDialogFile); }},
    };
    return creators;
}

}  // namespace

std::unique_ptr<CBkWindow> BkWndFactory::CreateElementByName(const std::string& tag) {
    auto& creators = Creators();
    auto it = creators.find(tag);
    return it == creators.end() ? nullptr : it->second();
}

void BkWndFactory::Register(const std::string& tag, Creator creator) { Creators()[tag] = std::move(creator); }

bool BkWndFactory::IsRegistered(const std::string& tag) { return Creators().count(tag) != 0; }
