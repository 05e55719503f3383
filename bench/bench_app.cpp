// The desktop program's own speed, through its real windows (offscreen), with a peer library in
// the same binary and run where there is one:
//   - start-up: constructing and creating the main window until its host has painted a frame
//     (the pools are loaded once beforehand, as the program loads them before its window; their
//     loading is bench_resources, and the whole process under Xvfb is timed by the real-window
//     test: ctest -R desktop.real_window -V);
//   - generate: the make page's Generate() on 2900 'a' at level L (a version-40 symbol), drawn
//     into the 330 x 330 preview; peers: libqrencode and our encoder each with the same drawing;
//   - save: the make page's Save() of that symbol at scale 20 (3700 x 3700 pixels) as PNG,
//     answered by a scripted save dialog; peer: libqrencode with our drawing and writer;
//   - megabyte text: a paste of a megabyte into the text field (refused), against a paste of a
//     line (taken); Generate() with a megabyte the program put in the field (refused unconverted),
//     against Generate() of the version-40 symbol;
//   - read: the read page's ReadImage() on a 4000 x 3000 JPEG photo, answered by a scripted
//     open dialog; peers: zxing-cpp (file decoding included) and our decoder without the page.
//
//   bench_app [--benchmark_repetitions=5]
// The closing lines give each page call's time as a ratio of its peers'.
#include <benchmark/benchmark.h>
#include <qrencode.h>

#define ZX_USE_UTF8 1
#include <ZXing/ReadBarcode.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "app/MainWnd.h"
#include "app/QRDECODEUIHandler.h"
#include "app/QRENCODEUIHandler.h"
#include "app/TALVORINEXModule.h"
#include "bkwin/bkwinmanager.h"
#include "decoder/SymbolReader.h"
#include "encoder/QR_Encode.h"
#include "platform/controls.h"
#include "platform/gdi.h"
#include "platform/imaging.h"
#include "platform/shell.h"
#include "platform/testing.h"
#include "platform/text.h"
#include "platform/window.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kPreviewSide = CQRENCODEUIHandler::kPreviewSide;
const std::string kPhotoText = "https://merovask.example/photo?id=4000x3000";

// What the program keeps for its whole run; made in main, inside the platform's application.
struct Session {
    platform::ScriptedShell shell;
    BkWinManager manager;
    std::filesystem::path folder;
    std::unique_ptr<CTALVORINEXMainWnd> mainWindow;  // for the page benchmarks, made on first use
};
Session* g_session = nullptr;

Session& session() { return *g_session; }

bool painted(HWND hwnd) {
    platform::RgbImage image;
    HDC dc = platform::GetDC(hwnd);
    platform::BitmapToRgbImage(platform::GetCurrentBitmap(dc), image);
    platform::ReleaseDC(hwnd, dc);
    for (size_t i = 3; i < image.rgb.size(); i += 3)
        if (image.rgb[i] != image.rgb[0] || image.rgb[i + 1] != image.rgb[1] || image.rgb[i + 2] != image.rgb[2])
            return true;
    return false;
}

// A main window shown and painted, as the program opens it.
std::unique_ptr<CTALVORINEXMainWnd> openMainWindow() {
    auto wnd = std::make_unique<CTALVORINEXMainWnd>();
    HWND hwnd = wnd->Create(nullptr);
    if (!hwnd) return nullptr;
    platform::ShowWindow(hwnd, platform::SW_SHOW);
    const auto until = Clock::now() + std::chrono::seconds(5);
    do platform::PumpMessages();
    while (!painted(wnd->GetViewHWnd()) && Clock::now() < until);
    return wnd;
}

CTALVORINEXMainWnd* mainWindow() {
    if (!session().mainWindow) session().mainWindow = openMainWindow();
    return session().mainWindow.get();
}

// --- Start-up ---

void BM_StartupToFirstPaint(benchmark::State& state) {
    for (auto _ : state) {
        const auto start = Clock::now();
        auto wnd = std::make_unique<CTALVORINEXMainWnd>();
        HWND hwnd = wnd->Create(nullptr);
        platform::ShowWindow(hwnd, platform::SW_SHOW);
        int pumps = 0;
        do {
            platform::PumpMessages();
            ++pumps;
        } while (!painted(wnd->GetViewHWnd()) && pumps < 1000);
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        if (pumps == 1000) state.SkipWithError("the main window was never painted");
        wnd.reset();
        platform::PumpMessages();
    }
}
BENCHMARK(BM_StartupToFirstPaint)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);

