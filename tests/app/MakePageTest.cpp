// The make page driven as a user drives it: tabs and buttons clicked through the host, text in
// the fields, choices in the lists, the save dialog answered by the scripted shell. What it
// shows and saves is read back with our decoder, zxing-cpp and zbar.
#include <sys/stat.h>

#include <cerrno>
#include <fstream>
#include <iterator>

#include "AppTestSupport.h"
#include "app/QRENCODEUIHandler.h"
#include "app/UIMsgBox.h"
#include "bkwin/bktabctrl.h"
#include "decoder/SymbolReader.h"
#include "platform/controls.h"
#include "platform/text.h"
#include "tests/support/IndependentReaders.h"
#include "tests/support/SampleTexts.h"

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
    // Answers the save dialog with `name` in the test's folder and filter `filter` (1 = PNG,
    // 2 = JPEG, 3 = GIF, 4 = BMP, 5 = SVG) and clicks save.
    std::filesystem::path SaveAs(const std::string& name, DWORD filter = 1) {
        shell.dialogAnswers.push_back({true, platform::utf8ToUtf16((tempDir / name).string()), filter});
        ClickItem(CQRENCODEUIHandler::IDC_SAVE);
        SaveWritten();
        return tempDir / name;
    }
    // Waits for the save job and takes its outcome.
    void SaveWritten() {
        Page().WaitForSave();
        Pump();
    }
    // The format a file's first bytes name: "png", "jpg", "gif", "bmp", or "".
    static std::string FormatOf(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        const Bytes b{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        if (b.size() < 4) return "";
        if (b[0] == 0x89 && b[1] == 'P') return "png";
        if (b[0] == 0xFF && b[1] == 0xD8) return "jpg";
        if (b[0] == 'G' && b[1] == 'I') return "gif";
        if (b[0] == 'B' && b[1] == 'M') return "bmp";
        if (b[0] == '<' && b[1] == '?') return "svg";
        return "";
    }
    platform::RgbImage Saved(const std::string& name) {
        platform::RgbImage image;
        EXPECT_EQ(platform::decodeImageFile(SaveAs(name).string(), image), "") << name;
        return image;
    }
};

