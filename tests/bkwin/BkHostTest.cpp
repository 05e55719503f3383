// The skinned window host and the top-level window, driven through the platform's input path:
// band layout, styles, mouse states and notifications, keys, the rounded region, painting only
// what was invalidated, and the modal loop.
#include <gtest/gtest.h>

#include "HostTestSupport.h"
#include "bkwin/bkedit.h"
#include "bkwin/bkwinmanager.h"

using namespace hosttest;

namespace {

const char* kLayer = R"(<layer title="Host" width=350 height=240>
  <header class=msgboxhead width=full height=31>
    <icon src=101 size=16 pos="5,9"/>
    <text id=50 class=dlgtitle pos="25,10">Title text</text>
    <imgbtn id=60001 class=linkimage skin=closeonlybtn pos="-43,0"/>
  </header>
  <footer class=msgboxfoot width=full height=45>
    <button id=2 class=normalbtn pos="-90,10,-10,-10">Close</button>
  </footer>
  <body class=msgboxbody width=full height=full>
    <button id=100 class=normalbtn pos="10,10,90,40">A</button>
    <button id=101 class=normalbtn pos="90,10,170,40">B</button>
    <link id=102 class=linktext pos="10,60" href="https://example.org/x">a link</link>
    <text id=103 pos="10,90" tip="the tip">plain text</text>
    <text id=104 pos="200,90">no id</text>
  </body>
</layer>)";

POINT Center(const CBkWindow* element) {
    const RECT& r = element->GetRect();
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

class BkHost : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        ASSERT_TRUE(dlg.SetXml(kLayer));
        ASSERT_NE(dlg.Create(nullptr), nullptr);
        ShowWindow(dlg.GetHWnd(), SW_SHOW);
        PumpMessages();
        host = dlg.GetView().GetHWnd();
        ASSERT_NE(host, nullptr);
    }

    CBkWindow* Item(int id) {
        CBkWindow* e = dlg.GetItem(id);
        EXPECT_NE(e, nullptr) << id;
        return e;
    }
    void Move(POINT p) { input::InjectMouse(host, input::MouseAction::Move, p.x, p.y, input::MouseButton::None); }
    void Press(POINT p) { input::InjectMouse(host, input::MouseAction::Press, p.x, p.y); }
    void Release(POINT p) { input::InjectMouse(host, input::MouseAction::Release, p.x, p.y, input::MouseButton::Left); }
    void Click(POINT p) {
        Move(p);
        Press(p);
        Release(p);
    }

    RecordingDialog dlg;
    HWND host = nullptr;
};