// --- Generate and draw a version-40 symbol ---

const std::u16string& longText() {
    static const std::u16string text(2900, u'a');
    return text;
}

// The make page with the long text at level L, automatic version and `scale`, generated; nullptr
// (and the benchmark stopped) without a main window.
CQRENCODEUIHandler* pageWithLongText(benchmark::State& state, int scale) {
    if (!mainWindow()) {
        state.SkipWithError("the main window could not be created");
        return nullptr;
    }
    CQRENCODEUIHandler& page = mainWindow()->EncodeHandler();
    platform::SetWindowText(page.ContentWindow(CQRENCODEUIHandler::kTextTab), longText());
    platform::ComboBox_SetCurSel(page.LevelList(), 0);    // level L
    platform::ComboBox_SetCurSel(page.VersionList(), 0);  // automatic version
    platform::ComboBox_SetCurSel(page.ScaleList(), scale - 1);
    page.Generate();
    return &page;
}

void BM_PageGenerateVersion40(benchmark::State& state) {
    CQRENCODEUIHandler* generated = pageWithLongText(state, 4);
    if (generated == nullptr) return;
    CQRENCODEUIHandler& page = *generated;
    if (!page.HasSymbol() || page.SymbolPixels() != 177 + 8) {
        state.SkipWithError("the page did not make a version-40 symbol");
        return;
    }
    for (auto _ : state) page.Generate();
}
BENCHMARK(BM_PageGenerateVersion40)->Unit(benchmark::kMillisecond);

// The drawing the page does, done directly: the matrix with its quiet zone stretched onto the
// 330 x 330 picture by nearest neighbour.
template <typename Dark>
void drawPreview(int side, Dark dark, platform::RgbImage& preview) {
    const int extent = side + 8;
    for (int py = 0; py < kPreviewSide; ++py) {
        const int my = py * extent / kPreviewSide - 4;
        uint8_t* row = preview.pixel(0, py);
        for (int px = 0; px < kPreviewSide; ++px) {
            const int mx = px * extent / kPreviewSide - 4;
            const bool on = mx >= 0 && my >= 0 && mx < side && my < side && dark(mx, my);
            std::fill_n(row + px * 3, 3, on ? 0 : 255);
        }
    }
}

std::string longTextBytes() { return std::string(2900, 'a'); }

// libqrencode's symbol of `bytes` at level L, which must be version 40; nullptr (and the
// benchmark stopped) otherwise. The caller frees it.
QRcode* libqrencodeVersion40(benchmark::State& state, const std::string& bytes) {
    QRcode* code = QRcode_encodeData(static_cast<int>(bytes.size()), reinterpret_cast<const unsigned char*>(bytes.data()),
                                     0, QR_ECLEVEL_L);
    if (code && code->version == 40) return code;
    if (code) QRcode_free(code);
    state.SkipWithError("libqrencode did not make a version-40 symbol");
    return nullptr;
}

void BM_PeerLibqrencodeVersion40(benchmark::State& state) {
    const std::string bytes = longTextBytes();
    platform::RgbImage preview(kPreviewSide, kPreviewSide);
    for (auto _ : state) {
        QRcode* code = libqrencodeVersion40(state, bytes);
        if (code == nullptr) return;
        drawPreview(code->width, [&](int x, int y) { return code->data[y * code->width + x] & 1; }, preview);
        QRcode_free(code);
        benchmark::DoNotOptimize(preview.rgb.data());
    }
}
BENCHMARK(BM_PeerLibqrencodeVersion40)->Unit(benchmark::kMillisecond);

void BM_PeerOurEncoderVersion40(benchmark::State& state) {
    const std::string bytes = longTextBytes();
    platform::RgbImage preview(kPreviewSide, kPreviewSide);
    for (auto _ : state) {
        auto encoder = std::make_unique<CQREncoder>();  // one object per symbol
        if (!encoder->encode(0, 0, 1, -1, reinterpret_cast<const unsigned char*>(bytes.data()),
                             static_cast<int>(bytes.size())) ||
            encoder->version != 40) {
            state.SkipWithError("the encoder did not make a version-40 symbol");
            return;
        }
        drawPreview(encoder->side, [&](int x, int y) { return encoder->modules[x][y] != 0; }, preview);
        benchmark::DoNotOptimize(preview.rgb.data());
    }
}
BENCHMARK(BM_PeerOurEncoderVersion40)->Unit(benchmark::kMillisecond);