TEST_F(MakePage, CreditGoesWithTheFirstSymbolOnlyAndThePreviewWindowShowsEachSymbol) {
    const std::string credit = platform::utf16ToUtf8(CQRENCODEUIHandler::kCreditText);
    EXPECT_EQ(ZxBytes(), Bytes(credit.begin(), credit.end()));
    EXPECT_EQ(Surface(Page().PreviewWindow()).rgb, Preview().rgb);
    GenerateText(u"x");
    EXPECT_EQ(ZxBytes(), Bytes{'x'});
    Pump();
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
    for (HWND list : {Page().VersionList(), Page().LevelList()}) EXPECT_EQ(ComboBox_GetCurSel(list), 0);
    EXPECT_EQ(ComboBox_GetCurSel(Page().EncodingList()), 1);  // UTF-8 in a UTF-8 locale
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
    // Under a GBK-family locale the encoding starts on GB2312.
    for (const char* locale : {"zh_CN.GBK", "zh_CN.gb18030", "zh_SG.GB2312@x"}) {
        wnd.reset();
        shell.locale = locale;
        CreateMainWindow();
        EXPECT_EQ(ComboBox_GetCurSel(Page().EncodingList()), 0) << locale;
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

TEST_F(MakePage, EncodesExactlyTheTextInTheChosenCodePage) {
    ComboBox_SetCurSel(Page().EncodingList(), 1);
    GenerateText(u"abc");
    EXPECT_EQ(ZxBytes(), (Bytes{0x61, 0x62, 0x63}));
    GenerateText(u"中文");
    EXPECT_EQ(ZxBytes(), (Bytes{0xE4, 0xB8, 0xAD, 0xE6, 0x96, 0x87}));
    ComboBox_SetCurSel(Page().EncodingList(), 0);  // "GB2312": the ANSI code page, GBK here
    GenerateText(u"中文");
    EXPECT_EQ(ZxBytes(), (Bytes{0xD6, 0xD0, 0xCE, 0xC4}));
    EXPECT_EQ(readSymbol(Preview()).text, u"中文");
}

// Once the user has made a symbol, the preview follows the tab and the lists (the start-up
// symbol stays until then).
TEST_F(MakePage, AfterGenerateThePreviewFollowsTabAndLists) {
    auto pick = [&](HWND list) {  // the next item, as the Down key picks it
        platform::SetFocus(list);
        input::InjectKey(list, VK_DOWN);
        Pump();
    };
    const Bytes credit = ZxBytes();
    pick(Page().LevelList());
    EXPECT_EQ(ZxBytes(), credit);
    SetText(4, u"mmsto:10086:hi");
    GenerateText(u"text tab");
    EXPECT_EQ(ZxRead(Preview())->ecLevel, "M");
    ClickTab(4);
    EXPECT_EQ(ZxBytes(), (Bytes{'m', 'm', 's', 't', 'o', ':', '1', '0', '0', '8', '6', ':', 'h', 'i'}));
    pick(Page().LevelList());
    EXPECT_EQ(ZxRead(Preview())->ecLevel, "Q");
    // Text that no longer fits clears the preview.
    SetText(4, u"mmsto:" + std::u16string(2000, u'1') + std::u16string(700, u'a'));
    pick(Page().LevelList());
    EXPECT_FALSE(Page().HasSymbol());
    EXPECT_TRUE(AllWhite(Preview()));
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
    EXPECT_EQ(ZxBytes(), (Bytes{0xD6, 0xD0}));
}

TEST_F(MakePage, TextBeyondVersion40ClearsThePreviewAndSaveDoesNothing) {
    GenerateText(std::u16string(3000, u'a'));  // 40-L holds 2953 bytes
    EXPECT_FALSE(Page().HasSymbol());
    EXPECT_TRUE(AllWhite(Preview()));
    Pump();
    EXPECT_TRUE(AllWhite(Surface(Page().PreviewWindow())));
    SaveAs("nothing.png");
    EXPECT_TRUE(shell.dialogRequests.empty());
    EXPECT_TRUE(std::filesystem::is_empty(tempDir));
}

TEST_F(MakePage, AMegabytePasteIsRefusedWholeAndLongTextIsNeverConverted) {
    HWND field = Page().ContentWindow(CQRENCODEUIHandler::kTextTab);
    const std::u16string megabyte(1 << 20, u'字');
    // The field pastes from the program's clipboard, not the scripted one.
    auto paste = [&](std::u16string_view text) {
        platform::SetShellProvider(nullptr);
        ASSERT_TRUE(platform::SetClipboardUnicodeText(nullptr, text));
        platform::SetShellProvider(&shell);
        platform::SetFocus(field);
        platform::Edit_SetSel(field, -1, -1);
        input::InjectKey(field, 'V', u"", platform::MK_CONTROL);
        Pump();
    };
    SetText(CQRENCODEUIHandler::kTextTab, u"kept");
    paste(megabyte);
    EXPECT_EQ(Text(CQRENCODEUIHandler::kTextTab), u"kept");
    EXPECT_EQ(Page().NoteText(), CQRENCODEUIHandler::kTooLongText);
    paste(u" and pasted");
    EXPECT_EQ(Text(CQRENCODEUIHandler::kTextTab), u"kept and pasted");
    EXPECT_EQ(Page().NoteText(), u"") << "the next change takes the note away";
    // Text the program sets is not held to the limit: generate refuses it unconverted.
    SetText(CQRENCODEUIHandler::kTextTab, megabyte);
    ClickItem(CQRENCODEUIHandler::IDC_GENERATE);
    EXPECT_FALSE(Page().HasSymbol());
    EXPECT_TRUE(AllWhite(Preview()));
}

TEST_F(MakePage, TypingPastTheLimitIsRefusedWithThePastesNoteAndKeepsTheTextsEnd) {
    HWND field = Page().ContentWindow(CQRENCODEUIHandler::kTextTab);
    const std::u16string full = std::u16string(CQRENCODEUIHandler::kMaxContentLength - 3, u'x') + u"end";
    SetText(CQRENCODEUIHandler::kTextTab, full);
    platform::SetFocus(field);
    platform::Edit_SetSel(field, 0, 0);
    input::InjectText(field, u"a");
    Pump();
    EXPECT_EQ(Text(CQRENCODEUIHandler::kTextTab), full);
    EXPECT_EQ(Page().NoteText(), CQRENCODEUIHandler::kTooLongText);
    input::InjectKey(field, VK_DELETE);  // one character fewer: one may be typed again
    input::InjectText(field, u"ab");
    Pump();
    EXPECT_EQ(Text(CQRENCODEUIHandler::kTextTab), u"a" + full.substr(1));
    EXPECT_EQ(Page().NoteText(), CQRENCODEUIHandler::kTooLongText);
}

TEST_F(MakePage, Gb2312RefusesCharactersGbkLacksAndTheOfferSwitchesToUtf8) {
    ComboBox_SetCurSel(Page().EncodingList(), 0);
    const std::u16string text = u"中文 😀 한국어";
    GenerateText(text);
    EXPECT_FALSE(Page().HasSymbol());
    EXPECT_TRUE(AllWhite(Preview()));
    ASSERT_TRUE(Page().OffersUtf8());
    EXPECT_EQ(wnd->GetItem(CQRENCODEUIHandler::IDC_USE_UTF8)->GetInnerText(),
              CQRENCODEUIHandler::MissingCharacterText(u"😀"));
    EXPECT_EQ(CQRENCODEUIHandler::MissingCharacterText(u"한"), u"GB2312 没有“한”（U+D55C），点此改用 UTF-8");

    ClickItem(CQRENCODEUIHandler::IDC_USE_UTF8);
    EXPECT_EQ(platform::ComboBox_GetCurSel(Page().EncodingList()), 1);
    ASSERT_TRUE(Page().HasSymbol());
    EXPECT_EQ(readSymbol(Preview()).text.substr(0, text.size()), text);
    EXPECT_FALSE(Page().OffersUtf8());
}

TEST_F(MakePage, SaveDialogOffersTheFiveFiltersAndATimeName) {
    GenerateText(u"a");
    ClickItem(CQRENCODEUIHandler::IDC_SAVE);  // no answer: cancelled
    ASSERT_EQ(shell.dialogRequests.size(), 1u);
    const platform::FileDialogRequest& request = shell.dialogRequests[0];
    const std::vector<std::pair<std::u16string, std::u16string>> expected = {
        {u"PNG", u"*.png"}, {u"JPEG", u"*.jpg;*.jpeg"}, {u"GIF", u"*.gif"}, {u"位图格式", u"*.bmp"}, {u"SVG", u"*.svg"}};
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

// The file is drawn from the matrix, not resampled from the preview: every module exactly
// scale x scale pixels with a four-module quiet zone (JPEG: never on the wrong side).
TEST_F(MakePage, SavedFilesDrawEveryModuleScaleByScalePixels) {
    for (int version : {1, 10, 25, 40}) {
        ComboBox_SetCurSel(Page().VersionList(), version);
        GenerateText(u"uniform modules");
        const int side = 4 * version + 17;
        ASSERT_EQ(Page().SymbolPixels(), side + 8);
        const std::vector<uint8_t>& modules = Page().SymbolModules();
        for (int scale : {1, 4, 20}) {
            ComboBox_SetCurSel(Page().ScaleList(), scale - 1);
            for (const std::string extension : {"png", "jpg", "gif", "bmp"}) {
                SCOPED_TRACE("version " + std::to_string(version) + " scale " + std::to_string(scale) + " " + extension);
                const platform::RgbImage image = Saved("uniform." + extension);
                ASSERT_EQ(image.width, (side + 8) * scale);
                ASSERT_EQ(image.height, image.width);
                int wrong = 0;
                for (int y = 0; y < image.height; ++y) {
                    const int my = y / scale - 4;
                    for (int x = 0; x < image.width; ++x) {
                        const int mx = x / scale - 4;
                        const bool dark = mx >= 0 && my >= 0 && mx < side && my < side &&
                                          modules[static_cast<size_t>(my) * side + mx];
                        const uint8_t* p = image.pixel(x, y);
                        if (extension == "jpg") {
                            wrong += (p[0] < 128) != dark;
                        } else {
                            wrong += p[0] != (dark ? 0 : 255) || p[1] != p[0] || p[2] != p[0];
                        }
                    }
                }
                EXPECT_EQ(wrong, 0);
            }
        }
    }
    ComboBox_SetCurSel(Page().ScaleList(), -1);  // typed text: scale 1
    EXPECT_EQ(Saved("typed.png").height, 177 + 8);
}

TEST_F(MakePage, FormatFollowsTheExtensionInAnyCaseElseTheChosenFilter) {
    GenerateText(u"formats");
    const struct {
        const char* answer;
        DWORD filter;
        const char* written;
        const char* format;
    } cases[] = {
        {"a.png", 2, "a.png", "png"},     {"b.JPG", 1, "b.JPG", "jpg"},       {"c.jpeg", 1, "c.jpeg", "jpg"},
        {"d.Gif", 1, "d.Gif", "gif"},     {"e.bmp", 1, "e.bmp", "bmp"},       {"f.PNG", 4, "f.PNG", "png"},
        {"offered", 2, "offered.jpg", "jpg"}, {"g", 3, "g.gif", "gif"},        {"h.txt", 4, "h.txt.bmp", "bmp"},
        {"i.SVG", 1, "i.SVG", "svg"},     {"j", 5, "j.svg", "svg"},
    };
    for (const auto& c : cases) {
        SaveAs(c.answer, c.filter);
        EXPECT_EQ(FormatOf(tempDir / c.written), c.format) << c.answer;
        EXPECT_EQ(Page().StatusText(), u"已保存：" + platform::utf8ToUtf16(c.written));
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(tempDir), {}), std::size(cases));
}

// The overwrite question is about the file really written; declining goes back to the dialog.
// Replacing writes through a link to its target and keeps the target's permissions.
TEST_F(MakePage, OverwriteAsksAboutTheWrittenFileAndKeepsLinksAndPermissions) {
    GenerateText(u"overwrite");
    const auto target = tempDir / "target.png";
    std::ofstream(target) << "old";
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
    std::filesystem::create_symlink("target.png", tempDir / "link.png");
    SaveAs("link");
    ASSERT_EQ(shell.overwriteQuestions, std::vector<std::u16string>{platform::utf8ToUtf16((tempDir / "link.png").string())});
    EXPECT_TRUE(std::filesystem::is_symlink(tempDir / "link.png"));
    EXPECT_EQ(FormatOf(target), "png");
    EXPECT_EQ(std::filesystem::status(target).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write | std::filesystem::perms::group_read);

    shell.overwriteAnswers = {false};
    shell.dialogAnswers.push_back({true, platform::utf8ToUtf16((tempDir / "target").string()), 1});
    shell.dialogAnswers.push_back({true, platform::utf8ToUtf16((tempDir / "other").string()), 3});
    ClickItem(CQRENCODEUIHandler::IDC_SAVE);
    SaveWritten();
    ASSERT_EQ(shell.dialogRequests.size(), 3u);
    EXPECT_EQ(shell.dialogRequests[2].initialFile, platform::utf8ToUtf16(target.string()));
    EXPECT_EQ(FormatOf(tempDir / "other.gif"), "gif");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(tempDir), {}), 3);
}

