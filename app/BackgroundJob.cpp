#include "app/BackgroundJob.h"

#include <utility>

#include "platform/window.h"

void CBackgroundJob::Start(std::function<void()> work, HWND notify, UINT message, WPARAM wParam) {
    Wait();
    m_thread = std::thread([work = std::move(work), notify, message, wParam] {
        work();
        platform::PostMessageFromAnyThread(notify, message, wParam, 0);
    });
}

void CBackgroundJob::Wait() {
    if (m_thread.joinable()) m_thread.join();
}
