#include "app/LiveScanner.h"

#include <utility>

namespace {

// Posted by the worker to the scanner's hidden window when a read is done.
constexpr platform::UINT WM_LIVE_READ_DONE = platform::WM_APP + 0x51;

}  // namespace

CLiveScanner::CLiveScanner(Events events) : m_events(std::move(events)) {
    m_window = platform::CreateWindowEx(0, u"", u"", 0, 0, 0, 1, 1, nullptr, 0,
                                        [this](platform::HWND h, platform::UINT msg, platform::WPARAM w,
                                               platform::LPARAM l) -> platform::LRESULT {
                                            if (msg == WM_LIVE_READ_DONE) {
                                                OnReadPosted();
                                                return 0;
                                            }
                                            return platform::DefWindowProc(h, msg, w, l);
                                        });
    m_worker = std::thread([this] { WorkerLoop(); });
}

CLiveScanner::~CLiveScanner() {
    Stop();
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    m_wake.notify_all();
    m_worker.join();
    platform::DestroyWindow(m_window);
}

void CLiveScanner::Start(std::unique_ptr<platform::FrameSource> source) {
    Stop();
    m_retired.reset();
    if (!source) return;
    {
        std::lock_guard lock(m_mutex);
        ++m_generation;
        m_counts = {};
    }
    m_source = std::move(source);
    m_running = true;
    m_source->Start([this](platform::RgbImage frame) { OnFrame(std::move(frame)); },
                    [this](platform::FrameSourceError error, const std::string& detail) { OnSourceError(error, detail); });
}

void CLiveScanner::Stop() {
    if (!m_running) return;
    m_running = false;
    m_source->Stop();
    m_retired = std::move(m_source);
    std::lock_guard lock(m_mutex);
    ++m_generation;  // a read still running is not reported
    m_pending.reset();
    m_done.reset();
}

CLiveScanner::Counts CLiveScanner::FrameCounts() const {
    std::lock_guard lock(m_mutex);
    return m_counts;
}

void CLiveScanner::OnFrame(platform::RgbImage frame) {
    if (!m_running) return;
    if (m_events.frame) m_events.frame(frame);
    if (!m_running) return;  // the handler stopped the scan
    {
        std::lock_guard lock(m_mutex);
        ++m_counts.shown;
        if (m_pending) ++m_counts.dropped;
        m_pending = std::move(frame);
        m_pendingGeneration = m_generation;
    }
    m_wake.notify_one();
}

void CLiveScanner::OnSourceError(platform::FrameSourceError error, const std::string& detail) {
    if (!m_running) return;
    Stop();
    if (m_events.stopped) m_events.stopped(error, detail);
}

void CLiveScanner::OnReadPosted() {
    std::optional<Read> done;
    {
        std::lock_guard lock(m_mutex);
        if (!m_done || m_doneGeneration != m_generation) return;
        done = std::move(m_done);
        m_done.reset();
    }
    if (!m_running) return;
    if (!done->reading.symbols.empty()) {
        done->finished = true;
        Stop();
    }
    if (m_events.read) m_events.read(*done);
}

void CLiveScanner::WorkerLoop() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_quit || m_pending; });
        if (m_quit) return;
        Read read;
        read.frame = std::move(*m_pending);
        m_pending.reset();
        const uint64_t generation = m_pendingGeneration;
        lock.unlock();
        read.reading = readPicture(read.frame);
        lock.lock();
        if (generation != m_generation) continue;  // stopped meanwhile
        ++m_counts.read;
        // Only the newest result waits; the interface thread takes it when the post arrives.
        m_done = std::move(read);
        m_doneGeneration = generation;
        platform::PostMessageFromAnyThread(m_window, WM_LIVE_READ_DONE);
    }
}
