// The read page driven as a user drives it: the page's tab and buttons clicked through the host,
// the open dialog and the clipboard answered by the scripted shell. The pictures are made here.
#include <fstream>

#include "AppTestSupport.h"
#include "app/QRDECODEUIHandler.h"
#include "app/QRENCODEUIHandler.h"
#include "bkwin/bktabctrl.h"
#include "encoder/QR_Encode.h"
#include "platform/text.h"
#include "tests/support/SymbolFixtures.h"

using namespace apptest;

namespace {

// A width x height picture of colour `background` holding the symbol of `text` (version and
// level fixed) at `scale` pixels per module, quiet zone included, from (left, top).
platform::RgbImage SymbolPicture(std::string_view text, int level, int version, int width, int height,
                                 uint32_t background = 0xFFFFFF, int left = 0) {
    platform::RgbImage image(width, height);
    for (size_t i = 0; i < image.rgb.size(); ++i) image.rgb[i] = static_cast<uint8_t>(background >> (16 - 8 * (i % 3)));
    CQREncoder encoder;
    encoder.encode(level, version, 0, -1, reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()));
    const int scale = 4, quiet = 4, total = (encoder.side + 2 * quiet) * scale;
    for (int y = 0; y < std::min(total, height); ++y) {
        for (int x = 0; x < total && left + x < width; ++x) {
            const int mx = x / scale - quiet, my = y / scale - quiet;
            const bool dark = mx >= 0 && my >= 0 && mx < encoder.side && my < encoder.side && encoder.modules[mx][my];
            uint8_t* p = image.pixel(left + x, y);
            p[0] = p[1] = p[2] = dark ? 0 : 255;
        }
    }
    return image;
}

class ReadPage : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        CreateMainWindow();
        auto* tabs = dynamic_cast<CBkTabCtrl*>(wnd->GetItem(CTALVORINEXMainWnd::IDC_MAIN_TAB));
        const platform::RECT r = tabs->GetItemRect(1);
        ClickAt((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        ASSERT_EQ(tabs->GetCurSel(), 1);
    }
    CQRDECODEUIHandler& Page() { return wnd->DecodeHandler(); }

    std::u16string Write(const std::string& name, const platform::RgbImage& image) {
        platform::ImageFormat format{};
        platform::imageFormatFromExtension(name.substr(name.size() - 3), format);
        std::vector<uint8_t> bytes;
        platform::encodeImage(image, format, bytes);
        platform::writeFileAtomically((tempDir / name).string(), bytes);
        return Path(name);
    }
    std::u16string Path(const std::string& name) { return platform::utf8ToUtf16((tempDir / name).string()); }
    void Read(const std::u16string& path) {
        shell.dialogAnswers.push_back({true, path, 1});
        ClickItem(CQRDECODEUIHandler::IDC_READ);
        Settle();
    }
    // Waits for the read under way and takes its result.
    void Settle() {
        Page().WaitForRead();
        Pump();
        ASSERT_FALSE(Page().IsReading());
    }
    std::u16string Text(HWND field) { return platform::GetWindowText(field); }
    std::vector<std::u16string> Fields() {
        return {Text(Page().TextWindow()), Text(Page().VersionWindow()), Text(Page().LevelWindow())};
    }
};