TEST_F(MakePage, AFailedSaveSaysWhyAndCancelStaysSilent) {
    GenerateText(u"failure");
    std::u16string shown;
    bool boxSeen = false;
    // The box comes when the save job's result arrives.
    const auto closeTheBox = ModalScript::When(
        [&] { return Page().SaveFailureBox() && platform::IsWindowVisible(Page().SaveFailureBox()->GetHWnd()); },
        [&] {
            boxSeen = true;
            shown = Page().SaveFailureBox()->GetItem(CBkSafeMsgBox::IDC_TEXT)->GetInnerText();
            ClickElement(*Page().SaveFailureBox(), IDOK);
        });
    {
        ModalScript script({closeTheBox});
        SaveAs("gone/a.png");
        EXPECT_TRUE(script.Finished());
    }
    EXPECT_TRUE(boxSeen);
    EXPECT_EQ(shown, u"保存失败：文件夹不存在");
    EXPECT_EQ(CQRENCODEUIHandler::SaveFailureText(EACCES), u"保存失败：没有写入权限");
    EXPECT_EQ(CQRENCODEUIHandler::SaveFailureText(ENOSPC), u"保存失败：磁盘空间不足");

    boxSeen = false;
    ModalScript script({closeTheBox});
    ClickItem(CQRENCODEUIHandler::IDC_SAVE);  // cancelled
    for (int i = 0; i < 30; ++i, platform::Sleep(5)) Pump();
    EXPECT_FALSE(boxSeen);
}

