// The skin as a whole: a main window and a message box painted from the pools into one
// picture, saved as skin_preview.png in the build tree so that it can be looked at, with
// pixels checked where the skins fix them.
#include <gtest/gtest.h>

#include "BkTestCanvas.h"
#include "bkres/bkfontpool.h"
#include "bkres/bkstringpool.h"
#include "bkwin/bkskinpool.h"
#include "bkwin/bkstylepool.h"
#include "platform/imaging.h"

namespace {

void DrawSkin(HDC dc, const char* name, RECT rect, int state = 0) {
    CBkSkinBase* skin = BkSkinPool::GetSkin(name);
    ASSERT_NE(skin, nullptr) << name;
    skin->Draw(dc, rect, state);
}

void Text(HDC dc, const std::u16string& text, RECT rect, uint16_t font, COLORREF color, UINT format) {
    HFONT old = SelectObject(dc, BkFontPool::GetFont(font));
    SetTextColor(dc, color);
    SetBkMode(dc, TRANSPARENT);
    DrawText(dc, text, &rect, format);
    SelectObject(dc, old);
}

TEST(BkSkinPicture, MainWindowAndMessageBox) {
    BkString::Clear();
    ASSERT_TRUE(BkString::Load(102));
    BkFontPool::SetDefaultFont(*BkString::Get(0), -12);
    ASSERT_TRUE(BkSkinPool::Load(100));
    ASSERT_TRUE(BkStylePool::Load(101));

    BkTestCanvas c(1200, 600, RGB(0x60, 0x60, 0x60));
    HDC dc = c.dc();
    // Main window: header 23, footer 23, body between; tabs on the body's top strip.
    DrawSkin(dc, "mainbghead", RECT{0, 0, 800, 23});
    DrawSkin(dc, "mainbgbody", RECT{0, 23, 800, 577});
    DrawSkin(dc, "mainbgfoot", RECT{0, 577, 800, 600});
    Text(dc, *BkString::Get(1), RECT{25, 5, 300, 23}, 0x0004, RGB(255, 255, 255), 0x8030);
    Text(dc, *BkString::Get(2), RECT{620, 577, 800, 600}, 0, RGB(255, 255, 255), 0x24);
    DrawSkin(dc, "menubtn", RECT{692, 1, 722, 23}, 0);
    DrawSkin(dc, "minbtn", RECT{722, 1, 752, 23}, 1);
    DrawSkin(dc, "closebtn", RECT{752, 1, 799, 23}, 0);
    const char16_t* titles[] = {u"制作", u"解码", u"关于"};
    for (int i = 0; i < 3; ++i) {
        const int x = 7 + 1 + i * 76, y = 23 + 4;
        DrawSkin(dc, "tabmain", RECT{x, y, x + 71, y + 71}, i == 0 ? 2 : i == 1 ? 1 : 0);
        DrawSkin(dc, "logomodule", RECT{x + 10, y + 1, x + 58, y + 50}, i);
        Text(dc, titles[i], RECT{x, y + 25, x + 71, y + 96}, 0, RGB(0, 0, 0), 0x25);
    }
    DrawSkin(dc, "logo", RECT{543, 28, 803, 98}, kBkNoState);
    // The make page's frame, page tabs and a button inside the body.
    const int top = 23 + 4 + 78;
    DrawSkin(dc, "panelgray", RECT{7, top + 34, 793, 576});
    for (int i = 0; i < 5; ++i) {
        const int x = 7 + 10 + i * 74;
        DrawSkin(dc, "tab", RECT{x, top + 10, x + 70, top + 35}, i == 4 ? 2 : i == 1 ? 1 : 0);
        Text(dc, i == 4 ? u"文本" : u"网址", RECT{x, top + 10, x + 70, top + 35}, 0, RGB(0, 0, 0), 0x25);
    }
    DrawSkin(dc, "normalbtn", RECT{719, top + 140, 790, top + 290}, 0);
    DrawSkin(dc, "normalbtn", RECT{719, top + 320, 790, top + 470}, 1);
    Text(dc, u"生成", RECT{719, top + 140, 790, top + 290}, 0, RGB(0, 0, 0), 0x25);

    // Message box: header 31, footer 45.
    const int mx = 830, my = 40;
    DrawSkin(dc, "msgboxhead", RECT{mx, my, mx + 350, my + 31});
    DrawSkin(dc, "msgboxbody", RECT{mx, my + 31, mx + 350, my + 195});
    DrawSkin(dc, "msgboxfoot", RECT{mx, my + 195, mx + 350, my + 240});
    Text(dc, *BkString::Get(1), RECT{mx + 25, my + 10, mx + 300, my + 31}, 0x0004, RGB(255, 255, 255), 0x8030);
    DrawSkin(dc, "closeonlybtn", RECT{mx + 307, my, mx + 354, my + 22}, 0);
    Text(dc, *BkString::Get(1000), RECT{mx + 70, my + 51, mx + 340, my + 120}, 0, RGB(0, 0, 0), 0x850);
    DrawSkin(dc, "normalbtn", RECT{mx + 135, my + 205, mx + 215, my + 230}, 0);
    Text(dc, *BkString::Get(18), RECT{mx + 135, my + 205, mx + 215, my + 230}, 0, RGB(0, 0, 0), 0x25);
    // The dialog frame in three parts.
    DrawSkin(dc, "msgboxhead", RECT{mx, 320, mx + 350, 351});
    DrawSkin(dc, "dlgbody", RECT{mx, 351, mx + 350, 450});
    DrawSkin(dc, "dlgfoot", RECT{mx, 450, mx + 350, 560});
    DrawSkin(dc, "tipbg", RECT{mx + 20, 380, mx + 200, 420});

    // Where the skins fix the look: blue title bars, white text area, frame borders.
    EXPECT_GT(GetBValue(c.at(400, 10)), GetRValue(c.at(400, 10)));  // header is blue
    EXPECT_EQ(c.at(400, 300), RGB(0xFB, 0xFC, 0xFD));                // body fill below the tab strip
    EXPECT_EQ(c.at(mx + 100, my + 100), RGB(0xFB, 0xFC, 0xFD));      // message body
    EXPECT_EQ(c.at(mx, my + 100), c.at(mx + 349, my + 100));          // symmetric side borders
    EXPECT_NE(c.at(mx, my + 100), RGB(0xFB, 0xFC, 0xFD));

    platform::RgbImage picture;
    HBITMAP bitmap = GetCurrentBitmap(dc);
    ASSERT_TRUE(BitmapToRgbImage(bitmap, picture));
    std::vector<uint8_t> png;
    ASSERT_EQ(platform::encodeImage(picture, platform::ImageFormat::Png, png), "");
    ASSERT_EQ(platform::writeFileAtomically(MEROVASK_BKWIN_PREVIEW, png), "");
}

}  // namespace
