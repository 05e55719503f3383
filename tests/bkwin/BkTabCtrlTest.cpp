// The tab control: tab and frame geometry, the loading rules for the selection and hidden
// pages, selection changes with the code-5 veto, hiding pages, hover, hit testing, painting.
#include "BkControlFixture.h"
#include "bkwin/bkcheckbox.h"
#include "bkwin/bkrealwnd.h"
#include "bkwin/bktabctrl.h"

namespace {

// The main window's tab control, three pages with one check box each.
const std::string kMainTabs =
    "<tabctrl id=10 pos=\"20,30,-0,-0\" cursel=0 tabwidth=71 tabheight=71 tabskin=tabmain iconskin=logomodule "
    "tabspacing=5 tabpos=1 framepos=7 icon-x=10 icon-y=1 text-x=0 text-y=25 crtext=000000>"
    "<tab title=\"A\"><check id=100 pos=\"10,10\">a</check></tab>"
    "<tab title=\"B\"><check id=101 pos=\"10,10\">b</check></tab>"
    "<tab title=\"C\"><check id=102 pos=\"10,10\">c</check></tab>"
    "</tabctrl>";

class BkTabCtrlTest : public BkControlTest {};

TEST_F(BkTabCtrlTest, MainTabGeometry) {
    Root(kMainTabs, 800, 600);
    auto& tabs = Item<CBkTabCtrl>(10);
    const RECT rc = tabs.GetRect();
    ASSERT_EQ(rc.left, 20);
    ASSERT_EQ(rc.top, 30);
    EXPECT_EQ(tabs.GetItemRect(0), (RECT{21, 30, 92, 101}));
    EXPECT_EQ(tabs.GetItemRect(1).left, rc.left + 77);
    EXPECT_EQ(tabs.GetItemRect(2).left, rc.left + 153);
    EXPECT_EQ(tabs.GetFrameRect(), (RECT{20, 30 + 78, 800, 600}));
    // The pages fill the frame, and their children are placed inside it.
    EXPECT_EQ(tabs.GetPage(0)->GetRect(), tabs.GetFrameRect());
    EXPECT_EQ(Item<CBkCheckBox>(100).GetRect().top, 30 + 78 + 10);
    EXPECT_EQ(tabs.GetItemRect(3), RECT{});
}

TEST_F(BkTabCtrlTest, HiddenPagesHaveNoTabAndLeftStripAndSkinSize) {
    // The tab size comes from the tab skin when not given (tabmain: 71 x 71); a hidden page
    // takes no place in the strip; tabs run downwards along a left strip.
    Root("<tabctrl id=10 pos=\"0,0,-0,-0\" tabskin=tabmain tabspacing=3 tabpos=2 framepos=4 tabalign=left>"
         "<tab title=A/><tab title=B hide=1/><tab title=C/></tabctrl>",
         500, 400);
    auto& tabs = Item<CBkTabCtrl>(10);
    EXPECT_EQ(tabs.GetItemRect(0), (RECT{0, 2, 71, 73}));
    EXPECT_EQ(tabs.GetItemRect(1), RECT{});
    EXPECT_EQ(tabs.GetItemRect(2), (RECT{0, 76, 71, 147}));
    EXPECT_EQ(tabs.GetFrameRect(), (RECT{75, 0, 500, 400}));
}

TEST_F(BkTabCtrlTest, LoadingSelectsTheFirstVisiblePage) {
    Root("<tabctrl id=10 pos=\"0,0,-0,-0\" tabwidth=50 tabheight=20 cursel=1>"
         "<tab title=A hide=1/><tab title=B hide=1/><tab title=C/><tab title=D/></tabctrl>"
         "<tabctrl id=11 pos=\"0,0,-0,-0\" tabwidth=50 tabheight=20><tab hide=1/><tab hide=1/></tabctrl>"
         "<tabctrl id=12 pos=\"0,0,-0,-0\" tabwidth=50 tabheight=20 cursel=3><tab/><tab/><tab/></tabctrl>"
         "<tabctrl id=13 pos=\"0,0,-0,-0\" tabwidth=50 tabheight=20 cursel=2><tab/><tab/><tab/></tabctrl>");
    auto& hiddenSel = Item<CBkTabCtrl>(10);
    EXPECT_EQ(hiddenSel.GetCurSel(), 2);
    EXPECT_TRUE(hiddenSel.GetPage(2)->IsVisible());
    EXPECT_FALSE(hiddenSel.GetPage(0)->IsVisible());
    EXPECT_FALSE(hiddenSel.GetPage(3)->IsVisible());
    EXPECT_EQ(Item<CBkTabCtrl>(11).GetCurSel(), -1);
    EXPECT_EQ(Item<CBkTabCtrl>(12).GetCurSel(), 0) << "a selection past the pages";
    // A visible page named by cursel is the one shown.
    auto& named = Item<CBkTabCtrl>(13);
    EXPECT_EQ(named.GetCurSel(), 2);
    EXPECT_TRUE(named.GetPage(2)->IsVisible());
    EXPECT_FALSE(named.GetPage(0)->IsVisible());
}

TEST_F(BkTabCtrlTest, SetCurSelAsksFirstAndHonoursTheVeto) {
    MakeWindows();
    Root(kMainTabs, 800, 600);
    auto& tabs = Item<CBkTabCtrl>(10);

    EXPECT_FALSE(tabs.SetCurSel(3));
    EXPECT_FALSE(tabs.SetCurSel(-1));
    EXPECT_TRUE(Seen(BKNM_TAB_SELCHANGE).empty()) << "no one hears of an index out of range";

    m_vetoTabChange = true;
    EXPECT_FALSE(tabs.SetCurSel(2));
    EXPECT_EQ(tabs.GetCurSel(), 0);
    EXPECT_TRUE(tabs.GetPage(0)->IsVisible());
    ASSERT_EQ(Seen(BKNM_TAB_SELCHANGE).size(), 1u);
    const BkSeenNotify asked = Seen(BKNM_TAB_SELCHANGE)[0];
    EXPECT_EQ(asked.window, m_container);
    EXPECT_EQ(asked.itemId, 10);
    EXPECT_EQ(asked.newIndex, 2);
    EXPECT_EQ(asked.oldIndex, 0);

    m_vetoTabChange = false;
    EXPECT_TRUE(tabs.SetCurSel(2));
    EXPECT_EQ(tabs.GetCurSel(), 2);
    EXPECT_FALSE(tabs.GetPage(0)->IsVisible());
    EXPECT_TRUE(tabs.GetPage(2)->IsVisible());
    EXPECT_TRUE(tabs.SetCurSel(2)) << "the current page";
    EXPECT_EQ(Seen(BKNM_TAB_SELCHANGE).size(), 3u);
}

TEST_F(BkTabCtrlTest, ClickingATabSelectsItAndHoverFollowsTheMouse) {
    MakeWindows();
    Root(kMainTabs, 800, 600);
    auto& tabs = Item<CBkTabCtrl>(10);
    const RECT second = tabs.GetItemRect(1);
    const int x = second.left + 5, y = second.top + 5;

    EXPECT_EQ(tabs.HitTest(POINT{x, y}), tabs.GetBkHWnd()) << "the strip belongs to the control";
    tabs.BkSendMessage(WM_MOUSEMOVE, 0, Point(x, y));
    EXPECT_EQ(tabs.GetHoverTab(), 1);
    tabs.BkSendMessage(WM_MOUSEMOVE, 0, Point(tabs.GetItemRect(0).left + 5, y));
    EXPECT_EQ(tabs.GetHoverTab(), -1) << "the selected tab never hovers";
    tabs.BkSendMessage(WM_MOUSEMOVE, 0, Point(x, y));
    tabs.BkSendMessage(WM_MOUSELEAVE);
    EXPECT_EQ(tabs.GetHoverTab(), -1);

    tabs.BkSendMessage(WM_LBUTTONDOWN, 0, Point(x, y));
    EXPECT_EQ(tabs.GetCurSel(), 1);
    // Inside the frame the selected page's elements are hit.
    const RECT check = Item<CBkCheckBox>(101).GetRect();
    EXPECT_EQ(tabs.HitTest(POINT{check.left + 1, check.top + 1}), Item<CBkCheckBox>(101).GetBkHWnd());
    EXPECT_EQ(tabs.HitTest(POINT{5, 5}), 0u);
}

TEST_F(BkTabCtrlTest, HidingTheSelectedPageAndThenAllPages) {
    Root(kMainTabs, 800, 600);
    auto& tabs = Item<CBkTabCtrl>(10);
    ASSERT_TRUE(tabs.SetCurSel(1));

    EXPECT_TRUE(tabs.SetTabVisible(1, false));
    EXPECT_EQ(tabs.GetCurSel(), 0);
    EXPECT_TRUE(tabs.GetPage(0)->IsVisible());
    EXPECT_FALSE(tabs.GetPage(1)->IsVisible());
    EXPECT_EQ(tabs.GetItemRect(2).left, 20 + 77) << "the third tab moves up";

    EXPECT_TRUE(tabs.SetTabVisible(0, false));
    EXPECT_EQ(tabs.GetCurSel(), 2);
    EXPECT_TRUE(tabs.SetTabVisible(2, false));
    EXPECT_EQ(tabs.GetCurSel(), -1);
    EXPECT_FALSE(tabs.SetTabVisible(3, false));
    const RECT frame = tabs.GetFrameRect();
    EXPECT_EQ(tabs.HitTest(POINT{frame.left + 15, frame.top + 15}), tabs.GetBkHWnd());

    // Only the frame is painted: no tab in the strip, no page content.
    BkTestCanvas canvas(800, 600);
    Paint(canvas);
    EXPECT_EQ(CountNot(canvas, RECT{20, 30, 800, 30 + 78}, RGB(255, 255, 255)), 0);
    EXPECT_EQ(CountNot(canvas, frame, RGB(255, 255, 255)), 0);

    // A page that comes back is shown again.
    EXPECT_TRUE(tabs.SetTabVisible(1, true));
    EXPECT_EQ(tabs.GetCurSel(), 1);
    EXPECT_TRUE(tabs.GetPage(1)->IsVisible());
}

TEST_F(BkTabCtrlTest, PaintsTheSelectedTabLastWithItsPage) {
    Root(kMainTabs, 800, 600);
    auto& tabs = Item<CBkTabCtrl>(10);
    BkTestCanvas canvas(800, 600);
    Paint(canvas);
    const RECT first = tabs.GetItemRect(0), second = tabs.GetItemRect(1);
    // The selected tab shows the third state image of the strip, the others the first: the
    // two tabs differ somewhere.
    int differ = 0;
    for (int y = 0; y < 71; ++y) {
        for (int x = 0; x < 71; ++x) differ += canvas.at(first.left + x, first.top + y) != canvas.at(second.left + x, second.top + y);
    }
    EXPECT_GT(differ, 100);
    // The selected page's check box is painted in the frame, the others' are not.
    const RECT check = Item<CBkCheckBox>(100).GetRect();
    EXPECT_GT(CountNot(canvas, check, RGB(255, 255, 255)), 10);
    ASSERT_TRUE(tabs.SetCurSel(1));
    BkTestCanvas again(800, 600);
    Paint(again);
    EXPECT_GT(CountNot(again, Item<CBkCheckBox>(101).GetRect(), RGB(255, 255, 255)), 10);
}

TEST_F(BkTabCtrlTest, PagesShowAndHideTheirRealWindowsSharingAnId) {
    MakeWindows();
    HWND real = CreateWindowEx(0, u"STATIC", u"", WS_CHILD, 0, 0, 10, 10, m_container, 2121, nullptr);
    ASSERT_NE(real, nullptr);
    Root("<tabctrl id=10 pos=\"0,0,-0,-0\" tabwidth=50 tabheight=20>"
         "<tab><realwnd id=2121 pos=\"5,5,105,55\"/></tab>"
         "<tab><realwnd id=2121 pos=\"5,5,105,55\"/></tab>"
         "<tab><text id=3>no window here</text></tab></tabctrl>",
         400, 300);
    ShowWindow(m_parent, SW_SHOWNOACTIVATE);
    auto& tabs = Item<CBkTabCtrl>(10);
    m_root->BkSendMessage(WM_SHOWWINDOW, 1, 0);
    EXPECT_TRUE(IsWindowVisible(real));
    RECT placed;
    GetWindowRect(real, &placed);
    POINT origin{0, 0};
    ClientToScreen(m_container, &origin);
    EXPECT_EQ(placed, (RECT{origin.x + 5, origin.y + 25, origin.x + 105, origin.y + 75}));

    ASSERT_TRUE(tabs.SetCurSel(1));
    EXPECT_TRUE(IsWindowVisible(real)) << "the second page shows the same window";
    ASSERT_TRUE(tabs.SetCurSel(2));
    EXPECT_FALSE(IsWindowVisible(real));
    ASSERT_TRUE(tabs.SetCurSel(0));
    EXPECT_TRUE(IsWindowVisible(real));
    tabs.BkSendMessage(WM_SHOWWINDOW, 0, 0);
    EXPECT_FALSE(IsWindowVisible(real)) << "hiding the control hides its page's windows";
}

}  // namespace