TEST_F(ReadPage, ShowsTextVersionAndLevelOfTheSymbol) {
    for (HWND w : {Page().TextWindow(), Page().VersionWindow(), Page().LevelWindow(), Page().PreviewWindow()}) {
        EXPECT_TRUE(platform::IsWindowVisible(w));
        EXPECT_EQ(PlacedRect(w), wnd->GetItem(platform::GetDlgCtrlID(w))->GetRect()) << platform::GetDlgCtrlID(w);
    }
    Read(Write("v3h.png", SymbolPicture("read page test", 3, 3, 200, 200)));
    ASSERT_EQ(shell.dialogRequests.size(), 1u);
    const std::vector<platform::FileFilter>& filters = shell.dialogRequests[0].filters;
    ASSERT_EQ(filters.size(), 2u);
    EXPECT_EQ(filters[0].description, u"图片文件");
    EXPECT_EQ(filters[0].pattern, u"*.png;*.jpg;*.jpeg;*.gif;*.bmp");
    EXPECT_EQ(filters[1].description, u"所有文件");
    EXPECT_EQ(filters[1].pattern, u"*");
    EXPECT_EQ(shell.dialogRequests[0].initialDir, u"");
    EXPECT_EQ(Fields(), (std::vector<std::u16string>{u"read page test", u"3", u"较高（30%）"}));

    // The next dialog opens in the folder of the last picture, with Ctrl+O from any page.
    shell.dialogAnswers.push_back({true, Write("V1L.BMP", SymbolPicture("1", 0, 1, 120, 120)), 1});
    ASSERT_TRUE(wnd->ShowPage(CTALVORINEXMainWnd::kMakePage));
    input::InjectKey(Host(), 'O', u"", platform::MK_CONTROL);
    Pump();
    Settle();
    EXPECT_EQ(wnd->CurrentPage(), CTALVORINEXMainWnd::kReadPage);
    ASSERT_EQ(shell.dialogRequests.size(), 2u);
    EXPECT_EQ(shell.dialogRequests[1].initialDir, platform::utf8ToUtf16(tempDir.string()));
    EXPECT_EQ(Fields(), (std::vector<std::u16string>{u"1", u"1", u"最低（7%）"}));
}

// Micro QR and rMQR symbols: their versions as users name them, and what kind of symbol they are.
TEST_F(ReadPage, NamesMicroQrAndRmqrSymbols) {
    const auto fixtures = testsupport::readSymbolFixtures(MEROVASK_SOURCE_DIR "/tests/data/micro/symbols.txt");
    for (const auto& [version, status] : {std::pair<std::string, std::u16string_view>{"M3", u"这是微型二维码（Micro QR）"},
                                          {"R13x77", u"这是矩形微型二维码（rMQR）"}}) {
        const auto f = std::find_if(fixtures.begin(), fixtures.end(), [&](const auto& f) { return f.fields[2] == version; });
        ASSERT_NE(f, fixtures.end()) << version;
        const int scale = 4, quiet = 3;
        platform::RgbImage image((f->modules.width() + 2 * quiet) * scale, (f->modules.height() + 2 * quiet) * scale, 0xFF);
        for (int y = 0; y < image.height; ++y)
            for (int x = 0; x < image.width; ++x) {
                const int mx = x / scale - quiet, my = y / scale - quiet;
                if (mx >= 0 && my >= 0 && mx < f->modules.width() && my < f->modules.height() && f->modules.get(mx, my))
                    std::fill_n(image.pixel(x, y), 3, 0);
            }
        Read(Write(version + ".png", image));
        EXPECT_EQ(Fields(), (std::vector<std::u16string>{platform::utf8ToUtf16(testsupport::fromHex(f->fields[4])),
                                                          platform::utf8ToUtf16(version), Text(Page().LevelWindow())}));
        EXPECT_FALSE(Text(Page().LevelWindow()).empty());
        EXPECT_EQ(Page().StatusText(), status);
    }
}

