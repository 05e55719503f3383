#include "bkwin/bkdialogimpl.h"

#include <cstdio>
#include <cstdlib>

#include "bkwin/bkwinmanager.h"

CBkDialogImpl::CBkDialogImpl(UINT layerResourceId) : m_uResID(layerResourceId) {}

CBkDialogImpl::~CBkDialogImpl() {
    if (m_hWnd && IsWindow(m_hWnd)) DestroyWindow(m_hWnd);
}

bool CBkDialogImpl::Load(UINT layerResourceId) { return m_richView.Load(layerResourceId); }

bool CBkDialogImpl::SetXml(std::string_view xml) { return m_richView.SetXml(xml); }

HWND CBkDialogImpl::Create(HWND parent, const RECT* rect) {
    if (m_hWnd) return nullptr;
    if (!m_richView.IsLayerLoaded() && !m_richView.Load(m_uResID)) return nullptr;

    m_bHasRect = rect != nullptr;
    const RECT r = rect ? *rect : RECT{};
    HWND hwnd = CreateWindowEx(m_richView.GetDlgExStyle(), u"BkDialogImpl", m_richView.GetTitle(),
                               m_richView.GetDlgStyle(), r.left, r.top, RectWidth(r), RectHeight(r), parent, 0,
                               [this](HWND h, UINT msg, WPARAM w, LPARAM l) { return WindowProc(h, msg, w, l); });
    if (!hwnd) return nullptr;
    m_hWnd = hwnd;

    RECT client{};
    GetClientRect(hwnd, &client);
    if (!m_richView.Create(hwnd, &client)) {
        DestroyWindow(hwnd);
        return nullptr;
    }
    m_bShowWindow = true;
    SendMessage(hwnd, WM_INITDIALOG, reinterpret_cast<WPARAM>(hwnd), 0);
    if (!IsWindow(hwnd)) return nullptr;  // the window gave up during its initialisation

    m_richView.ShowAllRealWindows(true);
    if (m_richView.GetWidth() && m_richView.GetHeight()) {
        SetWindowPos(hwnd, nullptr, 0, 0, m_richView.GetWidth(), m_richView.GetHeight(),
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return hwnd;
}

void CBkDialogImpl::CenterOver(HWND parent) {
    RECT window{};
    GetWindowRect(m_hWnd, &window);
    MONITORINFO monitor;
    const bool haveMonitor = GetMonitorInfo(MonitorFromWindow(parent ? parent : m_hWnd, MONITOR_DEFAULTTONEAREST), &monitor);
    RECT area = haveMonitor ? monitor.rcWork : RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    RECT over = area;
    if (parent && parent != GetDesktopWindow() && IsWindowVisible(parent) && !IsIconic(parent)) GetWindowRect(parent, &over);

    int x = over.left + (RectWidth(over) - RectWidth(window)) / 2;
    int y = over.top + (RectHeight(over) - RectHeight(window)) / 2;
    // Keep the window on the work area.
    if (x + RectWidth(window) > area.right) x = area.right - RectWidth(window);
    if (y + RectHeight(window) > area.bottom) y = area.bottom - RectHeight(window);
    if (x < area.left) x = area.left;
    if (y < area.top) y = area.top;
    SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int CBkDialogImpl::DoModal(HWND parent) {
    if (!parent) parent = BkWinManager::GetActive();
    if (!parent) parent = GetActiveWindow();
    if (parent && !IsWindow(parent)) parent = nullptr;  // a window that has gone owns nothing
    bool parentDisabled = false;
    if (parent && parent != GetDesktopWindow() && IsWindowEnabled(parent)) {
        EnableWindow(parent, false);
        parentDisabled = true;
    }

    m_bExitModalLoop = false;
    HWND hwnd = Create(parent);
    if (!hwnd) {
        if (parentDisabled) EnableWindow(parent, true);
        return 0;
    }

    HWND previous = BkWinManager::SetActive(hwnd);
    if (!m_bHasRect) CenterOver(parent);
    if (m_bShowWindow) SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_SHOWWINDOW);

    MSG msg;
    while (!m_bExitModalLoop) {
        // A quit already waiting ends this loop and stays, so that enclosing loops end too.
        if (PeekMessage(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE)) break;
        if (!IsWindow(hwnd)) break;
        const int got = GetMessage(&msg);
        if (got == -1) continue;
        if (got == 0) {
            std::fputs(kQuitDiagnostic, stderr);
            break;
        }
        // Enter and Escape were already turned into commands by the host's dialog keys.
        DispatchMessage(&msg);
    }

    m_bExitModalLoop = false;
    if (IsWindow(hwnd)) {
        SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_HIDEWINDOW | SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
    }
    if (parentDisabled) EnableWindow(parent, true);
    if (parent && GetActiveWindow() == hwnd) SetActiveWindow(parent);
    BkWinManager::SetActive(previous);
    if (IsWindow(hwnd)) DestroyWindow(hwnd);
    return m_nRetCode;
}

void CBkDialogImpl::EndDialog(int code) {
    m_nRetCode = code;
    m_bExitModalLoop = true;
    PostMessage(nullptr, WM_NULL);  // wakes the loop
}

void CBkDialogImpl::OnGetMinMaxInfo(MINMAXINFO* info) {
    MONITORINFO monitor;
    if (!info || !GetMonitorInfo(MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTONEAREST), &monitor)) return;
    const RECT& work = monitor.rcWork;
    const RECT& screen = monitor.rcMonitor;
    info->ptMaxPosition = POINT{std::abs(work.left - screen.left) - 1, std::abs(work.top - screen.top) - 1};
    info->ptMaxSize = POINT{RectWidth(work) + 2, RectHeight(work) + 2};
    info->ptMaxTrackSize = info->ptMaxSize;
}

bool CBkDialogImpl::ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
    case WM_CLOSE:
        SendMessage(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        result = 0;
        return true;
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        if (id != IDOK && id != IDCANCEL) return false;
        // OK and Cancel reach the same handler as clicks on elements with ids 1 and 2.
        BKNMCOMMAND nm;
        nm.hdr = NMHDR{m_richView.GetHWnd(), static_cast<UINT_PTR>(IDC_RICHVIEW_WIN), BKNM_COMMAND};
        nm.uItemID = id;
        nm.szItemClass = "";
        SendMessage(hwnd, WM_NOTIFY, IDC_RICHVIEW_WIN, reinterpret_cast<LPARAM>(&nm));
        result = 0;
        return true;
    }
    case WM_KEYDOWN:
        if (!IsWindowEnabled(hwnd) || (GetKeyState(static_cast<int>(VK_CONTROL)) & 0x8000)) return false;
        if (wParam == VK_ESCAPE) {
            SendMessage(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        } else if (wParam == VK_RETURN) {
            SendMessage(hwnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        } else {
            return false;
        }
        result = 0;
        return true;
    case WM_NCCALCSIZE:
        result = 0;  // the whole window is client area
        return true;
    case WM_ERASEBKGND:
    case WM_NCACTIVATE:
        result = 1;
        return true;
    case WM_GETMINMAXINFO:
        OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam));
        result = 0;
        return true;
    case WM_SIZE:
        if (wParam != SIZE_MINIMIZED && m_richView.GetHWnd()) {
            RECT client{};
            GetClientRect(hwnd, &client);
            MoveWindow(m_richView.GetHWnd(), 0, 0, RectWidth(client), RectHeight(client), true);
        }
        return false;
    default:
        return false;
    }
}

LRESULT CBkDialogImpl::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCDESTROY) {
        m_hWnd = nullptr;
        return DefWindowProc(hwnd, msg, wParam, lParam);
    }
    LRESULT result = 0;
    if (ProcessWindowMessage(hwnd, msg, wParam, lParam, result)) return result;
    return DefWindowProc(hwnd, msg, wParam, lParam);
}
