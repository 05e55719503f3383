#include "app/UIHandler.h"

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
    // A double click, or the single activation of trays that send no double clicks. The tray
    // shows its menu itself (the icon carries it).
    if (mouseMessage != WM_LBUTTONDBLCLK && mouseMessage != WM_LBUTTONUP) return;
    HWND hwnd = m_pMainWnd->GetHWnd();
    SetForegroundWindow(hwnd);
    ShowWindow(hwnd, SW_SHOWNORMAL);
    ShowWindow(hwnd, SW_SHOW);
    BringWindowToTop(hwnd);
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
    case CTALVORINEXMainWnd::ID_SCAN_SCREEN:
        m_pMainWnd->ScanScreen();
        return true;
    default:
        return false;
    }
}

void CUIHandler::RestoreWindow() {
    // A minimised window is brought back as well: "restore" from the tray must show it.
    m_pMainWnd->BringToFront();
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