TEST_F(BkHost, BandsSplitTheWindowIntoHeaderBodyAndFooter) {
    // A 31-pixel header and a 45-pixel footer in a 240-pixel window leave the body 31 to 195.
    RECT client{};
    GetClientRect(host, &client);
    EXPECT_EQ(client, (RECT{0, 0, 350, 240}));
    EXPECT_EQ(dlg.GetView().Header().GetRect(), (RECT{0, 0, 350, 31}));
    EXPECT_EQ(dlg.GetView().Body().GetRect(), (RECT{0, 31, 350, 195}));
    EXPECT_EQ(dlg.GetView().Footer().GetRect(), (RECT{0, 195, 350, 240}));
    // Elements are placed inside their band.
    EXPECT_EQ(Item(100)->GetRect(), (RECT{10, 41, 90, 71}));
    EXPECT_EQ(Item(2)->GetRect(), (RECT{260, 205, 340, 230}));

    // Resizing lays the bands out again.
    SetWindowPos(dlg.GetHWnd(), nullptr, 0, 0, 400, 300, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(dlg.GetView().Body().GetRect(), (RECT{0, 31, 400, 255}));
    EXPECT_EQ(dlg.GetView().Footer().GetRect(), (RECT{0, 255, 400, 300}));
}

TEST_F(BkHost, ClickSendsTheCommandIdOnlyWhenReleasedOverTheElement) {
    const POINT a = Center(Item(100));
    const POINT away = Center(Item(104));

    // Press, move off, release: nothing.
    Move(a);
    Press(a);
    EXPECT_EQ(dlg.GetView().GetPushedElement(), Item(100)->GetBkHWnd());
    EXPECT_TRUE(Item(100)->GetState() & BkWndState_PushDown);
    Move(away);
    Release(away);
    EXPECT_TRUE(dlg.Clicks().empty());
    EXPECT_FALSE(Item(100)->GetState() & BkWndState_PushDown);
    EXPECT_EQ(dlg.GetView().GetPushedElement(), 0u);

    // Press, move off and back, release: the click counts.
    Press(a);
    Move(away);
    Move(a);
    Release(a);
    ASSERT_EQ(dlg.Clicks().size(), 1u);
    EXPECT_EQ(dlg.Clicks()[0].id, 100);
    EXPECT_EQ(dlg.Clicks()[0].itemClass, "button");

    // Pressing one element and releasing over another sends nothing either.
    Press(a);
    Move(Center(Item(101)));
    Release(Center(Item(101)));
    EXPECT_EQ(dlg.Clicks().size(), 1u);
}

TEST_F(BkHost, LinkWithHrefOpensItAndSendsNothing) {
    Click(Center(Item(102)));
    ASSERT_EQ(shell.openedTargets.size(), 1u);
    EXPECT_EQ(shell.openedTargets[0], u"https://example.org/x");
    EXPECT_TRUE(dlg.Clicks().empty());
}

TEST_F(BkHost, HeaderDragsExceptFromButtonsAndLinks) {
    Press(Center(Item(50)));  // title text
    Release(Center(Item(50)));
    Press(POINT{150, 5});  // empty header area
    Release(POINT{150, 5});
    Press(POINT{10, 15});  // the icon
    Release(POINT{10, 15});
    ASSERT_EQ(dlg.sysCommands.size(), 3u);
    for (WPARAM command : dlg.sysCommands) EXPECT_EQ(command, 0xF012u);
    EXPECT_TRUE(dlg.Clicks().empty());

    // The header's image button is a button like any other.
    Click(Center(Item(60001)));
    EXPECT_EQ(dlg.sysCommands.size(), 3u);
    ASSERT_EQ(dlg.Clicks().size(), 1u);
    EXPECT_EQ(dlg.Clicks()[0].id, 60001);
    EXPECT_EQ(dlg.Clicks()[0].itemClass, "imgbtn");
}

TEST_F(BkHost, EscapeAndEnterAreCancelAndOkWithNoClass) {
    // Keys typed into the window (the host has the focus) arrive as the OK and Cancel
    // commands; key messages the top-level window itself receives are turned into them too.
    input::InjectKey(dlg.GetHWnd(), VK_ESCAPE);
    input::InjectKey(dlg.GetHWnd(), VK_RETURN);
    SendMessage(dlg.GetHWnd(), WM_KEYDOWN, VK_ESCAPE);
    SendMessage(dlg.GetHWnd(), WM_KEYDOWN, 'A');
    PumpMessages();
    const auto clicks = dlg.Clicks();
    ASSERT_EQ(clicks.size(), 3u);
    EXPECT_EQ(clicks[0].id, IDCANCEL);
    EXPECT_EQ(clicks[1].id, IDOK);
    EXPECT_EQ(clicks[2].id, IDCANCEL);
    for (const auto& c : clicks) EXPECT_EQ(c.itemClass, "");

    // Closing the window is Cancel too, and leaves it alive.
    SendMessage(dlg.GetHWnd(), WM_CLOSE);
    ASSERT_EQ(dlg.Clicks().size(), 4u);
    EXPECT_EQ(dlg.Clicks()[3].id, IDCANCEL);
    EXPECT_TRUE(IsWindow(dlg.GetHWnd()));
}

TEST_F(BkHost, DisabledElementBecomesHoverWithoutStateOrClicks) {
    CBkWindow* a = Item(100);
    CBkWindow* b = Item(101);
    dlg.ModifyItemState(a, BkWndState_Disable, 0);

    Move(Center(a));
    EXPECT_EQ(dlg.GetView().GetHoverElement(), a->GetBkHWnd());
    EXPECT_FALSE(a->GetState() & BkWndState_Hover);
    Press(Center(a));
    Release(Center(a));
    EXPECT_TRUE(dlg.Clicks().empty());
    EXPECT_FALSE(a->GetState() & BkWndState_PushDown);

    // Moving on to the enabled neighbour is a change of hover.
    Move(Center(b));
    EXPECT_EQ(dlg.GetView().GetHoverElement(), b->GetBkHWnd());
    EXPECT_TRUE(b->GetState() & BkWndState_Hover);
}

TEST_F(BkHost, HoverTooltipAndLeave) {
    Move(Center(Item(103)));
    EXPECT_EQ(GetWindowToolTip(host), u"the tip");
    Move(Center(Item(100)));
    EXPECT_TRUE(Item(100)->GetState() & BkWndState_Hover);
    EXPECT_EQ(GetWindowToolTip(host), u"");

    input::InjectMouseLeave(host);
    PumpMessages();
    EXPECT_FALSE(Item(100)->GetState() & BkWndState_Hover);
    EXPECT_EQ(dlg.GetView().GetHoverElement(), 0u);
    ASSERT_GE(dlg.notifications.size(), 2u);
    EXPECT_EQ(dlg.notifications.front().code, BKNM_MOUSEHOVER);
    EXPECT_EQ(dlg.notifications.back().code, BKNM_MOUSELEAVE);
}

TEST_F(BkHost, HoverChangeInvalidatesOnlyTheElementsInvolved) {
    dlg.GetView().RenderBuffer();
    ASSERT_FALSE(dlg.GetView().IsBufferDirty());
    ASSERT_EQ(dlg.GetView().GetPendingRegion(), nullptr);

    const RECT a = Item(100)->GetRect();
    const RECT b = Item(101)->GetRect();
    Move(Center(Item(100)));
    ASSERT_NE(dlg.GetView().GetPendingRegion(), nullptr);
    EXPECT_TRUE(dlg.GetView().IsBufferDirty());
    RECT box{};
    GetRgnBox(dlg.GetView().GetPendingRegion(), &box);
    EXPECT_EQ(box, a);

    dlg.GetView().RenderBuffer();
    Move(Center(Item(101)));
    HRGN expected = CreateRectRgnIndirect(&a);
    HRGN second = CreateRectRgnIndirect(&b);
    CombineRgn(expected, expected, second, RGN_OR);
    EXPECT_TRUE(EqualRgn(dlg.GetView().GetPendingRegion(), expected));
    DeleteObject(expected);
    DeleteObject(second);

    // A plain text has no hover look: moving on to it repaints only what loses the hover.
    dlg.GetView().RenderBuffer();
    Move(Center(Item(104)));
    GetRgnBox(dlg.GetView().GetPendingRegion(), &box);
    EXPECT_EQ(box, b);
}

TEST_F(BkHost, OperationsByCommandId) {
    // The header is searched before the body: id 2 exists only in the footer.
    EXPECT_EQ(dlg.GetItem(2), &*dlg.GetView().Footer().Children().front());
    EXPECT_EQ(dlg.GetItem(9999), nullptr);
    EXPECT_FALSE(dlg.SetItemText(9999, u"x"));
    EXPECT_FALSE(dlg.SetTabCurSel(100, 1));  // not a tab control
    EXPECT_FALSE(dlg.SetTabVisible(100, 0, false));

    dlg.GetView().RenderBuffer();
    const RECT before = Item(103)->GetRect();
    ASSERT_TRUE(dlg.SetItemText(103, u"a considerably longer text than before"));
    EXPECT_EQ(Item(103)->GetInnerText(), u"a considerably longer text than before");
    const RECT after = Item(103)->GetRect();
    EXPECT_GT(after.right, before.right);
    RECT box{};
    GetRgnBox(dlg.GetView().GetPendingRegion(), &box);
    EXPECT_EQ(box, after);  // the old rectangle lies inside the new one
}

TEST_F(BkHost, RepaintDrawsTheTreesIntoTheBackBuffer) {
    dlg.GetView().RenderBuffer();
    HDC dc = dlg.GetView().GetBufferDC();
    // The normalbtn skin outlines its buttons in 7D9EBC.
    const RECT a = Item(100)->GetRect();
    EXPECT_EQ(GetPixel(dc, a.left, a.top + 5), RGB(0x7D, 0x9E, 0xBC));
    EXPECT_EQ(GetPixel(dc, a.right - 1, a.top + 5), RGB(0x7D, 0x9E, 0xBC));
    // Body background FBFCFD between elements.
    EXPECT_EQ(GetPixel(dc, 300, 150), RGB(0xFB, 0xFC, 0xFD));
}

TEST_F(BkHost, CursorFollowsTheElementUnderTheMouse) {
    Move(Center(Item(102)));  // linktext: hand
    EXPECT_EQ(GetWindowCursor(host), LoadCursor(IDC_HAND));
    Move(Center(Item(104)));  // plain text: arrow
    EXPECT_EQ(GetWindowCursor(host), LoadCursor(IDC_ARROW));
    Move(Center(Item(100)));  // normalbtn: hand, but not when disabled
    EXPECT_EQ(GetWindowCursor(host), LoadCursor(IDC_HAND));
    dlg.ModifyItemState(Item(101), BkWndState_Disable, 0);
    Move(Center(Item(101)));
    EXPECT_EQ(GetWindowCursor(host), LoadCursor(IDC_ARROW));
}

const char* kRealLayer = R"(<layer title="Real" width=300 height=200 resize=1>
  <header class=msgboxhead width=full height=31><text pos="25,10">Title</text></header>
  <body class=msgboxbody width=full height=full>
    <realwnd id=700 pos="10,10,-10,60"/>
    <dlg pos="0,0,-0,-0" show=0><realwnd id=701 pos="120,10,220,60"/></dlg>
  </body>
</layer>)";

