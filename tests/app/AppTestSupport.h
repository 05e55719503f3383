// Shared by the program's tests: the pools loaded as the program loads them, a scripted shell
// (dialogs, clipboard, tray, menus), the real main window created offscreen, clicks injected
// through its host, steps run inside modal loops, and an independent reader (zxing-cpp) for the
// symbols it shows and saves.
#pragma once

#define ZX_USE_UTF8 1
#include <ZXing/ReadBarcode.h>
#include <gtest/gtest.h>

#include <concepts>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <unistd.h>

#include "app/MainWnd.h"
#include "app/TALVORINEXModule.h"
#include "bkwin/bkdialogimpl.h"
#include "bkwin/bkwinmanager.h"
#include "bkwin/bkwnd.h"
#include "platform/imaging.h"
#include "platform/shell.h"
#include "platform/testing.h"

namespace apptest {

namespace input = platform::testing;

// Runs each step once the modal loop that is running by then takes its next timer tick: a
// hidden helper window's timer fires inside any GetMessage loop, nested ones included. A tick
// can come before the window a step is for: a box shown when a background job's result
// arrives comes in its own time, after ticks in the test's own pumping. Such a step is made
// with When, and ticks pass it by until its window is there.
class ModalScript {
public:
    struct Step {
        template <std::invocable Action>
        Step(Action action) : run(std::move(action)) {}
        std::function<bool()> ready;  // none: the next tick runs the step
        std::function<void()> run;
    };
    // A step run at the first tick at which `ready` holds.
    static Step When(std::function<bool()> ready, std::function<void()> run) {
        Step step(std::move(run));
        step.ready = std::move(ready);
        return step;
    }

    explicit ModalScript(std::vector<Step> steps) : m_steps(std::move(steps)) {
        m_hwnd = platform::CreateWindowEx(0, u"", u"", 0, 0, 0, 10, 10, nullptr, 0,
                                          [this](HWND h, UINT msg, WPARAM w, LPARAM l) -> LRESULT {
                                              if (msg == WM_TIMER) {
                                                  OnTick();
                                                  return 0;
                                              }
                                              return platform::DefWindowProc(h, msg, w, l);
                                          });
        platform::SetTimer(m_hwnd, 1, 20);
    }
    ~ModalScript() { platform::DestroyWindow(m_hwnd); }
    bool Finished() const { return m_next == m_steps.size(); }

private:
    // A step may start a nested modal loop (the About dialog): later steps run inside it.
    void OnTick() {
        if (Finished() || (m_steps[m_next].ready && !m_steps[m_next].ready())) return;
        const size_t step = m_next++;
        m_steps[step].run();
    }

    std::vector<Step> m_steps;
    size_t m_next = 0;
    HWND m_hwnd = nullptr;
};

// A completed left click on element `id` of a skinned dialog (a message box on show).
inline void ClickElement(CBkDialogImpl& dialog, int id) {
    CBkWindow* element = dialog.GetItem(id);
    ASSERT_NE(element, nullptr) << id;
    const platform::RECT& r = element->GetRect();
    const int x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
    HWND host = dialog.GetView().GetHWnd();
    input::InjectMouse(host, input::MouseAction::Move, x, y, input::MouseButton::None);
    input::InjectMouse(host, input::MouseAction::Press, x, y);
    input::InjectMouse(host, input::MouseAction::Release, x, y);
}


class AppTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(CTALVORINEXModule::LoadResources()); }

    void SetUp() override {
        platform::SetShellProvider(&shell);
        std::error_code ignored;
        tempDir = std::filesystem::temp_directory_path() /
                  ("merovask-app-" + std::to_string(::getpid()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(tempDir, ignored);
        std::filesystem::create_directories(tempDir);
    }

    void TearDown() override {
        wnd.reset();
        platform::PumpMessages();
        platform::SetShellProvider(nullptr);
        std::error_code ignored;
        std::filesystem::remove_all(tempDir, ignored);
    }

    // The main window, initialised (pages built, tray added) and shown. Not modal: the test
    // drives it with PumpMessages.
    CTALVORINEXMainWnd& CreateMainWindow() {
        wnd = std::make_unique<CTALVORINEXMainWnd>();
        HWND hwnd = wnd->Create(nullptr);
        EXPECT_NE(hwnd, nullptr);
        platform::ShowWindow(hwnd, platform::SW_SHOW);
        Pump();
        return *wnd;
    }

    HWND Host() const { return wnd->GetViewHWnd(); }

    static void Pump() { platform::PumpMessages(); }

    // A completed left click at the centre of the element with this id (host coordinates), as a
    // user makes it.
    void ClickItem(int id) {
        CBkWindow* element = wnd->GetItem(id);
        ASSERT_NE(element, nullptr) << "no element " << id;
        const platform::RECT& r = element->GetRect();
        ClickAt((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
    void ClickAt(int x, int y) {
        input::InjectMouse(Host(), input::MouseAction::Move, x, y, input::MouseButton::None);
        input::InjectMouse(Host(), input::MouseAction::Press, x, y);
        input::InjectMouse(Host(), input::MouseAction::Release, x, y);
        Pump();
    }

    // A child window's rectangle in its parent's client coordinates.
    static platform::RECT PlacedRect(HWND window) {
        platform::RECT r{};
        platform::GetWindowRect(window, &r);
        platform::POINT origin{0, 0};
        platform::ClientToScreen(platform::GetParent(window), &origin);
        platform::OffsetRect(&r, -origin.x, -origin.y);
        return r;
    }

    // What a window shows now (its kept surface).
    static platform::RgbImage Surface(HWND hwnd) {
        platform::RgbImage image;
        HDC dc = platform::GetDC(hwnd);
        platform::BitmapToRgbImage(platform::GetCurrentBitmap(dc), image);
        platform::ReleaseDC(hwnd, dc);
        return image;
    }
    // What a memory DC holds.
    static platform::RgbImage DcImage(HDC dc) {
        platform::RgbImage image;
        platform::BitmapToRgbImage(platform::GetCurrentBitmap(dc), image);
        return image;
    }

    // zxing-cpp's reading of a picture: the symbol's bytes, or nothing when it finds none.
    struct ZxResult {
        std::vector<uint8_t> bytes;
        std::string ecLevel;
    };
    static std::optional<ZxResult> ZxRead(const platform::RgbImage& image) {
        ZXing::DecodeHints hints;
        hints.setFormats(ZXing::BarcodeFormat::QRCode);
        const ZXing::ImageView view(image.rgb.data(), image.width, image.height, ZXing::ImageFormat::RGB);
        const ZXing::Result result = ZXing::ReadBarcode(view, hints);
        if (!result.isValid()) return std::nullopt;
        return ZxResult{std::vector<uint8_t>(result.bytes().begin(), result.bytes().end()), result.ecLevel()};
    }

    platform::ScriptedShell shell;
    BkWinManager manager;
    std::unique_ptr<CTALVORINEXMainWnd> wnd;
    std::filesystem::path tempDir;
};

}  // namespace apptest
