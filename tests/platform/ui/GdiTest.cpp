#include <gtest/gtest.h>

#include <cstdlib>

#include "Canvas.h"
#include "platform/gdi.h"
#include "platform/imaging.h"
#include "platform/window.h"

namespace platform {
namespace {

using testing::Canvas;

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

TEST(Colors, RedIsInTheLowByte) {
    EXPECT_EQ(RGB(0x12, 0x34, 0x56), 0x563412u);
    EXPECT_EQ(GetRValue(0x563412u), 0x12);
    EXPECT_EQ(GetBValue(0x563412u), 0x56);
}

TEST(Bitmaps, PixelsAndFillsStayInsideTheBitmap) {
    Canvas c(10, 8);
    RECT r{-5, -5, 4, 3};
    FillSolidRect(c.dc(), &r, RGB(10, 20, 30));
    EXPECT_EQ(c.at(0, 0), RGB(10, 20, 30));
    EXPECT_EQ(c.at(3, 2), RGB(10, 20, 30));
    EXPECT_EQ(c.at(4, 2), kWhite);
    EXPECT_EQ(c.at(3, 3), kWhite);
    EXPECT_EQ(GetPixel(c.dc(), 10, 0), CLR_INVALID);
    EXPECT_EQ(SetPixel(c.dc(), -1, 0, kBlack), CLR_INVALID);
    EXPECT_EQ(SetPixel(c.dc(), 9, 7, RGB(1, 2, 3)), RGB(1, 2, 3));
    EXPECT_EQ(c.at(9, 7), RGB(1, 2, 3));
}

TEST(Bitmaps, SelectedBitmapIsNotDeletedAndCompatibleBitmapsFollowTheDc) {
    HDC dc = CreateCompatibleDC(nullptr);
    EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), 1);  // a fresh memory DC holds a 1 x 1 monochrome bitmap
    HBITMAP mono = CreateCompatibleBitmap(dc, 4, 4);
    BITMAP bm;
    ASSERT_TRUE(GetObject(mono, &bm));
    EXPECT_EQ(bm.bmBitsPixel, 1);
    HDC screen = CreateCompatibleDC(nullptr);
    HBITMAP color = CreateBitmap(4, 4, 1, 32, nullptr);
    HBITMAP old = SelectObject(screen, color);
    HBITMAP color2 = CreateCompatibleBitmap(screen, 3, 3);
    ASSERT_TRUE(GetObject(color2, &bm));
    EXPECT_EQ(bm.bmBitsPixel, 32);
    EXPECT_FALSE(DeleteObject(color));  // still selected
    SelectObject(screen, old);
    EXPECT_TRUE(DeleteObject(color));
    EXPECT_TRUE(DeleteObject(color2));
    EXPECT_TRUE(DeleteObject(mono));
    EXPECT_EQ(CreateCompatibleBitmap(dc, 0, 5), nullptr);
    EXPECT_EQ(CreateCompatibleBitmap(dc, 100000, 100000), nullptr);
    DeleteDC(screen);
    DeleteDC(dc);
}

TEST(Bitmaps, DeletingTheDcFirstKeepsTheBitmapUsable) {
    HBITMAP b = CreateBitmap(2, 2, 1, 32, nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, b);
    DeleteDC(dc);
    HDC again = CreateCompatibleDC(nullptr);
    SelectObject(again, b);
    EXPECT_EQ(GetPixel(again, 1, 1), kBlack);
    DeleteDC(again);
    EXPECT_TRUE(DeleteObject(b));
}

TEST(Blit, MonochromeToColourUsesTextAndBackgroundColours) {
    Canvas mono(2, 1, kWhite, true);
    SetPixel(mono.dc(), 0, 0, kBlack);
    Canvas color(2, 1);
    SetTextColor(color.dc(), RGB(200, 0, 0));
    SetBkColor(color.dc(), RGB(0, 0, 200));
    ASSERT_TRUE(BitBlt(color.dc(), 0, 0, 2, 1, mono.dc(), 0, 0, SRCCOPY));
    EXPECT_EQ(color.at(0, 0), RGB(200, 0, 0));
    EXPECT_EQ(color.at(1, 0), RGB(0, 0, 200));
}