TEST_F(ReadPage, AFailedReadClearsTheLastResultAndSaysWhy) {
    auto failsWith = [&](const std::u16string& path, std::u16string_view status) {
        Read(Write("first.png", SymbolPicture("kept", 1, 2, 150, 150)));
        ASSERT_EQ(Text(Page().TextWindow()), u"kept");
        ASSERT_EQ(Page().StatusText(), u"");
        Read(path);
        EXPECT_EQ(Fields(), (std::vector<std::u16string>{u"", u"", u""})) << platform::utf16ToUtf8(path);
        EXPECT_EQ(Page().StatusText(), status) << platform::utf16ToUtf8(path);
    };
    failsWith(Write("white.png", platform::RgbImage(300, 200)), u"未找到二维码");
    // A symbol damaged beyond correction: modules 9..16 of rows 9..16 inverted.
    platform::RgbImage damaged = SymbolPicture("damaged", 1, 2, 150, 150);
    for (int y = 52; y < 84; ++y)
        for (int x = 52; x < 84; ++x)
            for (int c = 0; c < 3; ++c) damaged.pixel(x, y)[c] ^= 0xFF;
    failsWith(Write("damaged.png", damaged), u"找到二维码，但已损坏，无法纠正");
    std::vector<uint8_t> png;
    platform::encodeImage(SymbolPicture("cut", 1, 2, 150, 150), platform::ImageFormat::Png, png);
    png.resize(png.size() / 2);
    platform::writeFileAtomically((tempDir / "cut.png").string(), png);
    failsWith(Path("cut.png"), u"无法读取图片：" + platform::utf8ToUtf16([&] {
        platform::RgbImage ignored;
        return platform::decodeImageFile((tempDir / "cut.png").string(), ignored);
    }()));
    // The preview shows the picture that failed, not the last one read.
    const platform::RgbImage preview = DcImage(Page().PreviewDC());
    Read(Write("grey.png", platform::RgbImage(100, 100, 0x80)));
    EXPECT_EQ(DcImage(Page().PreviewDC()).pixel(180, 180)[0], 0x80);
    EXPECT_NE(DcImage(Page().PreviewDC()).rgb, preview.rgb);
}

TEST_F(ReadPage, PreviewKeepsThePicturesAspectRatio) {
    Read(Write("wide.png", SymbolPicture("wide", 1, 2, 400, 200, 0xFF0000, 30)));
    ASSERT_EQ(Text(Page().TextWindow()), u"wide");
    const platform::RgbImage preview = DcImage(Page().PreviewDC());
    ASSERT_EQ(preview.width, 360);
    // 400 x 200 fits as 360 x 180, centred: the page's grey above and below, red at the sides.
    for (int y : {0, 89, 270, 359}) EXPECT_EQ(preview.pixel(350, y)[0], 0xEE) << y;
    for (int y : {90, 269}) EXPECT_EQ(preview.pixel(350, y)[1], 0) << y;
    Pump();
    EXPECT_EQ(Surface(Page().PreviewWindow()).rgb, preview.rgb);
}

TEST_F(ReadPage, SeveralSymbolsAreOutlinedAndEachCanBeShown) {
    // Three symbols side by side, the middle one the largest (version 4 against version 1).
    platform::RgbImage picture(600, 200);
    const platform::RgbImage parts[] = {SymbolPicture("left", 0, 1, 116, 116), SymbolPicture("middle", 0, 4, 164, 164),
                                        SymbolPicture("right", 0, 1, 116, 116)};
    int left = 10;
    for (const platform::RgbImage& part : parts) {
        for (int y = 0; y < part.height; ++y) std::copy_n(part.pixel(0, y), part.width * 3, picture.pixel(left, y + 10));
        left += part.width + 60;
    }
    std::vector<uint8_t> png;
    platform::encodeImage(picture, platform::ImageFormat::Png, png);
    shell.clipboardData.formats = {{"image/png", std::string(png.begin(), png.end())}};
    input::InjectKey(Host(), 'V', u"", platform::MK_CONTROL);
    Pump();
    Settle();
    ASSERT_EQ(Page().Symbols().size(), 3u);
    EXPECT_EQ(Text(Page().TextWindow()), u"middle");
    EXPECT_EQ(Page().StatusText(), u"找到 3 个二维码，单击方框查看其内容");
    // A click inside the right-hand outline shows that symbol.
    const auto& c = Page().Symbols()[2].corners;
    const double scale = 360.0 / 600, top = (360 - 120) / 2.0;
    const int x = static_cast<int>((c[0].x + c[2].x) / 2 * scale), y = static_cast<int>(top + (c[0].y + c[2].y) / 2 * scale);
    // Outlined: the shown one in green, the others in orange.
    const platform::RgbImage preview = DcImage(Page().PreviewDC());
    size_t green = 0, orange = 0;
    for (int i = 0; i < preview.width * preview.height; ++i) {
        const uint8_t* p = preview.rgb.data() + 3 * i;
        green += p[0] == 0x00 && p[1] == 0xB0 && p[2] == 0x30;
        orange += p[0] == 0xF0 && p[1] == 0x80 && p[2] == 0x00;
    }
    EXPECT_GT(green, 200u);
    EXPECT_GT(orange, 2 * 150u);
    input::InjectMouse(Page().PreviewWindow(), input::MouseAction::Press, x, y);
    input::InjectMouse(Page().PreviewWindow(), input::MouseAction::Release, x, y);
    Pump();
    EXPECT_EQ(Fields(), (std::vector<std::u16string>{u"right", u"1", u"最低（7%）"}));
}