// --- Save a version-40 symbol at scale 20 as PNG ---

constexpr int kSaveScale = 20;
constexpr int kSavePixels = (177 + 8) * kSaveScale;

// The width and height in a PNG file's header, or 0 x 0.
std::pair<uint32_t, uint32_t> pngSize(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return {0, 0};
    uint8_t header[24] = {};
    const size_t got = std::fread(header, 1, sizeof header, file);
    std::fclose(file);
    if (got != sizeof header || header[0] != 0x89 || header[1] != 'P') return {0, 0};
    auto be32 = [&](int at) {
        return uint32_t{header[at]} << 24 | uint32_t{header[at + 1]} << 16 | uint32_t{header[at + 2]} << 8 | header[at + 3];
    };
    return {be32(16), be32(20)};
}

// The saved picture shows exactly these modules (row by row, 1 = dark), each kSaveScale pixels
// square, in a four-module quiet zone.
bool savedPictureIs(const std::string& path, const std::vector<uint8_t>& modules, int side) {
    platform::RgbImage image;
    if (!platform::decodeImageFile(path, image).empty() || image.width != (side + 8) * kSaveScale ||
        image.height != image.width)
        return false;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            const int mx = x / kSaveScale - 4, my = y / kSaveScale - 4;
            const bool dark = mx >= 0 && my >= 0 && mx < side && my < side && modules[static_cast<size_t>(my) * side + mx];
            if (image.pixel(x, y)[0] != (dark ? 0 : 255)) return false;
        }
    return true;
}

void BM_PageSaveVersion40Scale20Png(benchmark::State& state) {
    CQRENCODEUIHandler* generated = pageWithLongText(state, kSaveScale);
    if (generated == nullptr) return;
    CQRENCODEUIHandler& page = *generated;
    const std::string path = (session().folder / "page-save.png").string();
    auto save = [&] {
        session().shell.dialogAnswers.push_back({true, platform::utf8ToUtf16(path), 1});
        page.Save();
    };
    save();
    if (!page.HasSymbol() || !savedPictureIs(path, page.SymbolModules(), 177)) {
        state.SkipWithError("the page did not save the version-40 symbol at scale 20");
        return;
    }
    for (auto _ : state) {
        std::filesystem::remove(path);
        save();
        if (pngSize(path) != std::make_pair<uint32_t, uint32_t>(kSavePixels, kSavePixels)) {
            state.SkipWithError("the page did not save a 3700 x 3700 PNG");
            return;
        }
    }
}
BENCHMARK(BM_PageSaveVersion40Scale20Png)->Unit(benchmark::kMillisecond);

void BM_PeerLibqrencodeSaveVersion40Scale20Png(benchmark::State& state) {
    const std::string bytes = longTextBytes();
    const std::string path = (session().folder / "peer-save.png").string();
    std::vector<uint8_t> modules;
    bool checked = false;
    for (auto _ : state) {
        std::filesystem::remove(path);
        QRcode* code = libqrencodeVersion40(state, bytes);
        if (code == nullptr) return;
        modules.resize(static_cast<size_t>(code->width) * code->width);
        for (size_t i = 0; i < modules.size(); ++i) modules[i] = code->data[i] & 1;
        QRcode_free(code);
        const platform::BilevelImage image = platform::BilevelImage::fromCells(modules.data(), 177, kSaveScale, 4);
        std::vector<uint8_t> png;
        if (!platform::encodeImage(image, platform::ImageFormat::Png, png).empty() ||
            !platform::writeFileAtomically(path, png).empty() ||
            pngSize(path) != std::make_pair<uint32_t, uint32_t>(kSavePixels, kSavePixels)) {
            state.SkipWithError("the peer did not save a 3700 x 3700 PNG");
            return;
        }
        if (!checked) {  // the whole picture once; its header every time
            state.PauseTiming();
            checked = savedPictureIs(path, modules, 177);
            state.ResumeTiming();
            if (!checked) {
                state.SkipWithError("the peer's PNG does not show its symbol");
                return;
            }
        }
    }
}
BENCHMARK(BM_PeerLibqrencodeSaveVersion40Scale20Png)->Unit(benchmark::kMillisecond);

// --- Megabyte text in the text field ---

const std::u16string& megabyteText() {
    static const std::u16string text(1 << 20, u'字');
    return text;
}

