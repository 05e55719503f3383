// The general handler of the main window: the tray icon's clicks, the tray and main menu
// commands (restore, exit, About) and the main tab control's page changes.
#pragma once

#include "bkres/bkplatform.h"

class CBkSafeMsgBox;
class CTALVORINEXMainWnd;

class CUIHandler {
public:
    // The About dialog's layout and its version element.
    static constexpr UINT kAboutLayout = 510;
    static constexpr int kAboutVersionItem = 10517;
    static constexpr const char16_t* kVersionText = u"1.0.0.1";

    explicit CUIHandler(CTALVORINEXMainWnd* mainWnd) : m_pMainWnd(mainWnd) {}
    virtual ~CUIHandler() = default;

    bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

    // Shows the About dialog modally over the main window; returns the button that closed it.
    int ShowAbout();
    // "恢复窗口": the main window shown (restored when minimised), brought to the top and
    // activated.
    void RestoreWindow();
    // The About dialog while it is on show (null otherwise): for tests.
    CBkSafeMsgBox* AboutDialog() const { return m_pAbout; }

private:
    void OnTrayNotify(UINT mouseMessage);
    bool OnCommand(UINT command);

    CTALVORINEXMainWnd* m_pMainWnd = nullptr;
    CBkSafeMsgBox* m_pAbout = nullptr;
};
