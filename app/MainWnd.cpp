#include "app/MainWnd.h"

#include "app/ABOUTUIHandler.h"
#include "app/AppMenus.h"
#include "app/QRDECODEUIHandler.h"
#include "app/QRENCODEUIHandler.h"
#include "app/TALVORINEXModule.h"
#include "app/UIHandler.h"
#include "bkres/bkresutil.h"
#include "bkres/bkstringpool.h"
#include "bkwin/bknotify.h"
#include "bkwin/bkrealwnd.h"
#include "bkwin/bktabctrl.h"

namespace {

CTALVORINEXMainWnd* g_pMainWnd = nullptr;

constexpr unsigned kIconLarge = 100;
constexpr unsigned kIconSmall = 101;
constexpr unsigned kIconTray = 100;
constexpr int kTrayAttempts = 4;
constexpr UINT kTrayRetryPeriodMs = 100;

// The make page's template tab control starts on the text tab.
constexpr int kTextTab = 8;

constexpr platform::ACCEL kAccelerators[] = {
    {platform::FVIRTKEY | platform::FCONTROL, static_cast<WORD>(VK_RETURN), CTALVORINEXMainWnd::ID_GENERATE},
    {platform::FVIRTKEY | platform::FCONTROL, 'S', CTALVORINEXMainWnd::ID_SAVE},
    {platform::FVIRTKEY | platform::FCONTROL, 'O', CTALVORINEXMainWnd::ID_OPEN},
    {platform::FVIRTKEY | platform::FCONTROL, 'V', CTALVORINEXMainWnd::ID_PASTE},
    {platform::FVIRTKEY | platform::FCONTROL | platform::FSHIFT, 'C', CTALVORINEXMainWnd::ID_COPY_IMAGE},
};

// The main menu opens under the menu button: 108 pixels left of the right edge, 22 below the top.
constexpr int kMenuOffsetFromRight = 108;
constexpr int kMenuOffsetFromTop = 22;

std::u16string ProductName() {
    const std::u16string* name = BkString::Get(CTALVORINEXModule::kStrProductName);
    return name ? *name : std::u16string();
}

}  // namespace

CTALVORINEXMainWnd::CTALVORINEXMainWnd() : CBkDialogImpl(kLayer) {
    g_pMainWnd = this;
    m_pUIHandler = std::make_unique<CUIHandler>(this);
    m_pEncodeHandler = std::make_unique<CQRENCODEUIHandler>(this);
    m_pDecodeHandler = std::make_unique<CQRDECODEUIHandler>(this);
    m_pAboutHandler = std::make_unique<CABOUTUIHandler>(this);
}

CTALVORINEXMainWnd::~CTALVORINEXMainWnd() {
    platform::WatchTrayHost(nullptr, 0);
    RemoveTrayIcon();
    // The window goes before the handlers that own its child windows' resources.
    if (m_hWnd && IsWindow(m_hWnd)) DestroyWindow(m_hWnd);
    m_pUIHandler.reset();
    m_pEncodeHandler.reset();
    m_pDecodeHandler.reset();
    m_pAboutHandler.reset();
    DestroyIcon(m_hIconBig);
    DestroyIcon(m_hIconSmall);
    DestroyIcon(m_hIconTray);
    if (g_pMainWnd == this) g_pMainWnd = nullptr;
}

CTALVORINEXMainWnd* CTALVORINEXMainWnd::Instance() { return g_pMainWnd; }

bool CTALVORINEXMainWnd::ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    ProcessRoundRectMessage(hwnd, msg, wParam, lParam);

    if (msg == WM_NOTIFY) {
        const auto* hdr = reinterpret_cast<const NMHDR*>(lParam);
        if (hdr && hdr->idFrom == IDC_RICHVIEW_WIN && hdr->code == BKNM_COMMAND &&
            OnHeaderClick(reinterpret_cast<const BKNMCOMMAND*>(lParam)->uItemID)) {
            result = 0;
            return true;
        }
    }
    if (CBkDialogImpl::ProcessWindowMessage(hwnd, msg, wParam, lParam, result)) return true;
    if (msg == WM_TIMER && wParam == kTimerTrayRetry) OnTrayRetryTimer();
    if (msg == kTrayHostMessage) {
        TryTrayIcon();
        result = 0;
        return true;
    }
    if (OfferToHandlers(hwnd, msg, wParam, lParam, result)) return true;
    if (msg == WM_INITDIALOG) {
        OnInitDialog(hwnd);
        result = 1;
        return true;
    }
    if (msg == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_CLOSE) {
        EndProgram();
        result = 0;
        return true;
    }
    if (msg == WM_COMMAND && LOWORD(wParam) == ID_PASTE) {
        SendMessage(GetFocus(), WM_PASTE);
        result = 0;
        return true;
    }
    return false;
}

int CTALVORINEXMainWnd::CurrentPage() {
    CBkWindow* element = GetItem(IDC_MAIN_TAB);
    if (!element || !element->IsClass("tabctrl")) return -1;
    return static_cast<const CBkTabCtrl*>(element)->GetCurSel();
}

void CTALVORINEXMainWnd::BringToFront() {
    ShowWindow(m_hWnd, IsIconic(m_hWnd) ? SW_RESTORE : SW_SHOW);
    BringWindowToTop(m_hWnd);
    SetForegroundWindow(m_hWnd);
}

void CTALVORINEXMainWnd::ScanScreen() {
    ShowPage(kReadPage);
    m_pDecodeHandler->ScanScreen();
}

