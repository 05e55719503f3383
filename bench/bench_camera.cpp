// How many camera frames a second the reader keeps up with, ours beside zxing-cpp in one run.
// Videos made by tests/data/make_camera_video.py stand in for the camera and go through the
// camera's own frame source (decoding and RGB conversion included):
//  1. live: CLiveScanner on the video played in real time; with a symbol it stops at the first
//     verified read, with glare over the symbol (never readable, the reader's slowest case) it
//     reads the newest frame again and again to the end: frames read per second;
//  2. back to back: every frame of the symbol video read by ours and by zxing-cpp, one after
//     the other on one thread: frames per second each, and their ratio.
// A wrong text from either reader, a live run without a read, or fewer than 15 frames read a
// second live end the program with status 1.
//
//   bench_camera SYMBOL.mp4 TEXT GLARE.mp4
#include <ZXing/ReadBarcode.h>
#include <ZXing/TextUtfEncoding.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/LiveScanner.h"
#include "decoder/SymbolReader.h"
#include "platform/camera.h"
#include "platform/window.h"

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

template <typename Done>
void pumpUntil(Done done, double seconds) {
    const auto start = Clock::now();
    while (!done() && secondsSince(start) < seconds) {
        platform::PumpMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

struct LiveRun {
    double seconds = 0;  // from the first frame shown
    CLiveScanner::Counts counts;
    std::optional<std::string> text;  // the finished read's text
    bool ended = false;
};

LiveRun runLive(const std::string& video) {
    LiveRun run;
    std::optional<Clock::time_point> firstFrame;
    CLiveScanner scanner({
        .frame = [&](const platform::RgbImage&) {
            if (!firstFrame) firstFrame = Clock::now();
        },
        .read = [&](const CLiveScanner::Read& read) {
            if (read.finished) run.text = read.reading.symbols.at(0).textUtf8;
        },
        .stopped = [&](platform::FrameSourceError, const std::string&) { run.ended = true; },
    });
    scanner.Start(platform::FrameSource::OpenVideoFile(video));
    pumpUntil([&] { return run.text || run.ended; }, 120);
    if (firstFrame) run.seconds = secondsSince(*firstFrame);
    run.counts = scanner.FrameCounts();
    return run;
}

std::vector<platform::RgbImage> collectFrames(const std::string& video) {
    std::vector<platform::RgbImage> frames;
    bool ended = false;
    auto source = platform::FrameSource::OpenVideoFile(video);
    source->Start([&](platform::RgbImage frame) { frames.push_back(std::move(frame)); },
                  [&](platform::FrameSourceError, const std::string&) { ended = true; });
    pumpUntil([&] { return ended; }, 120);
    return frames;
}

struct Tally {
    int right = 0, wrong = 0, none = 0;
    double seconds = 0;
};

Tally readOurs(const std::vector<platform::RgbImage>& frames, const std::string& text) {
    Tally tally;
    const auto start = Clock::now();
    for (const platform::RgbImage& frame : frames) {
        const PictureReading reading = readPicture(frame);
        if (reading.symbols.empty()) ++tally.none;
        else if (reading.symbols.size() == 1 && reading.symbols[0].textUtf8 == text) ++tally.right;
        else ++tally.wrong;
    }
    tally.seconds = secondsSince(start);
    return tally;
}

Tally readZxing(const std::vector<platform::RgbImage>& frames, const std::string& text) {
    Tally tally;
    ZXing::DecodeHints hints;
    hints.setFormats(ZXing::BarcodeFormat::QRCode);
    const auto start = Clock::now();
    for (const platform::RgbImage& frame : frames) {
        const ZXing::ImageView view(frame.rgb.data(), frame.width, frame.height, ZXing::ImageFormat::RGB);
        const ZXing::Results results = ZXing::ReadBarcodes(view, hints);
        if (results.empty()) ++tally.none;
        else if (results.size() == 1 && ZXing::TextUtfEncoding::ToUtf8(results[0].text()) == text) ++tally.right;
        else ++tally.wrong;
    }
    tally.seconds = secondsSince(start);
    return tally;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: bench_camera SYMBOL.mp4 TEXT GLARE.mp4\n");
        return 2;
    }
    const std::string symbolVideo = argv[1], text = argv[2], glareVideo = argv[3];
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    platform::Application app(argc, argv);
    bool ok = true;

    const LiveRun found = runLive(symbolVideo);
    std::printf("live, symbol video: %s after %.2f s; %llu frames shown, %llu read, %llu dropped\n",
                found.text ? ("read \"" + *found.text + "\"").c_str() : "NO READ", found.seconds,
                static_cast<unsigned long long>(found.counts.shown), static_cast<unsigned long long>(found.counts.read),
                static_cast<unsigned long long>(found.counts.dropped));
    if (!found.text || *found.text != text) ok = false;

    const LiveRun glare = runLive(glareVideo);
    const double liveRate = glare.seconds > 0 ? glare.counts.read / glare.seconds : 0;
    std::printf("live, glare video:  %s after %.2f s; %llu frames shown, %llu read, %llu dropped: %.1f frames read/s\n",
                glare.text ? "WRONG READ" : "no read", glare.seconds, static_cast<unsigned long long>(glare.counts.shown),
                static_cast<unsigned long long>(glare.counts.read), static_cast<unsigned long long>(glare.counts.dropped),
                liveRate);
    if (glare.text || liveRate < 15) ok = false;

    const std::vector<platform::RgbImage> frames = collectFrames(symbolVideo);
    if (frames.empty()) {
        std::printf("no frames from %s\n", symbolVideo.c_str());
        return 1;
    }
    const Tally ours = readOurs(frames, text);
    const Tally zxing = readZxing(frames, text);
    std::printf("back to back, %zu frames of %dx%d:\n", frames.size(), frames[0].width, frames[0].height);
    std::printf("  %-9s %5s %5s %5s %9s\n", "reader", "right", "wrong", "none", "frames/s");
    for (const auto& [name, tally] : {std::pair{"ours", ours}, std::pair{"zxing-cpp", zxing}}) {
        std::printf("  %-9s %5d %5d %5d %9.1f\n", name, tally.right, tally.wrong, tally.none,
                    frames.size() / tally.seconds);
    }
    std::printf("  time ours / zxing-cpp: %.2f\n", ours.seconds / zxing.seconds);
    if (ours.wrong || zxing.wrong) ok = false;
    if (!ok) std::printf("FAILED: a wrong or missing read, or fewer than 15 frames read a second\n");
    return ok ? 0 : 1;
}
