// The main window: an 800 x 600 skinned window from layer 103 (header 501, footer 502, a tab body
// with the make page 521, the read page 522 and the About page 524). It owns the four page
// handlers, the tray icon and the process-wide pointer through which the handlers reach it.
//
// Every message passes, in this order, until one part handles it:
//   1. click notifications from the host (id 1000) for the header buttons 60001-60003;
//   2. the dialog framework's own handling (CBkDialogImpl);
//   3. WM_TIMER: the tray icon's retries on timer 1003 (never ends the routing);
//   4. the handlers: general, make page, read page, About page;
//   5. WM_INITDIALOG: window initialisation;
//   6. WM_SYSCOMMAND SC_CLOSE: ending the program;
//   7. the paste key that no page took (no picture to read): the focused field pastes its text.
//
// Keys (accelerators, taken before the focused field sees them): Ctrl+Enter generates, Ctrl+S
// saves and Ctrl+Shift+C copies the symbol as a picture while the make page is shown; Ctrl+O
// opens a picture and Ctrl+V pastes one on the read page. Pictures dropped anywhere on the
// window are read on the read page.
//
// The handler contract: each handler is constructed with this window's pointer, gets Init()
// during window initialisation (make, read, About page in that order; the general handler has
// no page) and is offered messages through
//   bool ProcessWindowMessage(HWND, UINT, WPARAM, LPARAM, LRESULT& result)
// returning true when it handled the message.
#pragma once

#include <memory>

#include "bkwin/bkdialogimpl.h"
#include "bkwin/whroundrectframehelper.h"
#include "platform/shell.h"

class CUIHandler;
class CQRENCODEUIHandler;
class CQRDECODEUIHandler;
class CABOUTUIHandler;

class CTALVORINEXMainWnd : public CBkDialogImpl, public CWHRoundRectFrameHelper {
public:
    static constexpr UINT kLayer = 103;

    // Element and control ids the shell uses.
    static constexpr int IDC_CLOSE = 60001;
    static constexpr int IDC_MENU = 60002;
    static constexpr int IDC_MINIMIZE = 60003;
    static constexpr int IDC_MAIN_TAB = 10101;
    static constexpr int IDC_FOOTER_TEXT = 10150;
    static constexpr int IDC_TEMPLATE_TAB = 2000;

    // Pages of the main tab control.
    static constexpr int kMakePage = 0;
    static constexpr int kReadPage = 1;
    static constexpr int kAboutPage = 2;

    // The one timer on this window: the retries of a tray icon that could not be added at once
    // (100 ms, stopped after a few). Nothing else runs on a clock: at rest the program sleeps.
    static constexpr UINT_PTR kTimerTrayRetry = 1003;

    // The tray icon's id and callback message (WM_USER + 1000).
    static constexpr UINT kTrayIconId = 1;
    static constexpr UINT kTrayMessage = WM_USER + 1000;
    // Posted when a tray host appears later (a panel started after the program).
    static constexpr UINT kTrayHostMessage = WM_USER + 1001;

    // Menu commands (menus 201 and 202).
    static constexpr UINT ID_TRAY_EXIT = 0x8006;
    static constexpr UINT ID_TRAY_RESTORE = 0x8007;
    static constexpr UINT ID_MENU_ABOUT = 0x8009;
    // Commands of the keys above and of the previews' menus.
    static constexpr UINT ID_GENERATE = 0x8010;
    static constexpr UINT ID_SAVE = 0x8011;
    static constexpr UINT ID_OPEN = 0x8012;
    static constexpr UINT ID_PASTE = 0x8013;
    static constexpr UINT ID_COPY_IMAGE = 0x8014;
    // 扫描屏幕 (tray menu, merovask --scan-screen) and the region mode (read preview's menu).
    static constexpr UINT ID_SCAN_SCREEN = 0x8015;
    static constexpr UINT ID_SCAN_REGION = 0x8016;

    // Creates the handlers in the order general, make page, read page, About page and makes
    // this the process-wide main window.
    CTALVORINEXMainWnd();
    ~CTALVORINEXMainWnd() override;

    // The main window alive now, or null.
    static CTALVORINEXMainWnd* Instance();

    // The skinned host (control id 1000): the parent of every real control of the pages.
    HWND GetViewHWnd() const { return m_richView.GetHWnd(); }

    // Places a page's real window on the element with its control id at once: windows made
    // during initialisation would otherwise wait for the element's next move.
    void PlaceRealWindow(HWND window);

    // The page of the main tab control on show (kMakePage ...), -1 without one.
    int CurrentPage();
    bool ShowPage(int page) { return SetTabCurSel(IDC_MAIN_TAB, page); }
    // Restored when minimised, shown, raised and activated (恢复窗口, a second start).
    void BringToFront();
    // The read page reads the screen (扫描屏幕): the window steps aside for the grab and comes
    // back on that page with the result.
    void ScanScreen();
    // Reads the screen as soon as the window is up (merovask --scan-screen on a first start).
    void ScanScreenOnShow() { m_bScanScreenOnShow = true; }

    CUIHandler& GeneralHandler() { return *m_pUIHandler; }
    CQRENCODEUIHandler& EncodeHandler() { return *m_pEncodeHandler; }
    CQRDECODEUIHandler& DecodeHandler() { return *m_pDecodeHandler; }
    CABOUTUIHandler& AboutHandler() { return *m_pAboutHandler; }

    // One attempt to add the tray icon; false when there is no tray (yet). Window initialisation
    // makes up to four attempts 100 ms apart, the later ones on timer 1003 so that the window
    // shows at once; a tray host that appears later gets four more.
    bool AddTrayIcon();
    void RemoveTrayIcon();
    bool IsTrayIconShown() const { return m_nid.hWnd != nullptr; }
    const platform::NOTIFYICONDATA& TrayIcon() const { return m_nid; }

    // Removes the tray icon and ends the modal loop with 2 (close button, tray exit, Alt+F4).
    void EndProgram();


protected:
    bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    bool OnHeaderClick(int itemId);
    void OnInitDialog(HWND hwnd);
    void OnTrayRetryTimer();
    void TryTrayIcon();
    bool OfferToHandlers(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    void ShowMainMenu();

    std::unique_ptr<CUIHandler> m_pUIHandler;
    std::unique_ptr<CQRENCODEUIHandler> m_pEncodeHandler;
    std::unique_ptr<CQRDECODEUIHandler> m_pDecodeHandler;
    std::unique_ptr<CABOUTUIHandler> m_pAboutHandler;
    platform::NOTIFYICONDATA m_nid;  // all empty while no icon is shown
    HICON m_hIconBig = nullptr;
    HICON m_hIconSmall = nullptr;
    HICON m_hIconTray = nullptr;
    int m_nTrayAttemptsLeft = 0;
    bool m_bScanScreenOnShow = false;
};