// Puts `text` on the program's clipboard, the one the field pastes from (not the scripted one).
bool putOnClipboard(std::u16string_view text) {
    platform::SetShellProvider(nullptr);
    const bool ok = platform::SetClipboardUnicodeText(nullptr, text);
    platform::SetShellProvider(&session().shell);
    return ok;
}

// Ctrl+V in the text field with all its text selected; true when the field then holds `expected`.
bool pasteInto(HWND field, std::u16string_view expected) {
    platform::SetFocus(field);
    platform::Edit_SetSel(field, 0, -1);
    platform::testing::InjectKey(field, 'V', u"", platform::MK_CONTROL);
    platform::PumpMessages();
    return platform::GetWindowText(field) == expected;
}

void pasteBenchmark(benchmark::State& state, std::u16string_view clipboard, std::u16string_view expected) {
    if (!mainWindow()) {
        state.SkipWithError("the main window could not be created");
        return;
    }
    HWND field = mainWindow()->EncodeHandler().ContentWindow(CQRENCODEUIHandler::kTextTab);
    platform::SetWindowText(field, u"kept");
    if (!putOnClipboard(clipboard)) {
        state.SkipWithError("the clipboard is not available");
        return;
    }
    for (auto _ : state) {
        if (!pasteInto(field, expected)) {
            state.SkipWithError("the field does not hold what the paste should leave");
            return;
        }
    }
}
void BM_PagePasteMegabyteRefused(benchmark::State& state) { pasteBenchmark(state, megabyteText(), u"kept"); }
void BM_PagePasteLine(benchmark::State& state) { pasteBenchmark(state, u"https://example.org/a-line", u"https://example.org/a-line"); }
BENCHMARK(BM_PagePasteMegabyteRefused)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PagePasteLine)->Unit(benchmark::kMillisecond);

void BM_PageGenerateMegabyteRefused(benchmark::State& state) {
    if (!mainWindow()) {
        state.SkipWithError("the main window could not be created");
        return;
    }
    CQRENCODEUIHandler& page = mainWindow()->EncodeHandler();
    platform::SetWindowText(page.ContentWindow(CQRENCODEUIHandler::kTextTab), megabyteText());
    for (auto _ : state) {
        page.Generate();
        if (page.HasSymbol()) {
            state.SkipWithError("the page made a symbol of a megabyte");
            return;
        }
    }
    platform::SetWindowText(page.ContentWindow(CQRENCODEUIHandler::kTextTab), u"");
}
BENCHMARK(BM_PageGenerateMegabyteRefused)->Unit(benchmark::kMillisecond);

// --- Read a 4000 x 3000 JPEG photo ---

// A photograph-like picture: soft gradients and blobs under sensor noise, with a version-3
// symbol of 30 pixels a module in the middle, in the greys a camera sees rather than black and
// white. Saved as a JPEG once per run.
const std::string& photoPath() {
    static const std::string path = [] {
        constexpr int kWidth = 4000, kHeight = 3000, kModule = 30, kLeft = 1445, kTop = 945;
        platform::RgbImage photo(kWidth, kHeight);
        std::mt19937 random(20240601);
        std::normal_distribution<double> noise(0.0, 3.0);
        struct Blob {
            double x, y, radius, r, g, b;
        };
        std::vector<Blob> blobs;
        std::uniform_real_distribution<double> unit(0.0, 1.0);
        for (int i = 0; i < 12; ++i)
            blobs.push_back({unit(random) * kWidth, unit(random) * kHeight, 300 + unit(random) * 900,
                             unit(random) * 80 - 40, unit(random) * 80 - 40, unit(random) * 80 - 40});
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                double rgb[3] = {120 + 60.0 * x / kWidth, 110 + 50.0 * y / kHeight, 90 + 40.0 * (x + y) / (kWidth + kHeight)};
                for (const Blob& blob : blobs) {
                    const double d2 = ((x - blob.x) * (x - blob.x) + (y - blob.y) * (y - blob.y)) / (blob.radius * blob.radius);
                    if (d2 < 4.0) {
                        const double weight = std::exp(-d2);
                        rgb[0] += blob.r * weight;
                        rgb[1] += blob.g * weight;
                        rgb[2] += blob.b * weight;
                    }
                }
                uint8_t* p = photo.pixel(x, y);
                for (int c = 0; c < 3; ++c) p[c] = static_cast<uint8_t>(std::clamp(rgb[c] + noise(random), 0.0, 255.0));
            }

        auto encoder = std::make_unique<CQREncoder>();
        encoder->encode(1, 3, 1, -1, reinterpret_cast<const unsigned char*>(kPhotoText.data()),
                        static_cast<int>(kPhotoText.size()));
        const int extent = (encoder->side + 8) * kModule;
        for (int py = 0; py < extent; ++py)
            for (int px = 0; px < extent; ++px) {
                const int mx = px / kModule - 4, my = py / kModule - 4;
                const bool dark = mx >= 0 && my >= 0 && mx < encoder->side && my < encoder->side &&
                                  encoder->modules[mx][my];
                uint8_t* p = photo.pixel(kLeft + px, kTop + py);
                const double level = dark ? 45 : 215;
                for (int c = 0; c < 3; ++c) p[c] = static_cast<uint8_t>(std::clamp(level + noise(random), 0.0, 255.0));
            }

        std::vector<uint8_t> jpeg;
        // MEROVASK_BENCH_PHOTO_DIR keeps the photo in that folder, to be looked at.
        const char* keep = std::getenv("MEROVASK_BENCH_PHOTO_DIR");
        const std::string file =
            ((keep && *keep ? std::filesystem::path(keep) : session().folder) / "photo-4000x3000.jpg").string();
        if (!platform::encodeImage(photo, platform::ImageFormat::Jpeg, jpeg).empty() ||
            !platform::writeFileAtomically(file, jpeg).empty())
            return std::string();
        return file;
    }();
    return path;
}

