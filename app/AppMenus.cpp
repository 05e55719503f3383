#include "app/AppMenus.h"

#include <span>

#include "app/MainWnd.h"
#include "platform/translation.h"

namespace AppMenus {
namespace {

struct MenuItem {
    platform::UINT command;  // 0 for a separator
    const char16_t* text;
};

struct MenuResource {
    unsigned id;
    std::span<const MenuItem> items;
};

constexpr MenuItem kMainMenuItems[] = {
    {CTALVORINEXMainWnd::ID_MENU_ABOUT, u"关于"},
};
constexpr MenuItem kTrayMenuItems[] = {
    {CTALVORINEXMainWnd::ID_TRAY_RESTORE, u"恢复窗口"},
    {CTALVORINEXMainWnd::ID_SCAN_SCREEN, u"扫描屏幕"},
    {0, u""},
    {CTALVORINEXMainWnd::ID_TRAY_EXIT, u"退出"},
};
constexpr MenuItem kMakePreviewMenuItems[] = {
    {CTALVORINEXMainWnd::ID_COPY_IMAGE, u"复制图片"},
};
constexpr MenuItem kReadPreviewMenuItems[] = {
    {CTALVORINEXMainWnd::ID_PASTE, u"粘贴图片"},
    {CTALVORINEXMainWnd::ID_SCAN_REGION, u"框选屏幕区域"},
};
constexpr MenuResource kMenus[] = {
    {kMainMenu, kMainMenuItems},
    {kTrayMenu, kTrayMenuItems},
    {kMakePreviewMenu, kMakePreviewMenuItems},
    {kReadPreviewMenu, kReadPreviewMenuItems},
};

}  // namespace

platform::HMENU LoadMenu(unsigned id) {
    for (const MenuResource& resource : kMenus) {
        if (resource.id != id) continue;
        platform::HMENU popup = platform::CreatePopupMenu();
        for (const MenuItem& item : resource.items) {
            if (item.command == 0) {
                platform::AppendMenu(popup, platform::MF_SEPARATOR, 0, u"");
            } else {
                platform::AppendMenu(popup, platform::MF_STRING, item.command, platform::Tr(item.text));
            }
        }
        platform::HMENU menu = platform::CreatePopupMenu();
        platform::AppendMenu(menu, platform::MF_POPUP, reinterpret_cast<platform::UINT_PTR>(popup), u"");
        return menu;
    }
    return nullptr;
}

platform::UINT TrackContextMenu(unsigned id, platform::LPARAM at, platform::HWND owner) {
    platform::HMENU menu = LoadMenu(id);
    if (!menu) return 0;
    const int chosen = platform::TrackPopupMenu(platform::GetSubMenu(menu, 0),
                                                platform::TPM_RETURNCMD | platform::TPM_RIGHTBUTTON,
                                                platform::GET_X_LPARAM(at), platform::GET_Y_LPARAM(at), owner);
    platform::DestroyMenu(menu);
    return static_cast<platform::UINT>(chosen);
}

}  // namespace AppMenus
