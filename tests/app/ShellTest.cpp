// The shell: start-up state of the main window, the symbol it opens with, the single instance,
// the tray and its menu, the header buttons and the ways the program ends.
#include <functional>

#include "AppTestSupport.h"
#include "app/QRENCODEUIHandler.h"
#include "app/UIHandler.h"
#include "app/UIMsgBox.h"
#include "bkres/bkstringpool.h"
#include "bkwin/bkpanel.h"
#include "bkwin/bktabctrl.h"
#include "decoder/SymbolReader.h"
#include "platform/text.h"
#include "tests/support/IndependentReaders.h"

using namespace apptest;

namespace {

const std::u16string kProductName = u"MerovaskV1.0";
const std::string kCreditUtf8 = "本软件由Kestrawin出品";

// The texts of the line elements of a message box on show.
std::vector<std::u16string> BoxLines(CBkSafeMsgBox& box) {
    std::vector<std::u16string> lines;
    if (auto* block = dynamic_cast<CBkPanel*>(box.GetItem(CBkSafeMsgBox::IDC_LINES))) {
        for (const auto& child : block->Children()) lines.push_back(child->GetInnerText());
    }
    return lines;
}

void PumpFor(DWORD ms) {
    const DWORD until = platform::GetTickCount() + ms;
    while (platform::GetTickCount() < until) {
        platform::PumpMessages();
        platform::Sleep(2);
    }
}

class Shell : public AppTest {};

TEST_F(Shell, LanguageIndexFollowsTheSystemLanguage) {
    EXPECT_EQ(CTALVORINEXModule::LanguageFromLangId(2052), 0);
    for (WORD traditional : {1028, 3076, 4100}) EXPECT_EQ(CTALVORINEXModule::LanguageFromLangId(traditional), 1);
    for (WORD other : {1033, 1031, 1041, 0}) EXPECT_EQ(CTALVORINEXModule::LanguageFromLangId(other), 2);
}

TEST_F(Shell, StartsOnTheTextTabWithTheCreditSymbolAndTheTrayIcon) {
    CTALVORINEXMainWnd& main = CreateMainWindow();
    EXPECT_EQ(CTALVORINEXMainWnd::Instance(), &main);
    EXPECT_EQ(platform::GetWindowText(main.GetHWnd()), kProductName);
    RECT window{};
    platform::GetWindowRect(main.GetHWnd(), &window);
    EXPECT_EQ(RectWidth(window), 800);
    EXPECT_EQ(RectHeight(window), 600);

    auto* tabs = dynamic_cast<CBkTabCtrl*>(main.GetItem(CTALVORINEXMainWnd::IDC_TEMPLATE_TAB));
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(tabs->GetCurSel(), 8);
    ASSERT_EQ(tabs->GetPageCount(), 9u);
    for (size_t i = 0; i < tabs->GetPageCount(); ++i) EXPECT_FALSE(tabs->GetPage(i)->IsHidden()) << "tab " << i;

    const platform::NOTIFYICONDATA* icon = shell.findTrayIcon(main.GetHWnd(), CTALVORINEXMainWnd::kTrayIconId);
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->uCallbackMessage, 2024u);
    EXPECT_EQ(icon->szTip, kProductName);
    EXPECT_TRUE(main.IsTrayIconShown());

    // Let timer 1 paint the preview window, then read what it shows.
    PumpFor(200);
    HWND preview = platform::GetDlgItem(Host(), 2171);
    ASSERT_NE(preview, nullptr);
    const platform::RgbImage shown = Surface(preview);
    ASSERT_EQ(shown.width, 330);
    ASSERT_EQ(shown.height, 330);

    const SymbolReading ours = readSymbol(shown);
    ASSERT_TRUE(ours.found) << ours.failure;
    EXPECT_EQ(ours.textUtf8.substr(0, kCreditUtf8.size()), kCreditUtf8);

    // Every reader reads exactly the credit in UTF-8 (the locale's character set), nothing after it.
    const std::string credit = platform::utf16ToUtf8(CQRENCODEUIHandler::kCreditText);
    testsupport::expectReadBackExactly(shown, credit, credit);
}

TEST_F(Shell, RunsWithoutATrayAndPicksUpOneThatComesLate) {
    shell.trayAvailable = false;
    CTALVORINEXMainWnd& main = CreateMainWindow();
    EXPECT_FALSE(main.IsTrayIconShown());
    EXPECT_TRUE(platform::IsWindowVisible(main.GetHWnd())) << "the window does not wait for the tray";
    shell.trayAvailable = true;
    PumpFor(250);
    EXPECT_TRUE(main.IsTrayIconShown());
    EXPECT_NE(shell.findTrayIcon(main.GetHWnd(), 1), nullptr);
}