void BM_PageReadJpegPhoto(benchmark::State& state) {
    if (photoPath().empty()) {
        state.SkipWithError("the photo could not be written");
        return;
    }
    if (!mainWindow()) {
        state.SkipWithError("the main window could not be created");
        return;
    }
    CQRDECODEUIHandler& page = mainWindow()->DecodeHandler();
    const std::u16string path = platform::utf8ToUtf16(photoPath());
    // From the open dialog to the fields filled: the read on the page's worker, its result taken
    // from the posted message.
    auto readThroughThePage = [&] {
        platform::SetWindowText(page.TextWindow(), u"");
        session().shell.dialogAnswers.push_back({true, path, 1});
        page.ReadImage();
        page.WaitForRead();
        platform::PumpMessages();
        return platform::GetWindowText(page.TextWindow()) == platform::utf8ToUtf16(kPhotoText);
    };
    for (auto _ : state) {
        if (!readThroughThePage()) {
            state.SkipWithError("the page did not read the photo's symbol");
            return;
        }
    }
}
BENCHMARK(BM_PageReadJpegPhoto)->Unit(benchmark::kMillisecond);

void peerZxing(benchmark::State& state, bool tryHarder) {
    ZXing::DecodeHints hints;
    hints.setFormats(ZXing::BarcodeFormat::QRCode);
    hints.setTryHarder(tryHarder);
    for (auto _ : state) {
        platform::RgbImage picture;
        if (!platform::decodeImageFile(photoPath(), picture).empty()) {
            state.SkipWithError("the photo could not be read");
            return;
        }
        const ZXing::ImageView view(picture.rgb.data(), picture.width, picture.height, ZXing::ImageFormat::RGB);
        const ZXing::Result result = ZXing::ReadBarcode(view, hints);
        if (std::string(result.bytes().begin(), result.bytes().end()) != kPhotoText) {
            state.SkipWithError("zxing-cpp did not read the photo's symbol");
            return;
        }
    }
}
void BM_PeerZxingReadJpegPhoto(benchmark::State& state) { peerZxing(state, false); }
void BM_PeerZxingTryHarderReadJpegPhoto(benchmark::State& state) { peerZxing(state, true); }
BENCHMARK(BM_PeerZxingReadJpegPhoto)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PeerZxingTryHarderReadJpegPhoto)->Unit(benchmark::kMillisecond);

void BM_PeerOurDecoderReadJpegPhoto(benchmark::State& state) {
    for (auto _ : state) {
        const SymbolReading reading = readSymbolFile(photoPath());
        if (!reading.found || reading.textUtf8 != kPhotoText) {
            state.SkipWithError("our decoder did not read the photo's symbol");
            return;
        }
    }
}
BENCHMARK(BM_PeerOurDecoderReadJpegPhoto)->Unit(benchmark::kMillisecond);

