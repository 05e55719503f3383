#include "app/ScreenGrabber.h"

#include <utility>

namespace {

constexpr UINT_PTR kSettleTimer = 1;
constexpr UINT WM_GRAB_DONE = WM_APP + 0x52;

}  // namespace

CScreenGrabber::CScreenGrabber() {
    m_helper = CreateWindowEx(0, u"", u"", 0, 0, 0, 1, 1, nullptr, 0,
                              [this](HWND h, UINT m, WPARAM w, LPARAM l) { return HelperProc(h, m, w, l); });
}

CScreenGrabber::~CScreenGrabber() {
    if (m_worker.joinable()) m_worker.join();
    DestroyWindow(m_helper);
}

bool CScreenGrabber::Start(HWND window, Done done) {
    if (Busy() || !done) return false;
    m_done = std::move(done);
    if (window && IsWindowVisible(window)) ShowWindow(window, SW_HIDE);
    SetTimer(m_helper, kSettleTimer, kSettleMs);
    return true;
}

LRESULT CScreenGrabber::HelperProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_TIMER && wParam == kSettleTimer) {
        KillTimer(hwnd, kSettleTimer);
        if (m_worker.joinable()) m_worker.join();
        m_worker = std::thread([this] {
            m_grab = platform::GrabScreen();
            platform::PostMessageFromAnyThread(m_helper, WM_GRAB_DONE);
        });
        return 0;
    }
    if (msg == WM_GRAB_DONE) {
        m_worker.join();
        Done done = std::move(m_done);
        m_done = nullptr;
        done(std::exchange(m_grab, platform::ScreenGrab{}));
        return 0;
    }
    return DefWindowProc(hwnd, msg, wParam, lParam);
}
