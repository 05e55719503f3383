// Draws a sheet of text, marks and icons and writes it as a PNG in the build tree, so that a
// person can look at what the layer draws; checks the Chinese line has real glyphs.
#include <gtest/gtest.h>

#include "Canvas.h"
#include "platform/font.h"
#include "platform/gdi.h"
#include "platform/imaging.h"

namespace platform {
namespace {

TEST(SampleSheet, DrawsAndWritesThePicture) {
    testing::Canvas c(360, 200, RGB(0xFB, 0xFC, 0xFD));
    HDC dc = c.dc();
    LOGFONTW lf;
    lf.lfHeight = -12;
    lf.lfQuality = ANTIALIASED_QUALITY;
    SetFaceName(lf, u"微软雅黑");
    HFONT base = CreateFontIndirect(&lf);
    lf.lfHeight = -22;
    lf.lfWeight = FW_BOLD;
    HFONT title = CreateFontIndirect(&lf);
    HFONT old = SelectObject(dc, title);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0x30, 0x64, 0xA5));
    RECT r{10, 8, 350, 40};
    DrawText(dc, u"MerovaskV1.0 制作 解码 关于", &r, DT_SINGLELINE | DT_VCENTER);
    SelectObject(dc, base);
    SetTextColor(dc, RGB(0, 0, 0));
    RECT body{10, 44, 200, 120};
    DrawText(dc, u"解码后的相关文本: The quick brown fox jumps over the lazy dog.", &body, DT_WORDBREAK | DT_NOPREFIX);
    RECT ell{10, 124, 120, 144};
    DrawText(dc, u"一段很长很长的标题文字会被省略", &ell, DT_SINGLELINE | DT_END_ELLIPSIS);
    for (int s = 1; s <= 8; ++s) {
        RECT box{210 + (s - 1) * 17, 50, 223 + (s - 1) * 17, 63};
        DrawButtonMark(dc, BP_CHECKBOX, s, &box);
        RECT radio{210 + (s - 1) * 17, 70, 222 + (s - 1) * 17, 82};
        DrawButtonMark(dc, BP_RADIOBUTTON, s, &radio);
    }
    int x = 210;
    for (int id : {IDI_HAND, IDI_QUESTION, IDI_EXCLAMATION, IDI_ASTERISK}) {
        HICON icon = LoadSystemIcon(id, 32);
        DrawIconEx(dc, x, 95, icon, 32, 32);
        DestroyIcon(icon);
        x += 36;
    }
    RECT grad{10, 150, 350, 190};
    GradientFillRect(dc, &grad, RGB(255, 255, 255), RGB(0xE4, 0xE5, 0xF0), true);
    HPEN pen = CreatePen(PS_DASHDOT, 1, RGB(0x70, 0x70, 0x70));
    HPEN oldPen = SelectObject(dc, pen);
    MoveToEx(dc, 10, 195, nullptr);
    LineTo(dc, 350, 195);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
    SelectObject(dc, old);

    RECT chinese{10, 8, 350, 40};
    EXPECT_GT(c.countNot(chinese, RGB(0xFB, 0xFC, 0xFD)), 300);
    RgbImage img;
    ASSERT_TRUE(BitmapToRgbImage(c.bitmap(), img));
    std::vector<uint8_t> png;
    ASSERT_EQ(encodeImage(img, ImageFormat::Png, png), "");
    EXPECT_EQ(writeFileAtomically(MEROVASK_SAMPLE_DIR "/platform_sample.png", png), "");
    DeleteObject(base);
    DeleteObject(title);
}

}  // namespace
}  // namespace platform