TEST_F(ReadPage, CopyPutsTheFieldsCurrentTextOnTheClipboard) {
    Read(Write("copy.png", SymbolPicture("copied", 1, 2, 150, 150)));
    ClickItem(CQRDECODEUIHandler::IDC_COPY);
    EXPECT_EQ(shell.clipboard, u"copied");
    platform::SetWindowText(Page().TextWindow(), u"edited 文本\nline two\r\nthree");
    ClickItem(CQRDECODEUIHandler::IDC_COPY);
    EXPECT_EQ(shell.clipboard, u"edited 文本\nline two\nthree");  // LF line ends

    // Clear empties the text field only; copy then puts an empty text there.
    ClickItem(CQRDECODEUIHandler::IDC_CLEAR);
    EXPECT_EQ(Fields(), (std::vector<std::u16string>{u"", u"2", u"较低（15%）"}));
    ClickItem(CQRDECODEUIHandler::IDC_COPY);
    EXPECT_EQ(shell.clipboard, u"");

    shell.clipboardAvailable = false;  // without a clipboard nothing happens
    platform::SetWindowText(Page().TextWindow(), u"lost");
    ClickItem(CQRDECODEUIHandler::IDC_COPY);
    shell.clipboardAvailable = true;
    EXPECT_EQ(shell.clipboard, u"");
}

