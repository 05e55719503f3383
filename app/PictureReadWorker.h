// Reads pictures off the user-interface thread. One worker thread takes one request at a time:
// a picture (the worker's own copy) or a file to load. What it finds comes back as a posted
// message; the page then takes the result. A newer request supersedes an older one: the older
// read is told to stop, and its result is never handed out.
//
//   CPictureReadWorker worker(hwnd, WM_READ_DONE, 360);
//   worker.Read(picture);                          // or worker.ReadFile(path)
//   ... WM_READ_DONE(wParam = ticket) arrives ...
//   if (auto result = worker.Take(wParam)) { result->preview, result->reading ... }
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "bkres/bkplatform.h"
#include "decoder/SymbolReader.h"
#include "platform/imaging.h"

class CPictureReadWorker {
public:
    struct Result {
        unsigned ticket = 0;
        // Why the picture could not be loaded (a file's reason); empty when it was.
        std::string loadError;
        // The picture's own size, and the picture fitted into the preview square with its
        // aspect ratio kept (enlarged or reduced), for the page to draw without scaling.
        int pictureWidth = 0;
        int pictureHeight = 0;
        platform::RgbImage preview;
        PictureReading reading;
    };

    // Results are announced by posting `message` (wParam = ticket) to `notify`.
    CPictureReadWorker(HWND notify, UINT message, int previewSide);
    // Stops a read in progress and waits for the worker to end.
    ~CPictureReadWorker();
    CPictureReadWorker(const CPictureReadWorker&) = delete;
    CPictureReadWorker& operator=(const CPictureReadWorker&) = delete;

    // Queues a read of the picture (taken over) or of the file (UTF-8 path), superseding any
    // earlier request. Returns the request's ticket.
    unsigned Read(platform::RgbImage picture);
    unsigned ReadFile(std::string utf8Path);
    // The result announced with `ticket`, once, when it belongs to the newest request.
    std::optional<Result> Take(WPARAM ticket);
    // Whether the newest request's result has not been taken yet.
    bool Busy() const;
    // Blocks until the newest request's result has been posted (for tests and benchmarks).
    void WaitIdle();

    // The picture fitted into a side x side square, aspect ratio kept: averaged when reduced,
    // nearest pixel when enlarged (so modules stay sharp).
    static platform::RgbImage FitPicture(const platform::RgbImage& picture, int side);

private:
    struct Request {
        unsigned ticket = 0;
        platform::RgbImage picture;
        std::string path;  // when not empty, the picture is loaded from here first
    };

    unsigned Submit(Request request);
    void Run();
    Result Work(Request& request);

    const HWND m_notify;
    const UINT m_message;
    const int m_previewSide;

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_posted;
    std::optional<Request> m_pending;
    std::optional<Result> m_done;
    unsigned m_newest = 0;       // ticket of the newest request
    unsigned m_lastPosted = 0;   // ticket of the last result posted
    unsigned m_taken = 0;        // ticket of the last result handed out
    bool m_quit = false;
    std::atomic<bool> m_stop{false};  // the read running now has been superseded
    std::thread m_thread;
};