// What the page shows and saves reads back exactly in zxing-cpp (as text: kanji mode would mean
// Shift JIS to it) and zbar (raw bytes), in UTF-8 and, where it holds the text, GBK.
TEST_F(MakePage, SymbolsInEveryScriptReadBackInZxingAndZbar) {
    int symbols = 0;
    for (const testsupport::SampleText& sample : testsupport::kSampleTexts) {
        for (const bool utf8 : {true, false}) {
            std::string bytes;
            if (!testsupport::encodeIn(utf8 ? platform::kCodePageUtf8 : platform::kCodePageGbk, sample.text, bytes)) continue;
            SCOPED_TRACE(std::string(sample.name) + (utf8 ? " in UTF-8" : " in GBK"));
            const std::string text = platform::utf16ToUtf8(sample.text);
            const std::string charset = utf8 ? "" : "GB18030";
            ComboBox_SetCurSel(Page().EncodingList(), utf8 ? 1 : 0);
            GenerateText(sample.text);
            const testsupport::Reading preview = testsupport::readWithZxing(Preview(), charset);
            ASSERT_TRUE(preview.found);
            EXPECT_EQ(preview.textUtf8, text);
            testsupport::expectReadBackExactly(Saved(std::string(sample.name) + ".png"), text, bytes, charset);
            ++symbols;
        }
    }
    EXPECT_EQ(symbols, 15);
}

