#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "platform/imaging.h"
#include "platform/shell.h"

namespace platform {
namespace {

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override { SetShellProvider(&shell); }
    void TearDown() override { SetShellProvider(nullptr); }
    ScriptedShell shell;
};

// A name without one of the filters' extensions gets the chosen filter's, so the name says what
// is written in it.
TEST_F(ShellTest, SaveDialogGivesTheChosenFiltersExtension) {
    const std::pair<std::u16string, DWORD> answers[] = {
        {u"/tmp/out/symbol", 2}, {u"/tmp/out.d/symbol.JPEG", 1}, {u"/tmp/out.d/symbol", 1},
        {u"/tmp/a.txt", 3},      {u"/tmp/b.", 1},               {u"/tmp/.hidden", 1}};
    for (const auto& [path, filter] : answers) shell.dialogAnswers.push_back({true, path, filter});
    shell.dialogAnswers.push_back({false, u"", 1});
    OPENFILENAME ofn;
    ofn.filters = {{u"PNG", u"*.png"}, {u"JPEG", u"*.jpg;*.jpeg"}, {u"All", u"*.*"}};
    ofn.file = u"2026128";
    ofn.defExt = u"png";
    ofn.flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;
    const std::u16string expected[] = {u"/tmp/out/symbol.jpg", u"/tmp/out.d/symbol.JPEG", u"/tmp/out.d/symbol.png",
                                       u"/tmp/a.txt.png",      u"/tmp/b.png",             u"/tmp/.hidden.png"};
    for (const std::u16string& name : expected) {
        ASSERT_TRUE(GetSaveFileName(&ofn));
        EXPECT_EQ(ofn.file, name);
    }
    EXPECT_EQ(ofn.nFilterIndex, 1u);
    EXPECT_FALSE(GetSaveFileName(&ofn));  // cancelled
    EXPECT_FALSE(GetOpenFileName(&ofn));  // no answers left
    ASSERT_EQ(shell.dialogRequests.size(), 8u);
    EXPECT_TRUE(shell.dialogRequests[0].save);
    EXPECT_EQ(shell.dialogRequests[0].initialFile, u"2026128");
    EXPECT_EQ(shell.dialogRequests[0].filters[1].pattern, u"*.jpg;*.jpeg");
    EXPECT_FALSE(shell.dialogRequests[7].save);
    EXPECT_TRUE(shell.overwriteQuestions.empty());  // none of the files exists
}

TEST_F(ShellTest, ClipboardText) {
    EXPECT_TRUE(SetClipboardUnicodeText(nullptr, u"解码后的文本"));
    EXPECT_EQ(GetClipboardUnicodeText(), std::optional<std::u16string>(u"解码后的文本"));
    EXPECT_TRUE(SetClipboardUnicodeText(nullptr, u""));
    EXPECT_EQ(GetClipboardUnicodeText(), std::optional<std::u16string>(u""));
    shell.clipboardAvailable = false;
    EXPECT_FALSE(SetClipboardUnicodeText(nullptr, u"x"));
    EXPECT_EQ(GetClipboardUnicodeText(), std::nullopt);
}

TEST_F(ShellTest, TrayIconLifecycleAndCallbacks) {
    std::vector<std::pair<WPARAM, LPARAM>> callbacks;
    HWND w = CreateWindowEx(0, u"Main", u"", WS_POPUP, 0, 0, 10, 10, nullptr, 0,
                            [&](HWND h, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
                                if (m == WM_USER + 1000) callbacks.emplace_back(wp, lp);
                                return DefWindowProc(h, m, wp, lp);
                            });
    NOTIFYICONDATA nid;
    nid.hWnd = w;
    nid.uID = 1;
    nid.uFlags = NIF_MESSAGE | NIF_TIP;
    nid.uCallbackMessage = WM_USER + 1000;
    nid.szTip = std::u16string(200, u'x');
    ASSERT_TRUE(Shell_NotifyIcon(NIM_ADD, &nid));
    EXPECT_FALSE(Shell_NotifyIcon(NIM_ADD, &nid));  // exists
    ASSERT_NE(shell.findTrayIcon(w, 1), nullptr);
    EXPECT_EQ(shell.findTrayIcon(w, 1)->szTip.size(), 127u);
    nid.uFlags = NIF_TIP;
    nid.szTip = u"MerovaskV1.0";
    EXPECT_TRUE(Shell_NotifyIcon(NIM_MODIFY, &nid));
    EXPECT_EQ(shell.findTrayIcon(w, 1)->szTip, u"MerovaskV1.0");
    EXPECT_EQ(shell.findTrayIcon(w, 1)->uCallbackMessage, WM_USER + 1000);  // kept
    EXPECT_TRUE(shell.clickTray(w, 1, WM_RBUTTONUP));
    PumpMessages();
    ASSERT_EQ(callbacks.size(), 1u);
    EXPECT_EQ(callbacks[0], (std::pair<WPARAM, LPARAM>{1, WM_RBUTTONUP}));
    EXPECT_TRUE(Shell_NotifyIcon(NIM_DELETE, &nid));
    EXPECT_FALSE(Shell_NotifyIcon(NIM_DELETE, &nid));
    EXPECT_EQ(shell.findTrayIcon(w, 1), nullptr);

    shell.trayAvailable = false;
    nid.uFlags = NIF_MESSAGE;
    EXPECT_FALSE(Shell_NotifyIcon(NIM_ADD, &nid));
    EXPECT_FALSE(Shell_NotifyIcon(NIM_MODIFY, &nid));
    shell.trayAvailable = true;
    ASSERT_TRUE(Shell_NotifyIcon(NIM_ADD, &nid));
    DestroyWindow(w);  // its icons go with it
    EXPECT_TRUE(shell.trayIcons.empty());
}

TEST_F(ShellTest, PopupMenusReturnOrPostTheCommand) {
    std::vector<WPARAM> commands;
    HWND w = CreateWindowEx(0, u"Main", u"", WS_POPUP, 0, 0, 10, 10, nullptr, 0,
                            [&](HWND h, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
                                if (m == WM_COMMAND) commands.push_back(wp);
                                return DefWindowProc(h, m, wp, lp);
                            });
    HMENU bar = CreatePopupMenu();
    HMENU tray = CreatePopupMenu();
    AppendMenu(tray, MF_STRING, 0x8007, u"恢复窗口");
    AppendMenu(tray, MF_SEPARATOR, 0, u"");
    AppendMenu(tray, MF_STRING, 0x8006, u"退出");
    AppendMenu(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(tray), u"tray");
    HMENU sub = GetSubMenu(bar, 0);
    ASSERT_EQ(sub, tray);
    EXPECT_EQ(GetMenuItemCount(sub), 3);
    shell.menuChoices = {0x8006, 0, 0x8007};
    EXPECT_EQ(TrackPopupMenu(sub, TPM_RETURNCMD, 1, 2, w), 0x8006);
    EXPECT_EQ(TrackPopupMenu(sub, TPM_RIGHTBUTTON, 1, 2, w), 0);
    EXPECT_EQ(TrackPopupMenu(sub, TPM_RIGHTBUTTON, 1, 2, w), 1);
    EXPECT_TRUE(commands.empty());  // posted, not sent
    PumpMessages();
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(LOWORD(commands[0]), 0x8007);
    ASSERT_EQ(shell.menusShown.size(), 3u);
    ASSERT_EQ(shell.menusShown[0].size(), 3u);
    EXPECT_TRUE(shell.menusShown[0][1].separator);
    EXPECT_EQ(shell.menusShown[0][2].text, u"退出");
    DestroyMenu(bar);
    DestroyWindow(w);
}

TEST_F(ShellTest, LanguageIdsFromTheLocale) {
    EXPECT_EQ(LanguageIdFromLocale("zh_CN.UTF-8"), 2052);
    EXPECT_EQ(LanguageIdFromLocale("zh_CN"), 2052);
    EXPECT_EQ(LanguageIdFromLocale("zh_TW.Big5"), 1028);
    EXPECT_EQ(LanguageIdFromLocale("zh_HK.UTF-8"), 3076);
    EXPECT_EQ(LanguageIdFromLocale("zh-SG"), 4100);
    EXPECT_EQ(LanguageIdFromLocale("zh"), 1033);
    EXPECT_EQ(LanguageIdFromLocale("en_US.UTF-8"), 1033);
    EXPECT_EQ(LanguageIdFromLocale("C"), 1033);
    EXPECT_EQ(LanguageIdFromLocale(""), 1033);
    shell.locale = "zh_TW.UTF-8";
    EXPECT_EQ(GetSystemDefaultLangID(), 1028);
}

TEST_F(ShellTest, OpeningTargetsGoesThroughTheProvider) {
    EXPECT_TRUE(ShellExecuteOpen(u"https://example.org/"));
    EXPECT_FALSE(ShellExecuteOpen(u""));
    ASSERT_EQ(shell.openedTargets.size(), 1u);
    EXPECT_EQ(shell.openedTargets[0], u"https://example.org/");
}

TEST(SingleInstance, SecondHolderFailsAndACrashedHolderNeverBlocks) {
    char dir[] = "/tmp/merovask-lock-XXXXXX";
    ASSERT_NE(::mkdtemp(dir), nullptr);
    const char* old = std::getenv("XDG_RUNTIME_DIR");
    const std::string saved = old ? old : "";
    ::setenv("XDG_RUNTIME_DIR", dir, 1);
    {
        NamedMutex first(u"TALVORINEX_ONEINSTANCE_MUTEX");
        ASSERT_TRUE(first.owned());
        EXPECT_EQ(first.path(), std::string(dir) + "/TALVORINEX_ONEINSTANCE_MUTEX.lock");
        NamedMutex second(u"TALVORINEX_ONEINSTANCE_MUTEX");
        EXPECT_FALSE(second.owned());
        EXPECT_TRUE(second.alreadyExists());
    }
    {
        NamedMutex again(u"TALVORINEX_ONEINSTANCE_MUTEX");
        EXPECT_TRUE(again.owned());  // released with the first holder
    }
    // A holder that dies without cleaning up leaves the lock file but not the lock.
    const pid_t child = ::fork();
    if (child == 0) {
        NamedMutex holder(u"TALVORINEX_ONEINSTANCE_MUTEX");
        ::_exit(holder.owned() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    NamedMutex after(u"TALVORINEX_ONEINSTANCE_MUTEX");
    EXPECT_TRUE(after.owned());
    if (saved.empty()) {
        ::unsetenv("XDG_RUNTIME_DIR");
    } else {
        ::setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
    }
    ::unlink((std::string(dir) + "/TALVORINEX_ONEINSTANCE_MUTEX.lock").c_str());
    ::rmdir(dir);
}

TEST_F(ShellTest, PicturesFromImageDataOrFromLocalFilesInAUrlList) {
    RgbImage picture(3, 2);
    picture.pixel(1, 1)[0] = 0;  // one cyan pixel
    auto bytesOf = [&](ImageFormat format) {
        std::vector<uint8_t> bytes;
        encodeImage(picture, format, bytes);
        return std::string(bytes.begin(), bytes.end());
    };
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / ("merovask-mime-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string png = bytesOf(ImageFormat::Png);
    writeFileAtomically((dir / "图 1.PNG").string(), std::vector<uint8_t>(png.begin(), png.end()));

    RgbImage out;
    MimeData data;
    data.formats = {{"image/bmp", bytesOf(ImageFormat::Bmp)}};
    ASSERT_TRUE(PictureFromMimeData(data, out));
    EXPECT_EQ(out.rgb, picture.rgb);
    // Unreadable image data, a remote file, a comment: the local file (percent-encoded) is read.
    data.formats = {{"image/png", "not a picture"},
                    {"text/uri-list", "# comment\r\nhttps://example.org/a.png\r\nfile://" + dir.string() +
                                          "/%E5%9B%BE%201.PNG\r\n"}};
    out = RgbImage();
    ASSERT_TRUE(PictureFromMimeData(data, out));
    EXPECT_EQ(out.rgb, picture.rgb);
    data.formats = {{"image/png", "not a picture"}, {"text/uri-list", "file:///nonexistent/a.png\r\n"}};
    EXPECT_FALSE(PictureFromMimeData(data, out));
    EXPECT_EQ(out.width, 0);
    std::filesystem::remove_all(dir);

    // The scripted clipboard holds what is set last: a picture replaces the text and back.
    EXPECT_TRUE(SetClipboardUnicodeText(nullptr, u"text"));
    EXPECT_FALSE(GetClipboardPicture(out));
    EXPECT_TRUE(SetClipboardPicture(nullptr, picture));
    EXPECT_EQ(GetClipboardUnicodeText(), std::nullopt);
    ASSERT_TRUE(GetClipboardPicture(out));
    EXPECT_EQ(out.rgb, picture.rgb);
}

}  // namespace
}  // namespace platform