TEST_F(Shell, GivesUpOnTheTrayAfterFourAttemptsUntilATrayHostAppears) {
    shell.trayAvailable = false;
    CTALVORINEXMainWnd& main = CreateMainWindow();
    PumpFor(700);
    shell.trayAvailable = true;
    PumpFor(250);
    EXPECT_FALSE(main.IsTrayIconShown());
    EXPECT_TRUE(shell.trayIcons.empty());
    ClickItem(CTALVORINEXMainWnd::IDC_MINIMIZE);
    EXPECT_TRUE(platform::IsIconic(main.GetHWnd())) << "the window's own buttons still work";
    // A panel started later: the session bus says so and the icon goes in.
    ASSERT_TRUE(shell.trayHostAppears());
    Pump();
    EXPECT_TRUE(main.IsTrayIconShown());
    EXPECT_NE(shell.findTrayIcon(main.GetHWnd(), 1), nullptr);
}

TEST_F(Shell, EveryLanguageShowsTheSameTitle) {
    int result = -1;
    std::u16string title, tip;
    for (const char* locale : {"zh_CN.UTF-8", "zh_TW.UTF-8", "en_US.UTF-8", "C"}) {
        shell.locale = locale;
        BkString::Clear();
        CTALVORINEXModule module;
        ModalScript script({[&] {
            CTALVORINEXMainWnd* main = CTALVORINEXMainWnd::Instance();
            ASSERT_NE(main, nullptr);
            title = platform::GetWindowText(main->GetHWnd());
            tip = main->TrayIcon().szTip;
            main->EndProgram();
        }});
        result = module.Run();
        EXPECT_TRUE(script.Finished()) << locale;
        EXPECT_EQ(result, 2) << locale;
        EXPECT_EQ(title, kProductName) << locale;
        EXPECT_EQ(tip, kProductName) << locale;
        EXPECT_EQ(CTALVORINEXMainWnd::Instance(), nullptr);
        EXPECT_TRUE(shell.trayIcons.empty()) << "the tray icon goes with the program";
    }
}

TEST_F(Shell, SecondStartShowsTheBoxAndEndsWithZero) {
    platform::NamedMutex firstInstance(CTALVORINEXModule::kInstanceMutexName);
    ASSERT_TRUE(firstInstance.owned());

    CTALVORINEXModule second;
    std::vector<std::u16string> lines;
    bool mainWindowMade = true;
    ModalScript script({[&] {
        CBkSafeMsgBox* box = second.AlreadyRunningBox();
        ASSERT_NE(box, nullptr);
        lines = BoxLines(*box);
        mainWindowMade = CTALVORINEXMainWnd::Instance() != nullptr;
        ClickElement(*box, IDOK);
    }});
    EXPECT_EQ(second.Run(), 0);
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(lines, std::vector<std::u16string>{u"MerovaskV1.0 已经运行！"});
    EXPECT_FALSE(mainWindowMade);
    EXPECT_TRUE(shell.trayIcons.empty());
    EXPECT_TRUE(firstInstance.owned()) << "the first instance keeps running";
}

