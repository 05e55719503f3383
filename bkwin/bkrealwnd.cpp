#include "bkwin/bkrealwnd.h"

#include "bkwin/bknotify.h"

using namespace platform;

HWND CBkRealWnd::GetRealHWnd() const {
    if (!m_hWndContainer || m_uCmdID == 0) return nullptr;
    return GetDlgItem(m_hWndContainer, m_uCmdID);
}

void CBkRealWnd::ShowRealWindow(bool show) {
    HWND real = GetRealHWnd();
    if (!real) return;
    if (show && !IsVisible(true)) return;
    ShowWindow(real, show ? SW_SHOWNOACTIVATE : SW_HIDE);
}

void CBkRealWnd::OnWindowPosChanged(const BkWindowPos& pos) {
    const RECT old = m_rcWindow;
    CBkWindow::OnWindowPosChanged(pos);
    if (old == m_rcWindow) return;
    HWND real = GetRealHWnd();
    if (!real) return;
    SetWindowPos(real, nullptr, m_rcWindow.left, m_rcWindow.top, RectWidth(m_rcWindow), RectHeight(m_rcWindow),
                 SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE);
    BKNMREALWNDRESIZED nm;
    nm.hdr.hwndFrom = m_hWndContainer;
    nm.hdr.idFrom = IDC_RICHVIEW_WIN;
    nm.hdr.code = BKNM_REALWND_RESIZED;
    nm.uItemID = m_uCmdID;
    nm.rcWnd = m_rcWindow;
    SendMessage(m_hWndContainer, WM_NOTIFY, IDC_RICHVIEW_WIN, reinterpret_cast<LPARAM>(&nm));
    if (IsWindowVisible(real)) {
        InvalidateRect(real, nullptr, true);
        ShowWindow(real, SW_SHOWNOACTIVATE);
    }
}

void CBkRealWnd::OnShowWindow(bool show, LPARAM status) {
    CBkWindow::OnShowWindow(show, status);
    ShowRealWindow(show);
}

void CBkRealWnd::OnDestroy() {
    if (HWND real = GetRealHWnd()) ShowWindow(real, SW_HIDE);
}