bool CTALVORINEXMainWnd::OfferToHandlers(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    return m_pUIHandler->ProcessWindowMessage(hwnd, msg, wParam, lParam, result) ||
           m_pEncodeHandler->ProcessWindowMessage(hwnd, msg, wParam, lParam, result) ||
           m_pDecodeHandler->ProcessWindowMessage(hwnd, msg, wParam, lParam, result) ||
           m_pAboutHandler->ProcessWindowMessage(hwnd, msg, wParam, lParam, result);
}

bool CTALVORINEXMainWnd::OnHeaderClick(int itemId) {
    switch (itemId) {
    case IDC_CLOSE:
        EndProgram();
        return true;
    case IDC_MENU:
        ShowMainMenu();
        return true;
    case IDC_MINIMIZE:
        ShowWindow(m_hWnd, SW_SHOWMINIMIZED);
        return true;
    default:
        return false;
    }
}

void CTALVORINEXMainWnd::ShowMainMenu() {
    HMENU menu = AppMenus::LoadMenu(AppMenus::kMainMenu);
    if (!menu) return;
    RECT client{};
    GetClientRect(m_hWnd, &client);
    POINT at{client.right - kMenuOffsetFromRight, client.top + kMenuOffsetFromTop};
    ClientToScreen(m_hWnd, &at);
    // The chosen command comes back as WM_COMMAND.
    TrackPopupMenu(GetSubMenu(menu, 0), TPM_LEFTALIGN, at.x, at.y, m_hWnd);
    DestroyMenu(menu);
}

void CTALVORINEXMainWnd::OnInitDialog(HWND hwnd) {
    if (!m_hIconBig) m_hIconBig = BkResUtil::LoadIconResource(kIconLarge);
    if (!m_hIconSmall) m_hIconSmall = BkResUtil::LoadIconResource(kIconSmall);
    SetWindowIcon(hwnd, m_hIconBig, ICON_BIG);
    SetWindowIcon(hwnd, m_hIconSmall, ICON_SMALL);
    // The layer's title is empty; the taskbar and window switchers show the product name.
    SetWindowText(hwnd, ProductName());

    m_nid = platform::NOTIFYICONDATA{};

    m_pEncodeHandler->Init();
    m_pDecodeHandler->Init();
    m_pAboutHandler->Init();

    TryTrayIcon();
    platform::WatchTrayHost(hwnd, kTrayHostMessage);

    SetTabCurSel(IDC_TEMPLATE_TAB, kTextTab);

    // Tab moves through the page on show in reading order: its field, then the settings and
    // buttons on the right (what is hidden, such as the other pages and tabs, is passed over).
    m_richView.SetTabOrder({2111, 2210, 2310, 2410, 2510, 2610, 2710, 2810, 2910, 2121, 2131, 2141, 2181, 2151, 2161,
                            3111, 3121, 3131, 3151, 3171, 3161, 3176});

    platform::SetWindowAccelerators(hwnd, {std::begin(kAccelerators), std::end(kAccelerators)});
    platform::DragAcceptFiles(hwnd, true);
    if (m_bScanScreenOnShow) PostMessage(hwnd, WM_COMMAND, ID_SCAN_SCREEN, 0);
}

bool CTALVORINEXMainWnd::AddTrayIcon() {
    if (IsTrayIconShown()) return true;
    if (!m_hIconTray) m_hIconTray = BkResUtil::LoadIconResource(kIconTray, GetSystemMetrics(SM_CXSMICON));
    platform::NOTIFYICONDATA nid;
    nid.hWnd = m_hWnd;
    nid.uID = kTrayIconId;
    nid.uFlags = platform::NIF_MESSAGE | platform::NIF_ICON | platform::NIF_TIP;
    nid.uCallbackMessage = kTrayMessage;
    nid.hIcon = m_hIconTray;
    nid.szTip = ProductName();
    // The tray shows the tray menu itself, where the desktop wants it.
    if (HMENU menu = AppMenus::LoadMenu(AppMenus::kTrayMenu)) {
        nid.menu = platform::GetMenuItems(GetSubMenu(menu, 0));
        nid.uFlags |= platform::NIF_MENU;
        DestroyMenu(menu);
    }
    if (!platform::Shell_NotifyIcon(platform::NIM_ADD, &nid)) return false;
    m_nid = nid;
    return true;
}

void CTALVORINEXMainWnd::TryTrayIcon() {
    if (AddTrayIcon()) return;
    // The tray may take its place a moment after it says it is there.
    m_nTrayAttemptsLeft = kTrayAttempts - 1;
    SetTimer(m_hWnd, kTimerTrayRetry, kTrayRetryPeriodMs);
}

void CTALVORINEXMainWnd::OnTrayRetryTimer() {
    // Without a tray after the last attempt, everything stays reachable from the window itself.
    if (AddTrayIcon() || --m_nTrayAttemptsLeft <= 0) KillTimer(m_hWnd, kTimerTrayRetry);
}

void CTALVORINEXMainWnd::RemoveTrayIcon() {
    if (IsTrayIconShown()) platform::Shell_NotifyIcon(platform::NIM_DELETE, &m_nid);
    m_nid = platform::NOTIFYICONDATA{};
}

void CTALVORINEXMainWnd::PlaceRealWindow(HWND window) {
    const int id = GetDlgCtrlID(window);
    CBkWindow* element = GetItem(id);
    if (!window || !element || IsRectEmpty(&element->GetRect())) return;
    CBkRealWnd::PlaceHostedWindow(GetViewHWnd(), static_cast<unsigned>(id), window, element->GetRect(), false);
}

void CTALVORINEXMainWnd::EndProgram() {
    RemoveTrayIcon();
    EndDialog(2);
}
