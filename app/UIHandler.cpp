#include "app/UIHandler.h"

#include "app/AppMenus.h"
#include "app/MainWnd.h"
#include "app/UIMsgBox.h"
#include "bkwin/bknotify.h"

bool CUIHandler::ProcessWindowMessage(HWND, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
    case CTALVORINEXMainWnd::kTrayMessage:
        if (wParam != CTALVORINEXMainWnd::kTrayIconId) return false;
        OnTrayNotify(static_cast<UINT>(lParam));
        result = 0;
        return true;
    case WM_COMMAND:
        if (!OnCommand(LOWORD(wParam))) return false;
        result = 0;
        return true;
    case WM_NOTIFY: {
        const auto* hdr = reinterpret_cast<const NMHDR*>(lParam);
        if (!hdr || hdr->idFrom != IDC_RICHVIEW_WIN || hdr->code != BKNM_TAB_SELCHANGE) return false;
        // The main tab control may always change its page.
        if (reinterpret_cast<const BKNMTABSELCHANGE*>(lParam)->uTabID != CTALVORINEXMainWnd::IDC_MAIN_TAB) return false;
        result = 0;
        return true;
    }
    default:
        return false;
    }
}

void CUIHandler::OnTrayNotify(UINT mouseMessage) {
    HWND hwnd = m_pMainWnd->GetHWnd();
    if (mouseMessage == WM_LBUTTONDBLCLK) {
        SetForegroundWindow(hwnd);
        ShowWindow(hwnd, SW_SHOWNORMAL);
        ShowWindow(hwnd, SW_SHOW);
        BringWindowToTop(hwnd);
    } else if (mouseMessage == WM_RBUTTONUP) {
        SetForegroundWindow(hwnd);
        HMENU menu = AppMenus::LoadMenu(AppMenus::kTrayMenu);
        if (!menu) return;
        POINT at{};
        GetCursorPos(&at);
        TrackPopupMenu(GetSubMenu(menu, 0), TPM_RIGHTBUTTON, at.x, at.y, hwnd);
        DestroyMenu(menu);
    }
}

bool CUIHandler::OnCommand(UINT command) {
    switch (command) {
    case CTALVORINEXMainWnd::ID_TRAY_EXIT:
        m_pMainWnd->EndProgram();
        return true;
    case CTALVORINEXMainWnd::ID_TRAY_RESTORE:
        RestoreWindow();
        return true;
    case CTALVORINEXMainWnd::ID_MENU_ABOUT:
        ShowAbout();
        return true;
    default:
        return false;
    }
}

void CUIHandler::RestoreWindow() {
    HWND hwnd = m_pMainWnd->GetHWnd();
    // A minimised window is brought back as well: "restore" from the tray must show it.
    ShowWindow(hwnd, IsIconic(hwnd) ? SW_RESTORE : SW_SHOW);
    BringWindowToTop(hwnd);
}

int CUIHandler::ShowAbout() {
    CBkSafeMsgBox about;
    about.SetLayout(kAboutLayout);
    about.QueueItemText(kAboutVersionItem, kVersionText);
    m_pAbout = &about;
    const int button = about.Show(u"", u"", 0, nullptr, m_pMainWnd->GetHWnd());
    m_pAbout = nullptr;
    return button;
}
