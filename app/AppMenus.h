// The program's menu resources: 201, the main menu (one pop-up: "关于"), and 202, the tray menu
// (one pop-up: "恢复窗口", a separator, "退出").
#pragma once

#include "platform/shell.h"

namespace AppMenus {

inline constexpr unsigned kMainMenu = 201;
inline constexpr unsigned kTrayMenu = 202;

// A menu bar-like menu whose first item is the pop-up; null for an unknown id. The caller
// destroys it with DestroyMenu.
platform::HMENU LoadMenu(unsigned id);

}  // namespace AppMenus
