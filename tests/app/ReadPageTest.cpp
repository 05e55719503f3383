// The read page driven as a user drives it: the page's tab and buttons clicked through the host,
// the open dialog and the clipboard answered by the scripted shell. The pictures are made here.
#include <fstream>

#include "AppTestSupport.h"
#include "app/QRDECODEUIHandler.h"
#include "app/QRENCODEUIHandler.h"
#include "bkwin/bktabctrl.h"
#include "encoder/QR_Encode.h"
#include "platform/text.h"

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
    EXPECT_EQ(wnd->CurrentPage(), CTALVORINEXMainWnd::kReadPage);
    ASSERT_EQ(shell.dialogRequests.size(), 2u);
    EXPECT_EQ(shell.dialogRequests[1].initialDir, platform::utf8ToUtf16(tempDir.string()));
    EXPECT_EQ(Fields(), (std::vector<std::u16string>{u"1", u"1", u"最低（7%）"}));
}

TEST_F(ReadPage, PicturesWithoutAReadableSymbolChangeNothing) {
    Read(Write("first.png", SymbolPicture("kept", 1, 2, 150, 150)));
    const auto fields = Fields();
    const platform::RgbImage preview = DcImage(Page().PreviewDC());
    ASSERT_EQ(fields[0], u"kept");

    Read(Write("white.png", platform::RgbImage(300, 200)));
    std::ofstream(tempDir / "text.png") << "not a picture";
    Read(Path("text.png"));
    std::vector<uint8_t> png;
    platform::encodeImage(SymbolPicture("cut", 1, 2, 150, 150), platform::ImageFormat::Png, png);
    png.resize(png.size() / 2);
    platform::writeFileAtomically((tempDir / "cut.png").string(), png);
    Read(Path("cut.png"));
    // A symbol damaged beyond correction is no result either: modules 9..16 of rows 9..16 inverted.
    platform::RgbImage damaged = SymbolPicture("damaged", 1, 2, 150, 150);
    for (int y = 52; y < 84; ++y)
        for (int x = 52; x < 84; ++x)
            for (int c = 0; c < 3; ++c) damaged.pixel(x, y)[c] ^= 0xFF;
    Read(Write("damaged.png", damaged));
    Read(Path("absent.png"));
    ClickItem(CQRDECODEUIHandler::IDC_READ);  // cancelled
    EXPECT_EQ(shell.dialogRequests.size(), 7u);
    EXPECT_EQ(Fields(), fields);
    EXPECT_EQ(DcImage(Page().PreviewDC()).rgb, preview.rgb);
}

TEST_F(ReadPage, PreviewShowsTheWholePictureStretchedTo360) {
    Read(Write("wide.png", SymbolPicture("wide", 1, 2, 400, 200, 0xFF0000, 30)));
    ASSERT_EQ(Text(Page().TextWindow()), u"wide");
    const platform::RgbImage preview = DcImage(Page().PreviewDC());
    ASSERT_EQ(preview.width, 360);
    for (int y : {0, 359}) EXPECT_EQ(preview.pixel(350, y)[1], 0) << y;  // red reaches top and bottom
    // Read while the make page was on show, the picture is painted when the page is shown.
    wnd->ShowPage(CTALVORINEXMainWnd::kReadPage);
    Pump();
    EXPECT_EQ(Surface(Page().PreviewWindow()).rgb, preview.rgb);
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
    EXPECT_EQ(Fields(), (std::vector<std::u16string>{u"pasted", u"2", u"较低（15%）"}));

    // A copied picture file (its name in upper case, with a space), from the preview's menu.
    Write("copied file.JPG", SymbolPicture("from a file", 2, 3, 200, 200));
    shell.clipboardData.formats = {{"text/uri-list", "file://" + (tempDir / "copied%20file.JPG").string() + "\r\n"}};
    shell.menuChoices = {CTALVORINEXMainWnd::ID_PASTE};
    const platform::RECT preview = PlacedRect(Page().PreviewWindow());
    input::InjectMouse(Page().PreviewWindow(), input::MouseAction::Press, 20, 20, input::MouseButton::Right);
    input::InjectMouse(Page().PreviewWindow(), input::MouseAction::Release, 20, 20, input::MouseButton::Right);
    Pump();
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
    EXPECT_EQ(wnd->CurrentPage(), CTALVORINEXMainWnd::kReadPage);
    EXPECT_EQ(Fields(), (std::vector<std::u16string>{u"dropped", u"1", u"最低（7%）"}));
    const platform::RgbImage shown = DcImage(Page().PreviewDC());

    // A picture without a symbol changes nothing; data without a picture is not taken at all.
    shell.clipboardData.formats = {{"image/png", bytesOf(platform::RgbImage(50, 50), platform::ImageFormat::Png)}};
    input::InjectKey(Host(), 'V', u"", platform::MK_CONTROL);
    ASSERT_TRUE(wnd->ShowPage(CTALVORINEXMainWnd::kMakePage));
    dropped.formats = {{"text/uri-list", "https://example.org/a.png\r\n"}};
    EXPECT_FALSE(input::InjectDrop(Host(), preview.left + 20, preview.top + 20, dropped));
    Pump();
    EXPECT_EQ(wnd->CurrentPage(), CTALVORINEXMainWnd::kMakePage);
    EXPECT_EQ(Fields(), (std::vector<std::u16string>{u"dropped", u"1", u"最低（7%）"}));
    EXPECT_EQ(DcImage(Page().PreviewDC()).rgb, shown.rgb);
}

}  // namespace