TEST(Blit, ColourToMonochromeMakesTheBackgroundColourWhite) {
    Canvas color(3, 1, RGB(255, 0, 255));
    SetPixel(color.dc(), 1, 0, RGB(255, 255, 255));
    SetPixel(color.dc(), 2, 0, RGB(10, 10, 10));
    SetBkColor(color.dc(), RGB(255, 0, 255));
    Canvas mono(3, 1, kBlack, true);
    BitBlt(mono.dc(), 0, 0, 3, 1, color.dc(), 0, 0, SRCCOPY);
    EXPECT_EQ(mono.at(0, 0), kWhite);  // the key colour
    EXPECT_EQ(mono.at(1, 0), kBlack);  // white, but not the background colour
    EXPECT_EQ(mono.at(2, 0), kBlack);
}

TEST(Blit, RasterOperationsCombineBits) {
    Canvas src(1, 1, RGB(0x0F, 0xF0, 0x33));
    Canvas dst(1, 1, RGB(0xF0, 0xF0, 0x0F));
    BitBlt(dst.dc(), 0, 0, 1, 1, src.dc(), 0, 0, SRCAND);
    EXPECT_EQ(dst.at(0, 0), RGB(0x00, 0xF0, 0x03));
    BitBlt(dst.dc(), 0, 0, 1, 1, src.dc(), 0, 0, SRCPAINT);
    EXPECT_EQ(dst.at(0, 0), RGB(0x0F, 0xF0, 0x33));
    BitBlt(dst.dc(), 0, 0, 1, 1, src.dc(), 0, 0, SRCINVERT);
    EXPECT_EQ(dst.at(0, 0), RGB(0, 0, 0));
}

TEST(Blit, OverlappingCopyWithinOneBitmap) {
    Canvas c(4, 1);
    for (int x = 0; x < 4; ++x) SetPixel(c.dc(), x, 0, RGB(x * 10, 0, 0));
    BitBlt(c.dc(), 1, 0, 3, 1, c.dc(), 0, 0, SRCCOPY);
    EXPECT_EQ(c.at(1, 0), RGB(0, 0, 0));
    EXPECT_EQ(c.at(2, 0), RGB(10, 0, 0));
    EXPECT_EQ(c.at(3, 0), RGB(20, 0, 0));
}

TEST(Blit, StretchIsNearestNeighbour) {
    // A 3 x 1 picture stretched to 9 x 2 repeats every source pixel 3 times, with no blending.
    Canvas src(3, 1);
    SetPixel(src.dc(), 0, 0, kBlack);
    SetPixel(src.dc(), 2, 0, RGB(255, 0, 0));
    Canvas dst(9, 2, RGB(0, 255, 0));
    ASSERT_TRUE(StretchBlt(dst.dc(), 0, 0, 9, 2, src.dc(), 0, 0, 3, 1, SRCCOPY));
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 9; ++x) {
            const COLORREF want = x < 3 ? kBlack : x < 6 ? kWhite : RGB(255, 0, 0);
            EXPECT_EQ(dst.at(x, y), want) << x << "," << y;
        }
    }
    // Shrinking picks pixels: 29 modules at 2 px each back to 29 gives the modules.
    Canvas wide(58, 1);
    for (int m = 0; m < 29; ++m)
        if (m % 3 == 0) {
            SetPixel(wide.dc(), 2 * m, 0, kBlack);
            SetPixel(wide.dc(), 2 * m + 1, 0, kBlack);
        }
    Canvas narrow(29, 1, RGB(0, 0, 255));
    StretchBlt(narrow.dc(), 0, 0, 29, 1, wide.dc(), 0, 0, 58, 1, SRCCOPY);
    for (int m = 0; m < 29; ++m) EXPECT_EQ(narrow.at(m, 0), m % 3 == 0 ? kBlack : kWhite) << m;
}

TEST(Blit, StretchWithNegativeWidthMirrors) {
    Canvas src(2, 1);
    SetPixel(src.dc(), 0, 0, kBlack);
    Canvas dst(2, 1, RGB(0, 255, 0));
    StretchBlt(dst.dc(), 2, 0, -2, 1, src.dc(), 0, 0, 2, 1, SRCCOPY);
    EXPECT_EQ(dst.at(0, 0), kWhite);
    EXPECT_EQ(dst.at(1, 0), kBlack);
}

