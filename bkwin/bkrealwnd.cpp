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
    PlaceHostedWindow(m_hWndContainer, m_uCmdID, real, m_rcWindow, true);
}

void CBkRealWnd::PlaceHostedWindow(HWND container, unsigned cmdId, HWND real, const RECT& rc, bool repaint) {
    SetWindowPos(real, nullptr, rc.left, rc.top, RectWidth(rc), RectHeight(rc), SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE);
    BKNMREALWNDRESIZED nm;
    nm.hdr.hwndFrom = container;
    nm.hdr.idFrom = IDC_RICHVIEW_WIN;
    nm.hdr.code = BKNM_REALWND_RESIZED;
    nm.uItemID = cmdId;
    nm.rcWnd = rc;
    SendMessage(container, WM_NOTIFY, IDC_RICHVIEW_WIN, reinterpret_cast<LPARAM>(&nm));
    if (repaint && IsWindowVisible(real)) {
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
