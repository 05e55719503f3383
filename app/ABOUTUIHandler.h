// The About page's handler: the page has no real windows; its two links switch the main tab
// control to the make page and to the read page.
#pragma once

#include "bkres/bkplatform.h"

class CTALVORINEXMainWnd;

class CABOUTUIHandler {
public:
    static constexpr int IDC_LINK_MAKE = 5241;
    static constexpr int IDC_LINK_READ = 5242;

    explicit CABOUTUIHandler(CTALVORINEXMainWnd* mainWnd) : m_pMainWnd(mainWnd) {}
    virtual ~CABOUTUIHandler() = default;

    // Nothing to create: the page is drawn by the skin alone.
    void Init() {}
    bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

private:
    CTALVORINEXMainWnd* m_pMainWnd = nullptr;
};