TEST(Blit, TransparentBltLeavesKeyPixels) {
    Canvas src(2, 2, RGB(255, 0, 255));
    SetPixel(src.dc(), 1, 1, RGB(1, 2, 3));
    Canvas dst(4, 4, RGB(9, 9, 9));
    ASSERT_TRUE(TransparentBlt(dst.dc(), 0, 0, 4, 4, src.dc(), 0, 0, 2, 2, RGB(255, 0, 255)));
    EXPECT_EQ(dst.at(0, 0), RGB(9, 9, 9));
    EXPECT_EQ(dst.at(1, 1), RGB(9, 9, 9));
    EXPECT_EQ(dst.at(2, 2), RGB(1, 2, 3));
    EXPECT_EQ(dst.at(3, 3), RGB(1, 2, 3));
}

TEST(Blit, StraightAlphaBlend) {
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection32(3, 1, &bits);
    ASSERT_NE(dib, nullptr);
    auto* px = static_cast<uint8_t*>(bits);  // B, G, R, A
    const uint8_t pixels[12] = {0, 0, 255, 255, /**/ 0, 0, 255, 128, /**/ 0, 0, 255, 0};
    std::copy(pixels, pixels + 12, px);
    HDC src = CreateCompatibleDC(nullptr);
    HBITMAP old = SelectObject(src, dib);
    Canvas dst(3, 1, RGB(0, 0, 200));
    ASSERT_TRUE(AlphaBlendStraight(dst.dc(), 0, 0, 3, 1, src, 0, 0));
    EXPECT_EQ(dst.at(0, 0), RGB(255, 0, 0));
    // (200 * 127 + 0 * 128) / 255 = 99 blue, 255 * 128 / 255 = 128 red
    EXPECT_EQ(dst.at(1, 0), RGB(128, 0, 99));
    EXPECT_EQ(dst.at(2, 0), RGB(0, 0, 200));
    SelectObject(src, old);
    DeleteObject(dib);

    // Bitmaps from RGB pictures are 24-bit: nothing is drawn.
    RgbImage rgb(1, 1, 0);
    HBITMAP b24 = CreateBitmapFromRgb(rgb);
    SelectObject(src, b24);
    EXPECT_FALSE(AlphaBlendStraight(dst.dc(), 0, 0, 1, 1, src, 0, 0));
    EXPECT_EQ(dst.at(0, 0), RGB(255, 0, 0));
    SelectObject(src, old);
    DeleteObject(b24);
    DeleteDC(src);
}

TEST(Gradient, VerticalAndHorizontalEnds) {
    Canvas c(4, 4);
    RECT r{0, 0, 4, 4};
    ASSERT_TRUE(GradientFillRect(c.dc(), &r, RGB(0, 0, 0), RGB(200, 100, 40), true));
    EXPECT_EQ(c.at(0, 0), RGB(0, 0, 0));
    EXPECT_EQ(c.at(3, 0), RGB(0, 0, 0));     // rows are uniform
    EXPECT_EQ(c.at(0, 2), RGB(100, 50, 20));  // i / n of the way
    EXPECT_EQ(c.at(0, 3), RGB(150, 75, 30));
    ASSERT_TRUE(GradientFillRect(c.dc(), &r, RGB(200, 0, 0), RGB(0, 0, 0), false));
    EXPECT_EQ(c.at(0, 3), RGB(200, 0, 0));
    EXPECT_EQ(c.at(2, 0), RGB(100, 0, 0));
}

TEST(Regions, CombineAndClip) {
    HRGN a = CreateRectRgn(0, 0, 4, 4);
    HRGN b = CreateRectRgn(6, 0, 8, 2);
    HRGN u = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(CombineRgn(u, a, b, RGN_OR), COMPLEXREGION);
    EXPECT_TRUE(PtInRegion(u, 7, 1));
    EXPECT_FALSE(PtInRegion(u, 5, 1));
    RECT box;
    EXPECT_EQ(GetRgnBox(u, &box), COMPLEXREGION);
    EXPECT_EQ(box, (RECT{0, 0, 8, 4}));
    EXPECT_EQ(CombineRgn(u, u, a, RGN_DIFF), SIMPLEREGION);
    EXPECT_EQ(CombineRgn(u, u, u, RGN_DIFF), NULLREGION);

    Canvas c(10, 5);
    CombineRgn(u, a, b, RGN_OR);
    SelectClipRgn(c.dc(), u);
    RECT all{0, 0, 10, 5};
    FillSolidRect(c.dc(), &all, kBlack);
    EXPECT_EQ(c.at(3, 3), kBlack);
    EXPECT_EQ(c.at(7, 1), kBlack);
    EXPECT_EQ(c.at(5, 1), kWhite);
    EXPECT_EQ(c.at(7, 3), kWhite);
    EXPECT_EQ(c.countNot(all, kWhite), 16 + 4);
    // The region was copied: changing it later does not change the clip.
    SetRectRgn(u, 0, 0, 10, 5);
    SetPixel(c.dc(), 9, 4, kBlack);
    EXPECT_EQ(c.at(9, 4), kWhite);
    SelectClipRgn(c.dc(), nullptr);
    IntersectClipRect(c.dc(), 8, 0, 10, 5);
    ExcludeClipRect(c.dc(), 9, 4, 10, 5);
    FillSolidRect(c.dc(), &all, RGB(1, 1, 1));
    EXPECT_EQ(c.at(8, 4), RGB(1, 1, 1));
    EXPECT_EQ(c.at(9, 4), kWhite);
    EXPECT_EQ(c.at(7, 4), kWhite);
    DeleteObject(a);
    DeleteObject(b);
    DeleteObject(u);
}

