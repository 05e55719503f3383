// The region mode's picker, driven with real mouse and key events while its modal loop runs.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <vector>

#include "app/ScreenRegionPicker.h"
#include "bkres/bkplatform.h"
#include "platform/testing.h"

namespace {

namespace input = platform::testing;

// Runs `steps` one per timer tick of a hidden window, inside whatever loop is running.
class Steps {
public:
    explicit Steps(std::vector<std::function<void()>> steps) : m_steps(std::move(steps)) {
        m_hwnd = CreateWindowEx(0, u"", u"", 0, 0, 0, 10, 10, nullptr, 0, [this](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
            if (m == WM_TIMER && m_next < m_steps.size()) m_steps[m_next++]();
            return m == WM_TIMER ? 0 : DefWindowProc(h, m, w, l);
        });
        SetTimer(m_hwnd, 1, 20);
    }
    ~Steps() { DestroyWindow(m_hwnd); }

private:
    std::vector<std::function<void()>> m_steps;
    size_t m_next = 0;
    HWND m_hwnd = nullptr;
};

TEST(ScreenRegionPicker, ADragPicksItsRectangleInEitherDirectionAndEscapeGivesUp) {
    const platform::RgbImage screenshot(400, 300, 0x80);
    Steps drag({
        [] { ASSERT_NE(CScreenRegionPicker::Window(), nullptr); },
        [] { input::InjectMouse(CScreenRegionPicker::Window(), input::MouseAction::Press, 210, 160); },
        [] { input::InjectMouse(CScreenRegionPicker::Window(), input::MouseAction::Move, 100, 90); },
        // Past the screenshot's edge: the rectangle stops at it.
        [] { input::InjectMouse(CScreenRegionPicker::Window(), input::MouseAction::Move, -20, 40); },
        [] { input::InjectMouse(CScreenRegionPicker::Window(), input::MouseAction::Release, -20, 40); },
    });
    const std::optional<RECT> picked = CScreenRegionPicker::Pick(screenshot, u"drag");
    ASSERT_TRUE(picked);
    EXPECT_EQ(picked->left, 0);
    EXPECT_EQ(picked->top, 40);
    EXPECT_EQ(picked->right, 210);
    EXPECT_EQ(picked->bottom, 160);
    EXPECT_EQ(CScreenRegionPicker::Window(), nullptr);

    Steps giveUp({
        // A click is no pick: the picker stays until Escape.
        [] { input::InjectMouse(CScreenRegionPicker::Window(), input::MouseAction::Press, 50, 50); },
        [] { input::InjectMouse(CScreenRegionPicker::Window(), input::MouseAction::Release, 52, 51); },
        [] { input::InjectKey(CScreenRegionPicker::Window(), VK_ESCAPE); },
    });
    EXPECT_FALSE(CScreenRegionPicker::Pick(screenshot, u"escape"));
}

// Run at QT_SCALE_FACTOR=2 by ctest's app.region_picker_at_scale_2: the screenshot holds twice
// the window's logical pixels; the window covers the screen, and the pick is in the
// screenshot's pixels.
TEST(ScreenRegionPicker, AtScale2TheWindowCoversTheScreenAndPicksInTheScreenshotsPixels) {
    if (!std::getenv("QT_SCALE_FACTOR")) GTEST_SKIP() << "runs under QT_SCALE_FACTOR (app.region_picker_at_scale_2)";
    ASSERT_EQ(platform::GetScreenScale(), 2.0);
    const platform::RgbImage screenshot(400, 300, 0x80);
    RECT client{};
    Steps drag({
        [&client] { GetClientRect(CScreenRegionPicker::Window(), &client); },
        [] { input::InjectMouse(CScreenRegionPicker::Window(), input::MouseAction::Press, 10, 20); },
        [] { input::InjectMouse(CScreenRegionPicker::Window(), input::MouseAction::Move, 60, 70); },
        [] { input::InjectMouse(CScreenRegionPicker::Window(), input::MouseAction::Release, 60, 70); },
    });
    const std::optional<RECT> picked = CScreenRegionPicker::Pick(screenshot, u"drag");
    EXPECT_EQ(client.right, 200);
    EXPECT_EQ(client.bottom, 150);
    ASSERT_TRUE(picked);
    EXPECT_EQ(picked->left, 20);
    EXPECT_EQ(picked->top, 40);
    EXPECT_EQ(picked->right, 120);
    EXPECT_EQ(picked->bottom, 140);
}

}  // namespace