TEST_F(HostTest, RealControlsReportToTheTopLevelWindow) {
    RecordingDialog dlg;
    std::vector<UINT> commands;
    ASSERT_TRUE(dlg.SetXml(kRealLayer));
    dlg.onInit = [](RecordingDialog& d) {
        // Real controls are made as children of the host with the element's id.
        CreateWindowEx(0, u"STATIC", u"", WS_CHILD, 0, 0, 10, 10, d.GetView().GetHWnd(), 700, nullptr);
        CreateWindowEx(0, u"STATIC", u"", WS_CHILD, 0, 0, 10, 10, d.GetView().GetHWnd(), 701, nullptr);
    };
    dlg.onMessage = [&](RecordingDialog&, UINT msg, WPARAM w, LPARAM) {
        if (msg == WM_COMMAND && LOWORD(w) == 700) commands.push_back(HIWORD(w));
        return msg == WM_COMMAND && LOWORD(w) == 700;
    };
    ASSERT_NE(dlg.Create(nullptr), nullptr);
    ShowWindow(dlg.GetHWnd(), SW_SHOW);
    HWND host = dlg.GetView().GetHWnd();
    HWND shown = GetDlgItem(host, 700);
    HWND hidden = GetDlgItem(host, 701);
    // Shown only where the tree is visible.
    EXPECT_TRUE(IsWindowVisible(shown));
    EXPECT_FALSE(IsWindowVisible(hidden));
    dlg.ShowAllRealWindows(false);
    EXPECT_FALSE(IsWindowVisible(shown));
    dlg.ShowAllRealWindows(true);
    EXPECT_TRUE(IsWindowVisible(shown));
    EXPECT_FALSE(IsWindowVisible(hidden));

    // A command from the control goes through the host to the top-level window unchanged.
    SendMessage(host, WM_COMMAND, MAKEWPARAM(700, EN_CHANGE), reinterpret_cast<LPARAM>(shown));
    EXPECT_EQ(commands, (std::vector<UINT>{EN_CHANGE}));
    // So do notifications other than invalidation: resizing moves the real window to its
    // element (code 2).
    const size_t before = dlg.notifications.size();
    SetWindowPos(dlg.GetHWnd(), nullptr, 0, 0, 320, 220, SWP_NOMOVE | SWP_NOZORDER);
    bool moved = false;
    for (size_t i = before; i < dlg.notifications.size(); ++i) moved |= dlg.notifications[i].code == BKNM_REALWND_RESIZED;
    EXPECT_TRUE(moved);
    RECT r{};
    GetWindowRect(shown, &r);
    POINT origin{0, 0};
    ClientToScreen(host, &origin);
    OffsetRect(&r, -origin.x, -origin.y);
    EXPECT_EQ(r, (RECT{10, 41, 310, 91}));
}