TEST(Lines, EndPointIsLeftOutAndStylesDash) {
    Canvas c(60, 3);
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
    HPEN old = SelectObject(c.dc(), pen);
    MoveToEx(c.dc(), 0, 0, nullptr);
    LineTo(c.dc(), 5, 0);
    EXPECT_EQ(c.at(4, 0), RGB(255, 0, 0));
    EXPECT_EQ(c.at(5, 0), kWhite);
    EXPECT_FALSE(DeleteObject(pen));
    SelectObject(c.dc(), old);
    EXPECT_TRUE(DeleteObject(pen));

    HPEN dash = CreatePen(PS_DASH, 1, kBlack);
    old = SelectObject(c.dc(), dash);
    SetBkMode(c.dc(), TRANSPARENT);
    MoveToEx(c.dc(), 0, 1, nullptr);
    LineTo(c.dc(), 48, 1);
    EXPECT_EQ(c.at(17, 1), kBlack);  // 18 on
    EXPECT_EQ(c.at(18, 1), kWhite);  // 6 off
    EXPECT_EQ(c.at(23, 1), kWhite);
    EXPECT_EQ(c.at(24, 1), kBlack);
    SelectObject(c.dc(), old);
    DeleteObject(dash);

    HPEN dot = CreatePen(PS_DOT, 1, kBlack);
    old = SelectObject(c.dc(), dot);
    SetBkMode(c.dc(), OPAQUE);
    SetBkColor(c.dc(), RGB(0, 0, 255));
    MoveToEx(c.dc(), 0, 2, nullptr);
    LineTo(c.dc(), 12, 2);
    EXPECT_EQ(c.at(2, 2), kBlack);
    EXPECT_EQ(c.at(3, 2), RGB(0, 0, 255));  // gaps take the background colour when opaque
    EXPECT_EQ(c.at(6, 2), kBlack);
    SelectObject(c.dc(), old);
    DeleteObject(dot);
}

TEST(Shapes, RectangleOutlineAndFill) {
    Canvas c(6, 6);
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(0x70, 0x70, 0x70));
    HBRUSH brush = CreateSolidBrush(RGB(0, 0, 255));
    HPEN oldPen = SelectObject(c.dc(), pen);
    HBRUSH oldBrush = SelectObject(c.dc(), brush);
    Rectangle(c.dc(), 1, 1, 5, 5);
    EXPECT_EQ(c.at(1, 1), RGB(0x70, 0x70, 0x70));
    EXPECT_EQ(c.at(4, 4), RGB(0x70, 0x70, 0x70));
    EXPECT_EQ(c.at(2, 2), RGB(0, 0, 255));
    EXPECT_EQ(c.at(5, 5), kWhite);
    SelectObject(c.dc(), GetStockBrush(NULL_BRUSH));
    RECT all{0, 0, 6, 6};
    FillSolidRect(c.dc(), &all, kWhite);
    Rectangle(c.dc(), 0, 0, 6, 6);
    EXPECT_EQ(c.at(3, 3), kWhite);  // hollow
    EXPECT_EQ(c.at(5, 3), RGB(0x70, 0x70, 0x70));
    SelectObject(c.dc(), oldPen);
    SelectObject(c.dc(), oldBrush);
    DeleteObject(pen);
    DeleteObject(brush);
}