TEST_F(MakePage, CardMailWifiAndMapTabsHaveTemplatesAndEncodeTheirText) {
    // The template as the field reads it back (a field gives its lines CR LF), a text that
    // starts with the template's first token and is kept, and what that text encodes.
    const struct {
        int tab;
        std::u16string_view title, prefilled, kept, encoded;
    } tabs[] = {
        {1, u"名片", u"BEGIN:VCARD\r\nVERSION:3.0\r\nN:\r\nFN:\r\nTEL:\r\nEMAIL:\r\nEND:VCARD",
         u"BEGIN:VCARD\r\nFN:李雷\r\nEND:VCARD", u"BEGIN:VCARD\r\nFN:李雷\r\nEND:VCARD"},
        {5, u"电邮", u"mailto:", u"mailto:li@example.org", u"mailto:li@example.org"},
        {6, u"WiFi", u"WIFI:T:WPA;S:;P:;;", u"WIFI:T:WPA;S:home;P:p;a\\ss;;", u"WIFI:T:WPA;S:home;P:p\\;a\\\\ss;;"},
        {7, u"地图", u"geo:", u"geo:39.9042,116.4074", u"geo:39.9042,116.4074"},
    };
    ComboBox_SetCurSel(Page().EncodingList(), 1);
    for (const auto& t : tabs) {
        EXPECT_EQ(Tabs().GetPage(static_cast<size_t>(t.tab))->GetTitle(), t.title);
        SetText(t.tab, u"begin:vcard wifi: Geo: MAILTO:");  // the tokens compare case-sensitively
        ClickTab(t.tab);
        EXPECT_EQ(Text(t.tab), t.prefilled) << t.tab;
        SetText(t.tab, t.kept);
        ClickTab(8);
        ClickTab(t.tab);
        EXPECT_EQ(Text(t.tab), t.kept) << t.tab;
        // Ctrl+Enter generates, also from inside the field.
        platform::SetFocus(Page().ContentWindow(t.tab));
        input::InjectKey(Page().ContentWindow(t.tab), VK_RETURN, u"", platform::MK_CONTROL);
        Pump();
        EXPECT_EQ(Text(t.tab), t.kept) << "the key typed no line";
        const std::string utf8 = platform::utf16ToUtf8(t.encoded);
        EXPECT_EQ(ZxBytes(), Bytes(utf8.begin(), utf8.end())) << t.tab;
    }
}

