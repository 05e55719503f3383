// One piece of work at a time on a thread of its own, announced when done by a message posted to
// a window (a large save, so that the window does not wait for the encoder and the disk). The
// work must not touch windows; it leaves its result where the message's handler takes it.
#pragma once

#include <functional>
#include <thread>

#include "bkres/bkplatform.h"

class CBackgroundJob {
public:
    CBackgroundJob() = default;
    // Waits for the work under way.
    ~CBackgroundJob() { Wait(); }
    CBackgroundJob(const CBackgroundJob&) = delete;
    CBackgroundJob& operator=(const CBackgroundJob&) = delete;

    // Runs `work` on the job's thread (after the previous work has ended), then posts
    // `message` (wParam, 0) to `notify`.
    void Start(std::function<void()> work, HWND notify, UINT message, WPARAM wParam = 0);
    // Waits until the work has ended and its message is posted.
    void Wait();

private:
    std::thread m_thread;
};