// Keeps each benchmark's mean time per iteration (the repetitions' mean when repeated) for the
// closing ratios.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    RatioReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_Color : OO_None) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred || run.iterations == 0) continue;
            const bool aggregate = run.run_type == Run::RT_Aggregate;
            if (aggregate && run.aggregate_name != "mean") continue;
            const double seconds = run.GetAdjustedRealTime() * unitSeconds(run.time_unit);
            // A benchmark's mean comes after its repetitions, so it has the last word.
            means_[run.run_name.function_name] = seconds;
        }
    }
    void printRatios() const {
        std::printf("\n");
        ratio("generate: page / libqrencode + drawing", "BM_PageGenerateVersion40", "BM_PeerLibqrencodeVersion40");
        ratio("generate: page / our encoder + drawing", "BM_PageGenerateVersion40", "BM_PeerOurEncoderVersion40");
        ratio("save v40 x20 PNG: page / libqrencode + writer", "BM_PageSaveVersion40Scale20Png",
              "BM_PeerLibqrencodeSaveVersion40Scale20Png");
        ratio("paste: refused megabyte / taken line", "BM_PagePasteMegabyteRefused", "BM_PagePasteLine");
        ratio("generate: refused megabyte / version 40", "BM_PageGenerateMegabyteRefused", "BM_PageGenerateVersion40");
        ratio("read: page / zxing-cpp (tryHarder off)", "BM_PageReadJpegPhoto", "BM_PeerZxingReadJpegPhoto");
        ratio("read: page / zxing-cpp (tryHarder on)", "BM_PageReadJpegPhoto", "BM_PeerZxingTryHarderReadJpegPhoto");
        ratio("read: page / our decoder alone", "BM_PageReadJpegPhoto", "BM_PeerOurDecoderReadJpegPhoto");
        budget("start-up to the first painted main window", "BM_StartupToFirstPaint", 300e-3);
        budget("generate and draw a version-40 symbol", "BM_PageGenerateVersion40", 10e-3);
        budget("save a version-40 symbol at scale 20 as PNG", "BM_PageSaveVersion40Scale20Png", 150e-3);
        budget("refuse a pasted megabyte", "BM_PagePasteMegabyteRefused", 50e-3);
        budget("read a 4000 x 3000 JPEG photo", "BM_PageReadJpegPhoto", 300e-3);
    }

private:
    static double unitSeconds(benchmark::TimeUnit unit) {
        switch (unit) {
            case benchmark::kNanosecond: return 1e-9;
            case benchmark::kMicrosecond: return 1e-6;
            case benchmark::kMillisecond: return 1e-3;
            default: return 1.0;
        }
    }
    void ratio(const char* label, const std::string& ours, const std::string& peer) const {
        const auto a = means_.find(ours), b = means_.find(peer);
        if (a == means_.end() || b == means_.end() || b->second <= 0) return;
        std::printf("%-48s %6.2fx\n", label, a->second / b->second);
    }
    void budget(const char* label, const std::string& name, double limit) const {
        const auto it = means_.find(name);
        if (it == means_.end()) return;
        std::printf("%-48s %8.2f ms (budget %.0f ms): %s\n", label, it->second * 1e3, limit * 1e3,
                    it->second < limit ? "within" : "OVER");
    }

    std::map<std::string, double> means_;
};

}  // namespace

int main(int argc, char** argv) {
    // The windows draw offscreen unless a display is asked for, and the single-instance lock and
    // the photo live in a folder of this run.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    std::string folder = (std::filesystem::temp_directory_path() / "merovask-bench-app-XXXXXX").string();
    if (!mkdtemp(folder.data())) return 1;
    setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
    int status = 0;
    {
        platform::Application application(argc, argv);
        benchmark::Initialize(&argc, argv);
        Session s;
        g_session = &s;
        s.folder = folder;
        platform::SetShellProvider(&s.shell);
        if (!CTALVORINEXModule::LoadResources()) {
            std::fprintf(stderr, "bench_app: the program's resources did not load\n");
            status = 1;
        } else if (!benchmark::ReportUnrecognizedArguments(argc, argv)) {
            RatioReporter reporter;
            benchmark::RunSpecifiedBenchmarks(&reporter);
            reporter.printRatios();
        }
        benchmark::Shutdown();
        s.mainWindow.reset();
        platform::PumpMessages();
        platform::SetShellProvider(nullptr);
        g_session = nullptr;
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return status;
}