TEST(Shapes, RoundRectLeavesTheCornersOut) {
    Canvas c(20, 12);
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(0x70, 0x70, 0x70));
    HPEN oldPen = SelectObject(c.dc(), pen);
    HBRUSH oldBrush = SelectObject(c.dc(), GetStockBrush(NULL_BRUSH));
    RoundRect(c.dc(), 0, 0, 20, 12, 4, 4);
    EXPECT_EQ(c.at(0, 0), kWhite);
    EXPECT_EQ(c.at(19, 11), kWhite);
    EXPECT_EQ(c.at(10, 0), RGB(0x70, 0x70, 0x70));
    EXPECT_EQ(c.at(0, 6), RGB(0x70, 0x70, 0x70));
    EXPECT_EQ(c.at(19, 6), RGB(0x70, 0x70, 0x70));
    EXPECT_EQ(c.at(10, 11), RGB(0x70, 0x70, 0x70));
    EXPECT_EQ(c.at(10, 6), kWhite);
    SelectObject(c.dc(), oldPen);
    SelectObject(c.dc(), oldBrush);
    DeleteObject(pen);
}

TEST(Bitmaps, MonochromeBitsArePaddedRowsAndPicturesStretch) {
    // 3 x 2, rows padded to 16 bits: row 0 = 1 0 1, row 1 = 0 1 0 (1 is white).
    const uint8_t bits[] = {0xA0, 0x00, 0x40, 0x00};
    HBITMAP mono = CreateBitmap(3, 2, 1, 1, bits);
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP old = SelectObject(dc, mono);
    EXPECT_EQ(GetPixel(dc, 0, 0), kWhite);
    EXPECT_EQ(GetPixel(dc, 1, 0), kBlack);
    EXPECT_EQ(GetPixel(dc, 1, 1), kWhite);
    // Drawing a colour on a monochrome bitmap gives the nearer of black and white.
    SetPixel(dc, 0, 1, RGB(200, 200, 200));
    EXPECT_EQ(GetPixel(dc, 0, 1), kWhite);
    SetPixel(dc, 0, 1, RGB(100, 0, 0));
    EXPECT_EQ(GetPixel(dc, 0, 1), kBlack);
    SelectObject(dc, old);
    DeleteObject(mono);
    DeleteDC(dc);

    RgbImage img(2, 2, 0);
    img.pixel(1, 0)[0] = 255;
    Canvas c(4, 4);
    ASSERT_TRUE(StretchRgbImage(c.dc(), 0, 0, 4, 4, img));
    EXPECT_EQ(c.at(3, 1), RGB(255, 0, 0));
    EXPECT_EQ(c.at(1, 1), kBlack);
    EXPECT_EQ(c.at(3, 3), kBlack);
    RgbImage broken;
    broken.width = 5;
    broken.height = 5;  // no pixels
    EXPECT_FALSE(StretchRgbImage(c.dc(), 0, 0, 4, 4, broken));
}

TEST(Images, PngAlphaComposesOverTheDestination) {
    RgbaImage img;
    img.width = 2;
    img.height = 1;
    img.rgba = {255, 0, 0, 255, /**/ 0, 0, 255, 0};
    std::vector<uint8_t> png;
    HIMAGE h = CreateImageFromRgba(img);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(GetImageWidth(h), 2);
    Canvas c(4, 1, RGB(0, 200, 0));
    ASSERT_TRUE(DrawImage(c.dc(), h, 1, 0, 0, 0, 2, 1));
    EXPECT_EQ(c.at(0, 0), RGB(0, 200, 0));
    EXPECT_EQ(c.at(1, 0), RGB(255, 0, 0));
    EXPECT_EQ(c.at(2, 0), RGB(0, 200, 0));  // transparent pixel
    // A source slice: only the second pixel.
    ASSERT_TRUE(DrawImage(c.dc(), h, 3, 0, 1, 0, 1, 1));
    EXPECT_EQ(c.at(3, 0), RGB(0, 200, 0));
    DeleteImage(h);
    const uint8_t junk[] = {1, 2, 3, 4};
    EXPECT_EQ(CreateImageFromPng(junk, sizeof junk), nullptr);
}

TEST(Icons, SystemIconsDrawAndUnknownIdsFail) {
    for (int id : {IDI_HAND, IDI_QUESTION, IDI_EXCLAMATION, IDI_ASTERISK, IDI_APPLICATION}) {
        HICON icon = LoadSystemIcon(id, 32);
        ASSERT_NE(icon, nullptr) << id;
        Canvas c(40, 40);
        DrawIconEx(c.dc(), 4, 4, icon, 32, 32);
        RECT all{0, 0, 40, 40};
        EXPECT_GT(c.countNot(all, kWhite), 200) << id;
        const RECT ink = c.inkBox(kWhite);
        EXPECT_GE(ink.left, 4);
        EXPECT_LE(ink.right, 36);
        DestroyIcon(icon);
    }
    EXPECT_EQ(LoadSystemIcon(12345, 32), nullptr);
}

