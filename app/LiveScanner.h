// Reads the frames of a camera (or of a video file, in the same way) as they come: each frame is
// shown, the newest one waiting is read on a worker thread while the camera goes on, older ones
// are dropped, every read's symbols come back for live outlines, and the first verified read
// stops the camera. Everything the owner hears, it hears on the interface thread.
//
//   CLiveScanner scanner({.frame = showFrame, .read = showRead, .stopped = sayWhy});
//   scanner.Start(platform::FrameSource::OpenCamera(""));
//   ... read(result) with result.finished: the camera has stopped on result.reading ...
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "platform/window.h"
#include "decoder/SymbolReader.h"
#include "platform/camera.h"
#include "platform/imaging.h"

class CLiveScanner {
public:
    struct Read {
        platform::RgbImage frame;  // the frame that was read, for outlines that fit it
        PictureReading reading;
        bool finished = false;     // verified symbols: the source has stopped
    };
    struct Events {
        std::function<void(const platform::RgbImage& frame)> frame;  // every frame the source gives
        std::function<void(const Read& read)> read;                  // every read done
        // The source stopped by itself: a camera's failure, a video's end. Not after Stop or a
        // finished read.
        std::function<void(platform::FrameSourceError error, const std::string& detail)> stopped;
    };
    struct Counts {
        uint64_t shown = 0;    // frames handed over by the source
        uint64_t read = 0;     // frames read
        uint64_t dropped = 0;  // frames passed over for a newer one while a read ran
    };

    explicit CLiveScanner(Events events);
    // Stops the source and waits for a read in progress to end.
    ~CLiveScanner();
    CLiveScanner(const CLiveScanner&) = delete;
    CLiveScanner& operator=(const CLiveScanner&) = delete;

    // Starts reading `source`'s frames, ending any earlier run.
    void Start(std::unique_ptr<platform::FrameSource> source);
    // Ends the run: the source stops and no more events come from it.
    void Stop();
    bool Running() const { return m_running; }
    Counts FrameCounts() const;

private:
    void OnFrame(platform::RgbImage frame);
    void OnSourceError(platform::FrameSourceError error, const std::string& detail);
    void OnReadPosted();
    void WorkerLoop();

    Events m_events;
    std::unique_ptr<platform::FrameSource> m_source;
    // A source that stopped itself is kept until the next Start: it may still be on the stack.
    std::unique_ptr<platform::FrameSource> m_retired;
    platform::HWND m_window = nullptr;  // hidden; takes the worker's posted results
    bool m_running = false;

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    uint64_t m_generation = 0;  // one per Start; results of an earlier run are dropped
    std::optional<platform::RgbImage> m_pending;
    uint64_t m_pendingGeneration = 0;
    std::optional<Read> m_done;
    uint64_t m_doneGeneration = 0;
    Counts m_counts;
    bool m_quit = false;
    std::thread m_worker;
};
