// The program's menu resources: 201, the main menu (one pop-up: "关于"), 202, the tray menu
// (one pop-up: "恢复窗口", "扫描屏幕", a separator, "退出"), and the previews' right-click
// menus: 203 on the make page's ("复制图片") and 204 on the read page's ("粘贴图片",
// "框选屏幕区域").
#pragma once

#include "platform/shell.h"

namespace AppMenus {

inline constexpr unsigned kMainMenu = 201;
inline constexpr unsigned kTrayMenu = 202;
inline constexpr unsigned kMakePreviewMenu = 203;
inline constexpr unsigned kReadPreviewMenu = 204;

// Shows the first pop-up of menu `id` at the screen point packed in a WM_CONTEXTMENU's lParam
// and returns the chosen command, 0 when dismissed.
platform::UINT TrackContextMenu(unsigned id, platform::LPARAM at, platform::HWND owner);

// A menu bar-like menu whose first item is the pop-up; null for an unknown id. The caller
// destroys it with DestroyMenu.
platform::HMENU LoadMenu(unsigned id);

}  // namespace AppMenus