TEST_F(Shell, SecondStartBringsTheFirstForward) {
    CTALVORINEXModule first, second;
    bool minimisedBefore = false, iconicAfter = true, activeAfter = false;
    int secondResult = -1;
    HWND firstWindow = nullptr;
    ModalScript script({
        [&] {
            firstWindow = CTALVORINEXMainWnd::Instance()->GetHWnd();
            platform::ShowWindow(firstWindow, platform::SW_MINIMIZE);
            minimisedBefore = platform::IsIconic(firstWindow);
        },
        [&] {
            // The box's modal loop runs inside this step: its own script closes it.
            ModalScript box({[&] { ClickElement(*second.AlreadyRunningBox(), IDOK); }});
            secondResult = second.Run();  // the box, then the request to come forward
        },
        [&] {
            // The request comes through a local socket, served by this event loop in its own time.
            for (int waited = 0; waited < 5000 && platform::IsIconic(firstWindow); waited += 10) {
                platform::PumpMessages();
                ::usleep(10'000);
            }
            iconicAfter = platform::IsIconic(firstWindow);
            activeAfter = platform::GetActiveWindow() == firstWindow;
            CTALVORINEXMainWnd::Instance()->EndProgram();
        },
    });
    EXPECT_EQ(first.Run(), 2);
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(secondResult, 0);
    EXPECT_TRUE(minimisedBefore);
    EXPECT_FALSE(iconicAfter);
    EXPECT_TRUE(activeAfter);
}

TEST_F(Shell, ClosingEndsTheProgramAndRemovesTheTrayIcon) {
    // The header's close button, and the window manager's close request (Alt+F4).
    for (bool useCloseButton : {true, false}) {
        auto main = std::make_unique<CTALVORINEXMainWnd>();
        bool iconWhileRunning = false;
        ModalScript script({[&] {
            iconWhileRunning = shell.findTrayIcon(main->GetHWnd(), 1) != nullptr;
            if (useCloseButton) {
                ClickElement(*main, CTALVORINEXMainWnd::IDC_CLOSE);
            } else {
                input::InjectCloseRequest(main->GetHWnd());
            }
        }});
        EXPECT_EQ(main->DoModal(nullptr), 2);
        EXPECT_TRUE(script.Finished());
        EXPECT_TRUE(iconWhileRunning);
        EXPECT_TRUE(shell.trayIcons.empty());
        EXPECT_FALSE(platform::IsWindow(main->GetHWnd()));
    }
}

TEST_F(Shell, TrayMenuOffersRestoreAndExitAndExitEnds) {
    auto main = std::make_unique<CTALVORINEXMainWnd>();
    shell.menuChoices = {CTALVORINEXMainWnd::ID_TRAY_EXIT};
    ModalScript script({[&] { shell.clickTray(main->GetHWnd(), 1, WM_RBUTTONUP); }});
    EXPECT_EQ(main->DoModal(nullptr), 2);
    ASSERT_EQ(shell.menusShown.size(), 1u);
    std::vector<std::u16string> texts;
    for (const platform::MenuItemInfo& item : shell.menusShown[0]) {
        if (item.separator) {
            texts.push_back(u"-");
        } else if (!item.text.empty()) {
            texts.push_back(item.text);
        }
    }
    EXPECT_EQ(texts, (std::vector<std::u16string>{u"恢复窗口", u"扫描屏幕", u"-", u"退出"}));
    EXPECT_TRUE(shell.trayIcons.empty());
}

TEST_F(Shell, MinimiseKeepsTheTrayIconAndTheTrayRestores) {
    CTALVORINEXMainWnd& main = CreateMainWindow();
    ClickItem(CTALVORINEXMainWnd::IDC_MINIMIZE);
    EXPECT_TRUE(platform::IsIconic(main.GetHWnd()));
    EXPECT_NE(shell.findTrayIcon(main.GetHWnd(), 1), nullptr);

    shell.clickTray(main.GetHWnd(), 1, WM_LBUTTONDBLCLK);
    Pump();
    EXPECT_FALSE(platform::IsIconic(main.GetHWnd()));
    EXPECT_TRUE(platform::IsWindowVisible(main.GetHWnd()));

    // Trays that send one activation for a click restore it as well.
    ClickItem(CTALVORINEXMainWnd::IDC_MINIMIZE);
    ASSERT_TRUE(platform::IsIconic(main.GetHWnd()));
    shell.clickTray(main.GetHWnd(), 1, WM_LBUTTONUP);
    Pump();
    EXPECT_FALSE(platform::IsIconic(main.GetHWnd()));

    // "恢复窗口" from the tray menu brings a minimised window back too.
    ClickItem(CTALVORINEXMainWnd::IDC_MINIMIZE);
    ASSERT_TRUE(platform::IsIconic(main.GetHWnd()));
    shell.menuChoices = {CTALVORINEXMainWnd::ID_TRAY_RESTORE};
    shell.clickTray(main.GetHWnd(), 1, WM_RBUTTONUP);
    Pump();
    EXPECT_FALSE(platform::IsIconic(main.GetHWnd()));
}

TEST_F(Shell, MenuButtonOpensTheAboutDialogWithTheVersion) {
    auto main = std::make_unique<CTALVORINEXMainWnd>();
    shell.menuChoices = {CTALVORINEXMainWnd::ID_MENU_ABOUT};
    std::u16string version, footer;
    bool aboutShown = false;
    ModalScript script({
        [&] { ClickElement(*main, CTALVORINEXMainWnd::IDC_MENU); },
        [&] {
            CBkSafeMsgBox* about = main->GeneralHandler().AboutDialog();
            ASSERT_NE(about, nullptr);
            aboutShown = platform::IsWindowVisible(about->GetHWnd());
            if (CBkWindow* e = about->GetItem(CUIHandler::kAboutVersionItem)) version = e->GetInnerText();
            ClickElement(*about, IDCANCEL);  // its "关闭" button
        },
        [&] { main->EndProgram(); },
    });
    EXPECT_EQ(main->DoModal(nullptr), 2);
    EXPECT_TRUE(script.Finished());
    ASSERT_EQ(shell.menusShown.size(), 1u);
    bool hasAbout = false;
    for (const platform::MenuItemInfo& item : shell.menusShown[0]) hasAbout = hasAbout || item.text == u"关于";
    EXPECT_TRUE(hasAbout);
    EXPECT_TRUE(aboutShown);
    EXPECT_EQ(version, u"1.0.0.1");
}

}  // namespace