TEST_F(HostTest, DoubleClickOnAResizableHeaderMaximisesAndRestores) {
    RecordingDialog dlg;
    ASSERT_TRUE(dlg.SetXml(kRealLayer));
    ASSERT_NE(dlg.Create(nullptr), nullptr);
    ShowWindow(dlg.GetHWnd(), SW_SHOW);
    input::InjectMouse(dlg.GetView().GetHWnd(), input::MouseAction::DoubleClick, 150, 10);
    ASSERT_FALSE(dlg.sysCommands.empty());
    EXPECT_EQ(dlg.sysCommands.back(), 0xF032u);

    RecordingDialog fixed;  // not resizable: a double click does nothing
    ASSERT_TRUE(fixed.SetXml(kLayer));
    ASSERT_NE(fixed.Create(nullptr), nullptr);
    ShowWindow(fixed.GetHWnd(), SW_SHOW);
    input::InjectMouse(fixed.GetView().GetHWnd(), input::MouseAction::DoubleClick, 150, 10);
    for (WPARAM c : fixed.sysCommands) EXPECT_NE(c, 0xF032u);
}

TEST(BkRoundRect, RegionLeavesOutTheCornerPixels) {
    HRGN r = CWHRoundRectFrameHelper::CreateRoundRectRegion(350, 240);
    ASSERT_NE(r, nullptr);
    // First and last rows lose two pixels at each end, the second rows one.
    for (int y : {0, 239}) {
        EXPECT_FALSE(PtInRegion(r, 1, y));
        EXPECT_TRUE(PtInRegion(r, 2, y));
        EXPECT_TRUE(PtInRegion(r, 347, y));
        EXPECT_FALSE(PtInRegion(r, 348, y));
    }
    for (int y : {1, 238}) {
        EXPECT_FALSE(PtInRegion(r, 0, y));
        EXPECT_TRUE(PtInRegion(r, 1, y));
        EXPECT_TRUE(PtInRegion(r, 348, y));
        EXPECT_FALSE(PtInRegion(r, 349, y));
    }
    for (int y : {2, 120, 237}) {
        EXPECT_TRUE(PtInRegion(r, 0, y));
        EXPECT_TRUE(PtInRegion(r, 349, y));
    }
    EXPECT_FALSE(PtInRegion(r, 0, 240));
    RECT box{};
    GetRgnBox(r, &box);
    EXPECT_EQ(box, (RECT{0, 0, 350, 240}));
    DeleteObject(r);
    EXPECT_EQ(CWHRoundRectFrameHelper::CreateRoundRectRegion(3, 100), nullptr);
}