TEST_F(MakePage, KeysAndThePreviewMenuSaveAndCopyTheSymbolAndPasteStillPastesText) {
    GenerateText(u"copy me");
    auto copied = [&] {
        platform::RgbImage picture;
        platform::PictureFromMimeData(shell.clipboardData, picture);
        shell.clipboardData = {};
        return picture;
    };
    input::InjectKey(Host(), 'C', u"", platform::MK_CONTROL | platform::MK_SHIFT);
    const platform::RgbImage picture = copied();
    EXPECT_EQ(picture.width, Page().SymbolPixels() * 4);  // as saved, at the list's scale
    EXPECT_EQ(readSymbol(picture).text, u"copy me");

    shell.menuChoices = {CTALVORINEXMainWnd::ID_COPY_IMAGE};
    input::InjectMouse(Page().PreviewWindow(), input::MouseAction::Press, 30, 30, input::MouseButton::Right);
    input::InjectMouse(Page().PreviewWindow(), input::MouseAction::Release, 30, 30, input::MouseButton::Right);
    ASSERT_EQ(shell.menusShown.size(), 1u);
    EXPECT_EQ(shell.menusShown[0][0].text, u"复制图片");
    EXPECT_EQ(copied().rgb, picture.rgb);

    input::InjectKey(Host(), 'S', u"", platform::MK_CONTROL);  // cancelled
    ASSERT_EQ(shell.dialogRequests.size(), 1u);
    EXPECT_TRUE(shell.dialogRequests[0].save);

    // The make page's keys do nothing on the other pages.
    ASSERT_TRUE(wnd->ShowPage(CTALVORINEXMainWnd::kReadPage));
    input::InjectKey(Host(), 'S', u"", platform::MK_CONTROL);
    input::InjectKey(Host(), 'C', u"", platform::MK_CONTROL | platform::MK_SHIFT);
    EXPECT_EQ(shell.dialogRequests.size(), 1u);
    EXPECT_TRUE(shell.clipboardData.formats.empty());

    // With no picture to read, Ctrl+V is the focused field's own paste of text (Qt's clipboard).
    ASSERT_TRUE(wnd->ShowPage(CTALVORINEXMainWnd::kMakePage));
    platform::SetShellProvider(nullptr);
    platform::SetClipboardUnicodeText(nullptr, u"pasted text");
    platform::SetShellProvider(&shell);
    SetText(8, u"");
    platform::SetFocus(Page().ContentWindow(8));
    input::InjectKey(Page().ContentWindow(8), 'V', u"", platform::MK_CONTROL);
    Pump();
    EXPECT_EQ(Text(8), u"pasted text");
}

}  // namespace