TEST_F(ReadPage, PastedAndDroppedPicturesAreReadAsOpenedOnesAre) {
    auto bytesOf = [](const platform::RgbImage& image, platform::ImageFormat format) {
        std::vector<uint8_t> bytes;
        platform::encodeImage(image, format, bytes);
        return std::string(bytes.begin(), bytes.end());
    };
    // Image data on the clipboard, pasted with Ctrl+V.
    shell.clipboardData.formats = {{"image/png", bytesOf(SymbolPicture("pasted", 1, 2, 150, 150), platform::ImageFormat::Png)}};
    input::InjectKey(Host(), 'V', u"", platform::MK_CONTROL);
    Pump();
    Settle();
    EXPECT_EQ(Fields(), (std::vector<std::u16string>{u"pasted", u"2", u"较低（15%）"}));

    // A copied picture file (its name in upper case, with a space), from the preview's menu.
    Write("copied file.JPG", SymbolPicture("from a file", 2, 3, 200, 200));
    shell.clipboardData.formats = {{"text/uri-list", "file://" + (tempDir / "copied%20file.JPG").string() + "\r\n"}};
    shell.menuChoices = {CTALVORINEXMainWnd::ID_PASTE};
    const platform::RECT preview = PlacedRect(Page().PreviewWindow());
    input::InjectMouse(Page().PreviewWindow(), input::MouseAction::Press, 20, 20, input::MouseButton::Right);
    input::InjectMouse(Page().PreviewWindow(), input::MouseAction::Release, 20, 20, input::MouseButton::Right);
    Pump();
    Settle();
    ASSERT_EQ(shell.menusShown.size(), 1u);
    EXPECT_EQ(shell.menusShown[0][0].text, u"粘贴图片");
    EXPECT_EQ(Fields(), (std::vector<std::u16string>{u"from a file", u"3", u"中等（25%）"}));

    // A drop anywhere on the window, here on the make page's text field, switches to this page.
    ASSERT_TRUE(wnd->ShowPage(CTALVORINEXMainWnd::kMakePage));
    const platform::RECT field = PlacedRect(wnd->EncodeHandler().ContentWindow(8));
    platform::MimeData dropped;
    dropped.formats = {{"image/bmp", bytesOf(SymbolPicture("dropped", 0, 1, 120, 120), platform::ImageFormat::Bmp)}};
    EXPECT_TRUE(input::InjectDrop(Host(), field.left + 20, field.top + 20, dropped));
    Pump();
    Settle();
    EXPECT_EQ(wnd->CurrentPage(), CTALVORINEXMainWnd::kReadPage);
    EXPECT_EQ(Fields(), (std::vector<std::u16string>{u"dropped", u"1", u"最低（7%）"}));

    // Data without a picture is not taken at all.
    ASSERT_TRUE(wnd->ShowPage(CTALVORINEXMainWnd::kMakePage));
    dropped.formats = {{"text/uri-list", "https://example.org/a.png\r\n"}};
    EXPECT_FALSE(input::InjectDrop(Host(), preview.left + 20, preview.top + 20, dropped));
    Pump();
    EXPECT_EQ(wnd->CurrentPage(), CTALVORINEXMainWnd::kMakePage);
    EXPECT_EQ(Fields(), (std::vector<std::u16string>{u"dropped", u"1", u"最低（7%）"}));
}

TEST_F(ReadPage, TabMovesThroughThePageAndSpaceOrReturnPressesTheFocusedButton) {
    CBkDialogView& host = wnd->GetView();
    auto tab = [&](WPARAM keys = 0) {
        input::InjectKey(wnd->GetHWnd(), VK_TAB, u"", keys);
        Pump();
    };
    platform::SetFocus(Page().TextWindow());
    tab();
    EXPECT_EQ(platform::GetFocus(), Page().VersionWindow());
    tab();
    EXPECT_EQ(platform::GetFocus(), Page().LevelWindow());
    tab();
    EXPECT_EQ(host.GetFocusItem(), CQRDECODEUIHandler::IDC_READ);
    // The focused button is marked: a dotted frame inside it.
    const platform::RECT r = wnd->GetItem(CQRDECODEUIHandler::IDC_READ)->GetRect();
    const platform::RgbImage surface = Surface(Host());
    int dots = 0;
    for (int x = r.left + 3; x < r.right - 3; ++x) dots += surface.pixel(x, r.top + 3)[0] == 0x30;
    EXPECT_GT(dots, 5);

    input::InjectKey(wnd->GetHWnd(), VK_SPACE, u" ");
    Pump();
    EXPECT_EQ(shell.dialogRequests.size(), 1u);  // cancelled: no answer
    input::InjectKey(wnd->GetHWnd(), VK_RETURN);
    Pump();
    EXPECT_EQ(shell.dialogRequests.size(), 2u);
    tab();
    tab();
    EXPECT_EQ(host.GetFocusItem(), CQRDECODEUIHandler::IDC_CLEAR);
    tab();  // 打开链接 is hidden without a web address: back to the start
    EXPECT_EQ(platform::GetFocus(), Page().TextWindow());
    tab(platform::MK_SHIFT);
    EXPECT_EQ(host.GetFocusItem(), CQRDECODEUIHandler::IDC_CLEAR);
}

}  // namespace
