// The make page driven as a user drives it: tabs and buttons clicked through the host, text in
// the fields, choices in the lists, the save dialog answered by the scripted shell. What it
// shows and saves is read back with our decoder and with zxing-cpp.
#include <fstream>
#include <iterator>

#include "AppTestSupport.h"
#include "app/QRENCODEUIHandler.h"
#include "bkwin/bktabctrl.h"
#include "decoder/SymbolReader.h"
#include "platform/controls.h"
#include "platform/text.h"

using namespace apptest;
using platform::ComboBox_SetCurSel;

namespace {

using Bytes = std::vector<uint8_t>;

bool AllWhite(const platform::RgbImage& image) {
    return image.width > 0 && std::all_of(image.rgb.begin(), image.rgb.end(), [](uint8_t v) { return v == 0xFF; });
}

class MakePage : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        CreateMainWindow();
    }
    CQRENCODEUIHandler& Page() { return wnd->EncodeHandler(); }
    CBkTabCtrl& Tabs() { return *dynamic_cast<CBkTabCtrl*>(wnd->GetItem(CTALVORINEXMainWnd::IDC_TEMPLATE_TAB)); }
    void ClickTab(int index) {
        const platform::RECT r = Tabs().GetItemRect(index);
        ClickAt((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        ASSERT_EQ(Tabs().GetCurSel(), index);
    }
    void SetText(int tab, std::u16string_view text) { platform::SetWindowText(Page().ContentWindow(tab), text); }
    std::u16string Text(int tab) { return platform::GetWindowText(Page().ContentWindow(tab)); }
    void GenerateText(std::u16string_view text) {
        SetText(CQRENCODEUIHandler::kTextTab, text);
        ClickItem(CQRENCODEUIHandler::IDC_GENERATE);
    }
    platform::RgbImage Preview() { return DcImage(Page().PreviewDC()); }
    Bytes ZxBytes() {
        const auto zx = ZxRead(Preview());
        return zx ? zx->bytes : Bytes{};
    }
    // Answers the save dialog with `name` in the test's folder and clicks save.
    std::filesystem::path SaveAs(const std::string& name) {
        shell.dialogAnswers.push_back({true, platform::utf8ToUtf16((tempDir / name).string()), 1});
        ClickItem(CQRENCODEUIHandler::IDC_SAVE);
        return tempDir / name;
    }
    platform::RgbImage Saved(const std::string& name) {
        platform::RgbImage image;
        EXPECT_EQ(platform::decodeImageFile(SaveAs(name).string(), image), "") << name;
        return image;
    }
    static void LetTimersRun() {
        for (int i = 0; i < 30; ++i) {
            Pump();
            platform::Sleep(5);
        }
    }
};

TEST_F(MakePage, CreditGoesWithTheFirstSymbolOnlyAndTheTimerShowsThePreview) {
    const std::string credit = platform::wideToMultiByte(0, CQRENCODEUIHandler::kCreditText, true);
    EXPECT_EQ(ZxBytes(), Bytes(credit.begin(), credit.end()));
    GenerateText(u"");
    EXPECT_EQ(ZxBytes(), Bytes{0x00});  // an empty field still gives a symbol
    LetTimersRun();
    EXPECT_EQ(Surface(Page().PreviewWindow()).rgb, Preview().rgb);
}

TEST_F(MakePage, ListsStartWithTheirItemsAndOnlyTheShownTabsFieldIsOnScreen) {
    using platform::ComboBox_GetCount, platform::ComboBox_GetCurSel, platform::ComboBox_GetItemText;
    EXPECT_EQ(ComboBox_GetCount(Page().VersionList()), 41);
    EXPECT_EQ(ComboBox_GetItemText(Page().VersionList(), 0), u"自动");
    EXPECT_EQ(ComboBox_GetItemText(Page().LevelList(), 3), u"较高（30%）");
    EXPECT_EQ(ComboBox_GetCount(Page().ScaleList()), 20);
    EXPECT_EQ(ComboBox_GetCurSel(Page().ScaleList()), 3);
    EXPECT_EQ(ComboBox_GetItemText(Page().EncodingList(), 1), u"UTF-8");
    for (HWND list : {Page().VersionList(), Page().LevelList(), Page().EncodingList()}) {
        EXPECT_EQ(ComboBox_GetCurSel(list), 0);
    }
    // Every real window sits on its element and is shown (a list is as high as its font needs).
    for (HWND w : {Page().VersionList(), Page().LevelList(), Page().ScaleList(), Page().EncodingList()}) {
        EXPECT_TRUE(platform::IsWindowVisible(w));
        platform::RECT element = wnd->GetItem(platform::GetDlgCtrlID(w))->GetRect();
        element.bottom = PlacedRect(w).bottom;
        EXPECT_EQ(PlacedRect(w), element) << platform::GetDlgCtrlID(w);
    }
    for (HWND w : {Page().PreviewWindow(), Page().ContentWindow(8)}) {
        EXPECT_TRUE(platform::IsWindowVisible(w));
        EXPECT_EQ(PlacedRect(w), wnd->GetItem(platform::GetDlgCtrlID(w))->GetRect()) << platform::GetDlgCtrlID(w);
    }
    for (int tab = 0; tab < CQRENCODEUIHandler::kTabCount; ++tab) {
        ASSERT_TRUE(platform::IsWindow(Page().ContentWindow(tab))) << tab;
        EXPECT_EQ(platform::IsWindowVisible(Page().ContentWindow(tab)), tab == CQRENCODEUIHandler::kTextTab) << tab;
    }
}

TEST_F(MakePage, TabChangeWritesTheTemplateUnlessTheFieldStartsWithIt) {
    SetText(2, u"123");
    ClickTab(2);
    EXPECT_EQ(Text(2), u"tel:");
    EXPECT_TRUE(platform::IsWindowVisible(Page().ContentWindow(2)));
    SetText(2, u"tel:123");
    ClickTab(8);
    ClickTab(2);
    EXPECT_EQ(Text(2), u"tel:123");

    SetText(0, u"https://example.org");  // "http" compared case-sensitively
    ClickTab(0);
    EXPECT_EQ(Text(0), u"https://example.org");
    SetText(0, u"HTTP://EXAMPLE.ORG");
    ClickTab(8);
    EXPECT_EQ(Text(8), u"");  // the text tab is left alone
    ClickTab(0);
    EXPECT_EQ(Text(0), u"http://");
    SetText(3, u"sms");
    ClickTab(3);
    EXPECT_EQ(Text(3), u"smsto:");

    // Generate reads the selected tab's field.
    SetText(8, u"not this one");
    SetText(3, u"smsto:5550100:hi");
    ClickItem(CQRENCODEUIHandler::IDC_GENERATE);
    EXPECT_EQ(readSymbol(Preview()).text, u"smsto:5550100:hi");
}

TEST_F(MakePage, EncodesTheTextWithItsZeroInTheChosenCodePage) {
    ComboBox_SetCurSel(Page().EncodingList(), 1);
    GenerateText(u"abc");
    EXPECT_EQ(ZxBytes(), (Bytes{0x61, 0x62, 0x63, 0x00}));
    GenerateText(u"中文");
    EXPECT_EQ(ZxBytes(), (Bytes{0xE4, 0xB8, 0xAD, 0xE6, 0x96, 0x87, 0x00}));
    ComboBox_SetCurSel(Page().EncodingList(), 0);  // "GB2312": the ANSI code page, GBK here
    GenerateText(u"中文");
    EXPECT_EQ(ZxBytes(), (Bytes{0xD6, 0xD0, 0xCE, 0xC4, 0x00}));
    EXPECT_EQ(readSymbol(Preview()).text, u"中文");
}

TEST_F(MakePage, LevelAndVersionListsReachTheEncoder) {
    ComboBox_SetCurSel(Page().LevelList(), 3);
    ComboBox_SetCurSel(Page().VersionList(), 5);
    GenerateText(u"short");
    EXPECT_EQ(ZxRead(Preview())->ecLevel, "H");
    EXPECT_EQ(Page().SymbolPixels(), 5 * 4 + 17 + 8);

    // 61 bytes do not fit 5-H (46 data bytes) nor 6-H (60): the smallest version holding them
    // is 7-H (66).
    const std::u16string longText(60, u'x');
    GenerateText(longText);
    EXPECT_EQ(Page().SymbolPixels(), 7 * 4 + 17 + 8);
    const SymbolReading r = readSymbol(Preview());
    EXPECT_EQ(r.version, 7);
    EXPECT_EQ(r.ecLevel, 3);
    EXPECT_EQ(r.text, longText);

    // Text typed into a list leaves it without a selection: automatic, level L, ANSI.
    for (HWND list : {Page().VersionList(), Page().LevelList(), Page().EncodingList()}) ComboBox_SetCurSel(list, -1);
    GenerateText(u"中");
    EXPECT_EQ(Page().SymbolPixels(), 21 + 8);
    EXPECT_EQ(ZxRead(Preview())->ecLevel, "L");
    EXPECT_EQ(ZxBytes(), (Bytes{0xD6, 0xD0, 0x00}));
}

TEST_F(MakePage, TextBeyondVersion40ClearsThePreviewAndSaveDoesNothing) {
    GenerateText(std::u16string(3000, u'a'));  // 40-L holds 2953 bytes
    EXPECT_FALSE(Page().HasSymbol());
    EXPECT_TRUE(AllWhite(Preview()));
    LetTimersRun();
    EXPECT_TRUE(AllWhite(Surface(Page().PreviewWindow())));
    SaveAs("nothing.png");
    EXPECT_TRUE(shell.dialogRequests.empty());
    EXPECT_TRUE(std::filesystem::is_empty(tempDir));
}

TEST_F(MakePage, SaveDialogOffersTheFourFiltersAndATimeName) {
    GenerateText(u"a");
    ClickItem(CQRENCODEUIHandler::IDC_SAVE);  // no answer: cancelled
    ASSERT_EQ(shell.dialogRequests.size(), 1u);
    const platform::FileDialogRequest& request = shell.dialogRequests[0];
    const std::vector<std::pair<std::u16string, std::u16string>> expected = {
        {u"位图格式(*.png)", u"*.png"}, {u"JPEG(*.jpg)", u"*.jpg"}, {u"GIF(*.gif)", u"*.gif"}, {u"PNG(*.bmp)", u"*.bmp"}};
    ASSERT_EQ(request.filters.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(request.filters[i].description, expected[i].first);
        EXPECT_EQ(request.filters[i].pattern, expected[i].second);
    }
    EXPECT_EQ(request.defExt, u"png");
    EXPECT_EQ(request.flags, platform::OFN_HIDEREADONLY | platform::OFN_OVERWRITEPROMPT);
    EXPECT_TRUE(std::filesystem::is_empty(tempDir));

    std::tm t{};
    t.tm_year = 2013 - 1900, t.tm_mon = 7, t.tm_mday = 4, t.tm_hour = 9, t.tm_min = 5, t.tm_sec = 7;
    EXPECT_EQ(CQRENCODEUIHandler::DefaultFileName(t), u"201384957");
}

TEST_F(MakePage, SavedSideIsSymbolPixelsTimesTheScale) {
    GenerateText(u"a");
    EXPECT_EQ(Saved("four.png").width, 116);
    ComboBox_SetCurSel(Page().ScaleList(), 0);
    const platform::RgbImage one = Saved("one.png");
    EXPECT_EQ(one.width, 29);
    EXPECT_EQ(one.pixel(3, 3)[0], 0xFF);  // quiet zone
    EXPECT_EQ(one.pixel(4, 4)[0], 0x00);  // M(0, 0), a finder corner
    ComboBox_SetCurSel(Page().ScaleList(), -1);  // typed text: scale 1
    EXPECT_EQ(Saved("typed.png").height, 29);
}

TEST_F(MakePage, FormatFollowsTheNamesLastThreeCharactersCaseSensitively) {
    GenerateText(u"formats");
    const std::pair<std::string, Bytes> cases[] = {{"a.png", {0x89, 'P', 'N', 'G'}}, {"a.jpg", {0xFF, 0xD8}},
                                                   {"a.gif", {'G', 'I', 'F'}},       {"a.bmp", {'B', 'M'}},
                                                   {"nodot", {0x89, 'P', 'N', 'G'}}};  // the dialog adds ".png"
    for (const auto& [name, magic] : cases) {
        SaveAs(name);
        std::ifstream in(tempDir / (name == "nodot" ? "nodot.png" : name), std::ios::binary);
        const Bytes bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        EXPECT_TRUE(bytes.size() > magic.size() && std::equal(magic.begin(), magic.end(), bytes.begin())) << name;
    }
    std::filesystem::remove_all(tempDir);
    std::filesystem::create_directories(tempDir);
    for (const char* name : {"a.PNG", "a.Jpg", "a.jpeg", "x.p", "no-folder/a.png"}) SaveAs(name);
    EXPECT_TRUE(std::filesystem::is_empty(tempDir));
}

TEST_F(MakePage, SavedPngAndJpegReadBackToTheGeneratedText) {
    const std::u16string text = u"https://merovask.org/保存?q=1";
    ComboBox_SetCurSel(Page().EncodingList(), 1);
    GenerateText(text);
    const std::string utf8 = platform::utf16ToUtf8(text) + '\0';
    for (const char* name : {"round.png", "round.jpg"}) {
        const platform::RgbImage saved = Saved(name);
        EXPECT_EQ(readSymbol(saved).text, text) << name;
        const auto zx = ZxRead(saved);
        ASSERT_TRUE(zx.has_value()) << name;
        EXPECT_EQ(zx->bytes, Bytes(utf8.begin(), utf8.end())) << name;
    }
}

}  // namespace
