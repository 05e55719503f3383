// The camera's pipeline without a camera: a video of a symbol that comes in cut off, moves,
// turns and tilts (tests/data/make_camera_video.py) goes through the same frame source and
// scanner as a camera's frames.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

#include "app/LiveScanner.h"
#include "platform/camera.h"
#include "platform/window.h"

namespace {

using Clock = std::chrono::steady_clock;

// Runs the event loop until `done` holds or `seconds` have passed.
template <typename Done>
bool PumpUntil(Done done, double seconds) {
    const auto end = Clock::now() + std::chrono::duration<double>(seconds);
    while (!done()) {
        if (Clock::now() > end) return false;
        platform::PumpMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

TEST(LiveScanner, VideoFedFramesAreReadUntilTheFirstVerifiedSymbolStopsTheSource) {
    uint64_t framesShown = 0, readsWithoutSymbol = 0;
    std::optional<CLiveScanner::Read> finished;
    std::string stopped;
    CLiveScanner scanner({
        .frame = [&](const platform::RgbImage&) { ++framesShown; },
        .read =
            [&](const CLiveScanner::Read& read) {
                if (read.finished) finished = read;
                else readsWithoutSymbol += read.reading.symbols.empty();
            },
        .stopped = [&](platform::FrameSourceError, const std::string& detail) { stopped = detail; },
    });
    scanner.Start(platform::FrameSource::OpenVideoFile(MEROVASK_CAMERA_VIDEO));
    ASSERT_TRUE(PumpUntil([&] { return finished || !stopped.empty(); }, 60)) << "no read and no end within 60 s";
    ASSERT_TRUE(finished) << "the video ended without a read: " << stopped;

    ASSERT_EQ(finished->reading.symbols.size(), 1u);
    EXPECT_EQ(finished->reading.symbols[0].textUtf8, MEROVASK_CAMERA_TEXT);
    EXPECT_EQ(finished->frame.width, 1280);
    EXPECT_EQ(finished->frame.height, 720);
    EXPECT_FALSE(scanner.Running());
    // The first frames show the symbol cut off by the edge: they were read, and reading went on.
    EXPECT_GE(readsWithoutSymbol, 1u);

    // Stopped means stopped: no frame is shown and nothing is read after the symbol.
    const CLiveScanner::Counts atStop = scanner.FrameCounts();
    const uint64_t shownAtStop = framesShown;
    PumpUntil([] { return false; }, 0.5);
    EXPECT_EQ(framesShown, shownAtStop);
    EXPECT_EQ(scanner.FrameCounts().read, atStop.read);
    EXPECT_TRUE(stopped.empty()) << stopped;
    EXPECT_LE(atStop.read + atStop.dropped, atStop.shown);
}

TEST(LiveScanner, ASourceThatCannotStartIsSaidOnce) {
    int stops = 0;
    platform::FrameSourceError error = platform::FrameSourceError::None;
    CLiveScanner::Events events;
    events.stopped = [&](platform::FrameSourceError e, const std::string&) {
        error = e;
        ++stops;
    };
    CLiveScanner scanner(events);
    scanner.Start(platform::FrameSource::OpenVideoFile("/nonexistent/video.mp4"));
    ASSERT_TRUE(PumpUntil([&] { return stops > 0; }, 10));
    PumpUntil([] { return false; }, 0.2);
    EXPECT_EQ(stops, 1);
    EXPECT_EQ(error, platform::FrameSourceError::Failed);
    EXPECT_FALSE(scanner.Running());
}

// Where the machine has a camera: it gives frames, or says in one line why not.
TEST(LiveScanner, ARealCameraGivesFramesOrSaysWhyNot) {
    bool anyDevice = false;
    for (int n = 0; n < 64; ++n) anyDevice |= std::filesystem::exists("/dev/video" + std::to_string(n));
    if (!anyDevice) GTEST_SKIP() << "no /dev/video* here";
    uint64_t frames = 0;
    std::string stopped;
    CLiveScanner scanner({
        .frame = [&](const platform::RgbImage& frame) { frames += frame.width > 0; },
        .read = {},
        .stopped = [&](platform::FrameSourceError, const std::string& detail) { stopped = detail + " "; },
    });
    scanner.Start(platform::FrameSource::OpenCamera(""));
    ASSERT_TRUE(PumpUntil([&] { return frames > 0 || !stopped.empty(); }, 15)) << "neither a frame nor a reason";
    if (frames == 0) std::printf("the camera did not start: %s\n", stopped.c_str());
    scanner.Stop();
}

}  // namespace
