// The skinned window on dense screens: its art drawn from the 2x images, and its back buffer
// following the window to a screen of another pixel ratio. Each runs in its own ctest entry
// with the screens it needs (tests/bkwin/CMakeLists.txt) and skips elsewhere.
#include <gtest/gtest.h>

#include <cstdlib>

#include "HostTestSupport.h"
#include "platform/imaging.h"

using namespace hosttest;

namespace {

const char* kLayer = R"(<layer title="Scale" width=350 height=240>
  <header class=msgboxhead width=full height=31>
    <imgbtn id=60001 class=linkimage skin=closeonlybtn pos="-43,0"/>
  </header>
  <footer class=msgboxfoot width=full height=45/>
  <body class=msgboxbody width=full height=full/>
</layer>)";

platform::RgbImage BackBuffer(RecordingDialog& dlg) {
    dlg.GetView().RenderBuffer();
    platform::RgbImage image;
    EXPECT_TRUE(platform::BitmapToRgbImage(dlg.GetView().GetBackBuffer(), image));
    return image;
}

bool IsBlue(const uint8_t* p) { return p[0] == 47 && p[1] == 128 && p[2] == 216; }

using HostAtScale2 = HostTest;

TEST_F(HostAtScale2, SkinArtIsDrawnAtTheScreensPixels) {
    if (platform::GetScreenScale() != 2.0) GTEST_SKIP() << "runs at scale 2 (bkwin.skin_art_at_scale_2)";
    RecordingDialog dlg;
    ASSERT_TRUE(dlg.SetXml(kLayer));
    ASSERT_NE(dlg.Create(nullptr), nullptr);
    const platform::RgbImage image = BackBuffer(dlg);
    ASSERT_EQ(image.width, 700);
    ASSERT_EQ(image.height, 480);

    // The close button's cross has edges finer than a logical pixel: 1x art enlarged would give
    // every pair of device columns 2x, 2x + 1 the same colour.
    const RECT close = dlg.GetItem(60001)->GetRect();
    int finerEdges = 0;
    for (int y = 2 * close.top; y < 2 * close.bottom; ++y) {
        for (int x = 2 * close.left; x < 2 * close.right; x += 2) {
            if (image.pixel(x, y)[1] != image.pixel(x + 1, y)[1]) ++finerEdges;
        }
    }
    EXPECT_GT(finerEdges, 10);

    // The body's frame (a 5 x 3 nine-patch, its blue sides one logical pixel wide) is two
    // device pixels wide on each side, stretched between them from the 2x art's own columns.
    const int y = 2 * 100;
    EXPECT_TRUE(IsBlue(image.pixel(0, y)) && IsBlue(image.pixel(1, y)));
    EXPECT_FALSE(IsBlue(image.pixel(2, y)));
    EXPECT_TRUE(IsBlue(image.pixel(699, y)) && IsBlue(image.pixel(698, y)));
    EXPECT_FALSE(IsBlue(image.pixel(697, y)));
}

using HostOnTwoScreens = HostTest;

TEST_F(HostOnTwoScreens, BackBufferFollowsTheWindowToAScreenOfAnotherRatio) {
    const char* factors = std::getenv("QT_SCREEN_SCALE_FACTORS");
    if (!factors || platform::GetScreenScale() != 1.0) {
        GTEST_SKIP() << "runs on screens at 1 and 2 (bkwin.back_buffer_follows_screen)";
    }
    RecordingDialog dlg;
    ASSERT_TRUE(dlg.SetXml(kLayer));
    ASSERT_NE(dlg.Create(nullptr), nullptr);
    ShowWindow(dlg.GetHWnd(), SW_SHOW);
    PumpMessages();
    EXPECT_EQ(BackBuffer(dlg).width, 350);

    // The second screen, right of the first, is at scale 2. Same size: no WM_SIZE.
    SetWindowPos(dlg.GetHWnd(), nullptr, 1000, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    PumpMessages();
    const platform::RgbImage moved = BackBuffer(dlg);
    EXPECT_EQ(moved.width, 700);
    EXPECT_EQ(moved.height, 480);

    SetWindowPos(dlg.GetHWnd(), nullptr, 100, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    PumpMessages();
    EXPECT_EQ(BackBuffer(dlg).width, 350);
}

}  // namespace