TEST_F(BkHost, WindowGetsTheRoundedRegionOnEverySize) {
    HRGN actual = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(GetWindowRgn(dlg.GetHWnd(), actual), RGN_ERROR);
    HRGN expected = CWHRoundRectFrameHelper::CreateRoundRectRegion(350, 240);
    EXPECT_TRUE(EqualRgn(actual, expected));
    DeleteObject(expected);

    SetWindowPos(dlg.GetHWnd(), nullptr, 0, 0, 200, 150, SWP_NOMOVE | SWP_NOZORDER);
    GetWindowRgn(dlg.GetHWnd(), actual);
    expected = CWHRoundRectFrameHelper::CreateRoundRectRegion(200, 150);
    EXPECT_TRUE(EqualRgn(actual, expected));
    DeleteObject(expected);
    DeleteObject(actual);
}

TEST(BkLayer, StylesFollowTheLayerAttributes) {
    struct Case {
        const char* attributes;
        DWORD style;
        DWORD exStyle;
        bool resizable;
    };
    const Case cases[] = {
        {"", 0x80080000, 0x300, false},
        {"appwin=1", 0x80080000, 0x40300, false},
        {"resize=1", 0x800F0000, 0x300, true},
        {"resize=1 nomaxsize=1", 0x800E0000, 0x300, false},
        {"noborder=1", 0x80080000, 0x88, false},
        {"child=1", 0x40080000, 0x100, false},
    };
    for (const Case& c : cases) {
        CBkDialogView view;
        const std::string xml = std::string("<layer ") + c.attributes + " title=\"T\" width=10 height=20/>";
        ASSERT_TRUE(view.SetXml(xml)) << c.attributes;
        EXPECT_EQ(view.GetDlgStyle(), c.style) << c.attributes;
        EXPECT_EQ(view.GetDlgExStyle(), c.exStyle) << c.attributes;
        EXPECT_EQ(view.IsResizable(), c.resizable) << c.attributes;
        EXPECT_EQ(view.GetTitle(), u"T");
        EXPECT_EQ(view.GetWidth(), 10);
        EXPECT_EQ(view.GetHeight(), 20);
    }
}