TEST(Marks, CheckedDiffersFromUncheckedAndDisabledIsGrey) {
    auto draw = [](int part, int state) {
        Canvas c(13, 13);
        RECT r{0, 0, 13, 13};
        EXPECT_TRUE(DrawButtonMark(c.dc(), part, state, &r));
        RgbImage img;
        BitmapToRgbImage(c.bitmap(), img);
        return img.rgb;
    };
    for (int part : {BP_CHECKBOX, BP_RADIOBUTTON}) {
        EXPECT_NE(draw(part, CBS_UNCHECKEDNORMAL), draw(part, CBS_CHECKEDNORMAL));
        EXPECT_NE(draw(part, CBS_UNCHECKEDNORMAL), draw(part, CBS_UNCHECKEDHOT));
        EXPECT_NE(draw(part, CBS_UNCHECKEDNORMAL), draw(part, CBS_UNCHECKEDPRESSED));
        EXPECT_NE(draw(part, CBS_CHECKEDNORMAL), draw(part, CBS_CHECKEDDISABLED));
    }
    Canvas c(13, 13);
    RECT r{0, 0, 13, 13};
    EXPECT_FALSE(DrawButtonMark(c.dc(), BP_CHECKBOX, 9, &r));
    EXPECT_FALSE(DrawButtonMark(c.dc(), 7, 1, &r));
    // The centre of a checked box holds the dark tick colour.
    DrawButtonMark(c.dc(), BP_CHECKBOX, CBS_CHECKEDNORMAL, &r);
    RECT inner{2, 2, 11, 11};
    EXPECT_GT(c.countNot(inner, kWhite), 6);
}

// Run at QT_SCALE_FACTOR=2 by ctest's platform.drawing_at_scale_2: bitmaps made for the screen
// hold its device pixels, and text and stretched modules are drawn at that resolution rather
// than drawn at 1 and enlarged.
TEST(ScreenScale, DrawingIsAtTheScreensDevicePixels) {
    const char* factor = std::getenv("QT_SCALE_FACTOR");
    if (!factor) GTEST_SKIP() << "runs under QT_SCALE_FACTOR (platform.drawing_at_scale_2)";
    ASSERT_EQ(GetScreenScale(), 2.0);
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 60, 30);
    ReleaseDC(nullptr, screen);
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP old = SelectObject(dc, bitmap);
    RECT all{0, 0, 60, 30};
    FillSolidRect(dc, &all, kWhite);
    // Two modules, black and white, stretched over three logical pixels.
    const uint8_t bits[2] = {0x40, 0};
    HBITMAP modules = CreateBitmap(2, 1, 1, 1, bits);
    HDC src = CreateCompatibleDC(dc);
    HBITMAP oldModules = SelectObject(src, modules);
    StretchBlt(dc, 0, 0, 3, 2, src, 0, 0, 2, 1, SRCCOPY);
    SetBkMode(dc, TRANSPARENT);
    RECT text{6, 0, 60, 30};
    DrawText(dc, u"Ag", &text, DT_SINGLELINE | DT_NOPREFIX);

    RgbImage img;
    ASSERT_TRUE(BitmapToRgbImage(bitmap, img));
    ASSERT_EQ(img.width, 120);
    ASSERT_EQ(img.height, 60);
    // The module edge at device pixel 3 (drawn at 1 and doubled, it would be at 2).
    EXPECT_EQ(img.pixel(2, 0)[0], 0);
    EXPECT_EQ(img.pixel(3, 0)[0], 255);
    // Glyph edges finer than a logical pixel: some 2 x 2 block is not of one colour.
    int mixedBlocks = 0;
    for (int y = 0; y + 1 < img.height; y += 2) {
        for (int x = 12; x + 1 < img.width; x += 2) {
            const uint8_t v = img.pixel(x, y)[1];
            if (img.pixel(x + 1, y)[1] != v || img.pixel(x, y + 1)[1] != v || img.pixel(x + 1, y + 1)[1] != v) {
                ++mixedBlocks;
            }
        }
    }
    EXPECT_GT(mixedBlocks, 5);

    SelectObject(src, oldModules);
    DeleteObject(modules);
    DeleteDC(src);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

}  // namespace
}  // namespace platform