TEST(BkLayer, BadDocumentsFailAndCreateNothing) {
    CBkDialogView view;
    EXPECT_FALSE(view.SetXml("<layer><header></layer>"));
    EXPECT_FALSE(view.IsLayerLoaded());
    EXPECT_FALSE(view.SetXml("<dlg/>"));
    EXPECT_FALSE(view.SetXml(""));
    EXPECT_TRUE(view.SetXml("<layer/>"));
    EXPECT_FALSE(view.HasHeader());

    RecordingDialog dlg;
    dlg.SetLayerResource(9999);  // no such resource
    EXPECT_EQ(dlg.Create(nullptr), nullptr);
}

// ---------------------------------------------------------------------------------------------
// The modal loop.

class BkModal : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        owner = CreateWindowEx(0, u"", u"owner", WS_POPUP, 100, 100, 600, 400, nullptr, 0, nullptr);
        ASSERT_NE(owner, nullptr);
        ShowWindow(owner, SW_SHOW);
    }
    void TearDown() override {
        DestroyWindow(owner);
        HostTest::TearDown();
    }
    // Runs `step` once the loop is running (from a timer of the dialog).
    static void AfterStart(RecordingDialog& dlg, std::function<void(RecordingDialog&)> step) {
        dlg.onInit = [](RecordingDialog& d) { SetTimer(d.GetHWnd(), 7, 1); };
        dlg.onMessage = [step](RecordingDialog& d, UINT msg, WPARAM w, LPARAM) {
            if (msg != WM_TIMER || w != 7) return false;
            KillTimer(d.GetHWnd(), 7);
            step(d);
            return true;
        };
    }

    BkWinManager manager;
    HWND owner = nullptr;
};

TEST_F(BkModal, DisablesTheOwnerCentresAndReturnsTheEndCode) {
    RecordingDialog dlg;
    ASSERT_TRUE(dlg.SetXml(kLayer));
    bool ownerEnabled = true;
    bool visible = false;
    HWND current = nullptr;
    HWND self = nullptr;
    RECT placed{};
    AfterStart(dlg, [&](RecordingDialog& d) {
        self = d.GetHWnd();
        ownerEnabled = IsWindowEnabled(owner);
        visible = IsWindowVisible(self);
        current = BkWinManager::GetActive();
        GetWindowRect(self, &placed);
        d.EndDialog(42);
    });
    EXPECT_EQ(dlg.DoModal(owner), 42);
    EXPECT_FALSE(ownerEnabled);
    EXPECT_TRUE(visible);
    EXPECT_EQ(current, self);
    EXPECT_EQ(placed, (RECT{225, 180, 575, 420}));  // centred on the owner
    EXPECT_TRUE(IsWindowEnabled(owner));
    EXPECT_EQ(BkWinManager::GetActive(), nullptr);
    EXPECT_FALSE(IsWindow(self));
    EXPECT_EQ(dlg.GetHWnd(), nullptr);
}

TEST_F(BkModal, AnOwnerDisabledBeforeStaysDisabled) {
    EnableWindow(owner, false);
    RecordingDialog dlg;
    ASSERT_TRUE(dlg.SetXml(kLayer));
    AfterStart(dlg, [](RecordingDialog& d) { d.EndDialog(1); });
    EXPECT_EQ(dlg.DoModal(owner), 1);
    EXPECT_FALSE(IsWindowEnabled(owner));
}

TEST_F(BkModal, CreationFailureReturnsZeroAndReenablesTheOwner) {
    RecordingDialog dlg;
    dlg.SetLayerResource(9999);
    EXPECT_EQ(dlg.DoModal(owner), 0);
    EXPECT_TRUE(IsWindowEnabled(owner));
}

TEST_F(BkModal, WaitingQuitEndsEveryLoopAndStaysQueued) {
    // The inner loop sees a quit and ends; the outer loop sees the same quit and ends too.
    RecordingDialog outer;
    ASSERT_TRUE(outer.SetXml(kLayer));
    int innerResult = -1;
    bool outerEnabled = true;
    AfterStart(outer, [&](RecordingDialog& o) {
        RecordingDialog inner;
        ASSERT_TRUE(inner.SetXml(kLayer));
        AfterStart(inner, [&](RecordingDialog&) {
            outerEnabled = IsWindowEnabled(o.GetHWnd());
            PostQuitMessage(3);
        });
        innerResult = inner.DoModal();  // owner: the current skinned window
    });
    EXPECT_EQ(outer.DoModal(owner), 0);
    EXPECT_EQ(innerResult, 0);
    EXPECT_FALSE(outerEnabled);
    MSG msg;
    ASSERT_TRUE(PeekMessage(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 3u);
    EXPECT_TRUE(IsWindowEnabled(owner));
}

}  // namespace

namespace {

// Text typed into an `edit` element's field reaches the element through the host, and the
// top-level window still hears of the change.
TEST_F(HostTest, TypingIntoAnEditElementReachesItThroughTheHost) {
    RecordingDialog editDlg;
    int changesSeen = 0;
    editDlg.onMessage = [&](RecordingDialog&, UINT msg, WPARAM wParam, LPARAM) {
        if (msg == WM_COMMAND && HIWORD(wParam) == EN_CHANGE && LOWORD(wParam) == 300) ++changesSeen;
        return false;
    };
    ASSERT_TRUE(editDlg.SetXml(R"(<layer title="Edit" width=300 height=160>
  <body class=msgboxbody width=full height=full>
    <edit id=300 defaultfont=0000 pos="10,10,200,38">start</edit>
  </body>
</layer>)"));
    ASSERT_NE(editDlg.Create(nullptr), nullptr);
    ShowWindow(editDlg.GetHWnd(), SW_SHOW);
    PumpMessages();
    auto* edit = dynamic_cast<CBkEdit*>(editDlg.GetItem(300));
    ASSERT_NE(edit, nullptr);
    HWND field = edit->GetEditHWnd();
    ASSERT_NE(field, nullptr);
    SendMessage(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(u""));
    ASSERT_TRUE(input::InjectText(field, u"xyz"));
    PumpMessages();
    EXPECT_EQ(edit->GetInnerText(), u"xyz");
    EXPECT_GE(changesSeen, 1);
    DestroyWindow(editDlg.GetHWnd());
    PumpMessages();
}

}  // namespace
