// The smaller controls: check and radio boxes, progress, real-window hosts, lines, icons,
// image buttons, memory images, the edit element, and the factory's tags.
#include "BkControlFixture.h"
#include "bkwin/bkbutton.h"
#include "bkwin/bkcheckbox.h"
#include "bkwin/bkcombo.h"
#include "bkwin/bkdrawfileicon.h"
#include "bkwin/bkedit.h"
#include "bkwin/bkiconwnd.h"
#include "bkwin/bkimagebtnwnd.h"
#include "bkwin/bkimagelisthwnd.h"
#include "bkwin/bkline.h"
#include "bkwin/bklink.h"
#include "bkwin/bkmemoryimage.h"
#include "bkwin/bkprogress.h"
#include "bkwin/bkradiobox.h"
#include "bkwin/bkrealwnd.h"
#include "bkwin/bkrichtext.h"
#include "bkwin/bkstatic.h"
#include "bkwin/bktabctrl.h"
#include "bkwin/bkwndfactory.h"
#include "platform/controls.h"
#include "platform/testing.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);

class BkControlsTest : public BkControlTest {};

TEST_F(BkControlsTest, EveryTagMakesItsClass) {
    const std::vector<std::pair<std::string, std::string>> tags = {
        {"text", "text"}, {"link", "link"}, {"button", "button"}, {"img", "img"}, {"imgbtn", "imgbtn"},
        {"progress", "progress"}, {"realwnd", "realwnd"}, {"hr", "hr"}, {"check", "check"}, {"radio", "radio"},
        {"icon", "icon"}, {"tabctrl", "tabctrl"}, {"imglisth", "imglisth"}, {"memimage", "memimage"},
        {"iconfrommodule", "iconfrommodule"}, {"richtext", "richtext"}, {"edit", "edit"}, {"combo", "combo"}};
    for (const auto& [tag, cls] : tags) {
        auto element = BkWndFactory::CreateElementByName(tag);
        ASSERT_NE(element, nullptr) << tag;
        EXPECT_STREQ(element->GetObjectClass(), cls.c_str());
    }
    EXPECT_EQ(BkWndFactory::CreateElementByName("tab"), nullptr) << "pages come only from a tab control";
    EXPECT_TRUE(BkWndFactory::CreateElementByName("button")->NeedRedrawWhenStateChange());
}

TEST_F(BkControlsTest, CheckBoxTogglesOnReleaseOnly) {
    Root("<check id=1 pos=\"10,10\">remember</check>");
    auto& check = Item<CBkCheckBox>(1);
    const RECT rc = check.GetRect();
    EXPECT_GE(RectHeight(rc), 13);
    EXPECT_FALSE(check.IsChecked());
    check.BkSendMessage(WM_LBUTTONDOWN, 0, Point(rc.left + 2, rc.top + 2));
    EXPECT_FALSE(check.IsChecked()) << "pressing alone changes nothing";
    check.BkSendMessage(WM_LBUTTONUP, 0, Point(rc.left + 2, rc.top + 2));
    EXPECT_TRUE(check.IsChecked());
    check.BkSendMessage(WM_LBUTTONUP, 0, Point(rc.left + 2, rc.top + 2));
    EXPECT_FALSE(check.IsChecked());
}

TEST_F(BkControlsTest, CheckBoxLookFollowsItsState) {
    // Disabled wins over pushed, pushed over hover.
    EXPECT_EQ(CBkCheckBox::MarkState(false, true, true, true), CBS_UNCHECKEDDISABLED);
    EXPECT_EQ(CBkCheckBox::MarkState(true, false, true, true), CBS_CHECKEDPRESSED);
    EXPECT_EQ(CBkCheckBox::MarkState(true, false, false, true), CBS_CHECKEDHOT);
    EXPECT_EQ(CBkCheckBox::MarkState(false, false, false, false), CBS_UNCHECKEDNORMAL);

    Root("<check id=1 pos=\"10,10\" crtext=000000>remember</check>");
    auto& check = Item<CBkCheckBox>(1);
    const RECT rc = check.GetRect();
    const RECT box{rc.left, rc.top, rc.left + 13, rc.bottom};
    const RECT text{rc.left + 17, rc.top, rc.right, rc.bottom};

    auto paintWith = [&](unsigned state, BkTestCanvas& canvas) {
        check.ModifyState(state, ~state & (BkWndState_Check | BkWndState_Disable | BkWndState_Hover));
        Paint(canvas);
    };
    BkTestCanvas plain(200, 100), checked(200, 100), disabled(200, 100);
    paintWith(0, plain);
    paintWith(BkWndState_Check, checked);
    paintWith(BkWndState_Disable, disabled);
    // The box is drawn left, the text starts 17 pixels in.
    EXPECT_GT(CountNot(plain, box, kWhite), 20);
    EXPECT_EQ(CountNot(plain, RECT{rc.left + 13, rc.top, rc.left + 16, rc.bottom}, kWhite), 0);
    EXPECT_GT(CountNear(plain, text, RGB(0, 0, 0), 90), 3);
    int marks = 0;
    for (int y = box.top; y < box.bottom; ++y) {
        for (int x = box.left; x < box.right; ++x) marks += plain.at(x, y) != checked.at(x, y);
    }
    EXPECT_GT(marks, 4) << "the tick shows";
    // A disabled box draws its text in the disabled colour, not the text colour.
    EXPECT_EQ(CountNear(disabled, text, RGB(0, 0, 0), 90), 0);
    EXPECT_GT(CountNear(disabled, text, RGB(0xCC, 0xCC, 0xCC), 24), 3);
}

TEST_F(BkControlsTest, RadioGroupsCheckOneAtATime) {
    Root("<radio id=1 group=enc pos=\"0,0\">a</radio><radio id=2 group=enc pos=\"0,20\">b</radio>"
         "<radio id=3 group=other pos=\"0,40\">c</radio>");
    auto& a = Item<CBkRadioBox>(1);
    auto& b = Item<CBkRadioBox>(2);
    auto& c = Item<CBkRadioBox>(3);
    c.BkSendMessage(WM_LBUTTONUP);
    a.BkSendMessage(WM_LBUTTONUP);
    EXPECT_TRUE(a.IsChecked());
    b.BkSendMessage(WM_LBUTTONUP);
    EXPECT_TRUE(b.IsChecked());
    EXPECT_FALSE(a.IsChecked());
    EXPECT_TRUE(c.IsChecked()) << "another group is left alone";
    b.BkSendMessage(WM_LBUTTONUP);
    EXPECT_TRUE(b.IsChecked()) << "a checked box stays checked";

    // A destroyed box leaves its group: the others go on working.
    const auto members = BkWnds::GroupMembers("enc");
    EXPECT_EQ(members.size(), 2u);
    m_root.reset();
    EXPECT_TRUE(BkWnds::GroupMembers("enc").empty());
    Root("<radio id=4 group=enc pos=\"0,0\">d</radio>");
    Item<CBkRadioBox>(4).BkSendMessage(WM_LBUTTONUP);
    EXPECT_TRUE(Item<CBkRadioBox>(4).IsChecked());
}

TEST_F(BkControlsTest, ProgressFractionAndPercentText) {
    Root("<progress id=1 pos=\"0,0,200,20\" min=0 max=200 value=50 showpercent=1 crtext=000000/>"
         "<progress id=2 pos=\"0,30,200,50\" min=100 max=0 value=150/>"
         "<progress id=3 pos=\"0,60,200,80\" min=7 max=7 value=7/>"
         "<progress id=4 pos=\"0,90,200,110\" min=0 max=10 value=-5/>");
    auto& quarter = Item<CBkProgress>(1);
    EXPECT_EQ(quarter.GetPercentText(), u"25%");
    EXPECT_DOUBLE_EQ(Item<CBkProgress>(2).GetFraction(), 1.0) << "a range the wrong way round, value clamped";
    EXPECT_EQ(Item<CBkProgress>(3).GetPercentText(), u"0%");
    EXPECT_EQ(Item<CBkProgress>(4).GetPercentText(), u"0%");

    BkTestCanvas canvas(220, 120);
    Paint(canvas);
    // The bar fills the left quarter of the inner rectangle (2..198) in 426190.
    EXPECT_EQ(canvas.at(10, 10), RGB(0x42, 0x61, 0x90));
    EXPECT_EQ(canvas.at(150, 10), kWhite) << "right of the bar";
    EXPECT_EQ(canvas.at(0, 10), RGB(0x70, 0x70, 0x70)) << "the outline";
    // The percentage is drawn in the middle, in the text colour outside the bar.
    EXPECT_GT(CountNear(canvas, RECT{80, 0, 120, 20}, RGB(0, 0, 0), 90), 3);

    // Below a fraction of one the bar is drawn where its pixels are; none for zero.
    EXPECT_EQ(canvas.at(10, 70), kWhite);
}

TEST_F(BkControlsTest, ProgressPercentInsideTheBarIsInTheBackgroundColour) {
    Root("<progress id=1 pos=\"0,0,100,20\" min=0 max=100 value=100 showpercent=1 crtext=000000/>");
    BkTestCanvas canvas(120, 30);
    Paint(canvas);
    EXPECT_EQ(CountNear(canvas, RECT{30, 0, 70, 20}, RGB(0, 0, 0), 60), 0);
    EXPECT_GT(CountNear(canvas, RECT{30, 4, 70, 16}, kWhite, 90), 5) << "white text over a full bar";
}

TEST_F(BkControlsTest, RealWindowFollowsItsElement) {
    MakeWindows();
    HWND real = CreateWindowEx(0, u"STATIC", u"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, m_container, 2201, nullptr);
    ShowWindow(m_parent, SW_SHOWNOACTIVATE);
    Root("<realwnd id=2201 pos=\"5,40,380,-1\"/><realwnd id=9999 pos=\"0,0,10,10\"/>", 400, 300);
    auto& host = Item<CBkRealWnd>(2201);
    EXPECT_EQ(host.GetRealHWnd(), real);
    EXPECT_EQ(Item<CBkRealWnd>(9999).GetRealHWnd(), nullptr);
    RECT rc;
    GetWindowRect(real, &rc);
    POINT origin{0, 0};
    ClientToScreen(m_container, &origin);
    EXPECT_EQ(rc, (RECT{origin.x + 5, origin.y + 40, origin.x + 380, origin.y + 299}));
    const auto moved = Seen(BKNM_REALWND_RESIZED);
    ASSERT_EQ(moved.size(), 1u) << "only the element with a window reports a move";
    EXPECT_EQ(moved[0].itemId, 2201);
    EXPECT_EQ(moved[0].rect, (RECT{5, 40, 380, 299}));

    // The same place again moves nothing and reports nothing.
    BkWindowPos pos{0, 0, 400, 300};
    m_root->BkSendMessage(WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
    EXPECT_EQ(Seen(BKNM_REALWND_RESIZED).size(), 1u);

    host.BkSendMessage(WM_SHOWWINDOW, 0, 0);
    EXPECT_FALSE(IsWindowVisible(real));
    m_root->BkSendMessage(WM_SHOWWINDOW, 0, 0);
    host.BkSendMessage(WM_SHOWWINDOW, 1, 0);
    EXPECT_FALSE(IsWindowVisible(real)) << "a hidden ancestor keeps it hidden";
    m_root->BkSendMessage(WM_SHOWWINDOW, 1, 0);
    EXPECT_TRUE(IsWindowVisible(real));
    m_root.reset();
    EXPECT_FALSE(IsWindowVisible(real)) << "destroying the element hides the window";
}

TEST_F(BkControlsTest, LinesRunCornerToCornerInTheirStyle) {
    Root("<hr id=1 pos=\"4,5,-4,5\" crbg=FF0000/><hr id=2 pos=\"50,20,50,-5\" crbg=0000FF size=1/>"
         "<hr id=3 pos=\"4,60,-4,60\" crbg=00FF00 style=dot/>",
         100, 100);
    EXPECT_EQ(Item<CBkLine>(3).GetPenStyle(), 2);
    BkTestCanvas canvas(100, 100);
    Paint(canvas);
    EXPECT_EQ(CountColor(canvas, RECT{0, 5, 100, 6}, RGB(255, 0, 0)), 92);
    EXPECT_EQ(CountColor(canvas, RECT{0, 4, 100, 5}, RGB(255, 0, 0)), 0);
    EXPECT_EQ(CountColor(canvas, RECT{50, 0, 51, 100}, RGB(0, 0, 255)), 75);
    const int dots = CountColor(canvas, RECT{0, 60, 100, 61}, RGB(0, 255, 0));
    EXPECT_GT(dots, 30);
    EXPECT_LT(dots, 70) << "a dotted line has gaps";

    // With a paint region, a line of empty rectangle inside it is still drawn.
    BkTestCanvas partial(100, 100);
    HRGN region = CreateRectRgn(0, 0, 100, 10);
    Paint(partial, region);
    DeleteObject(region);
    EXPECT_EQ(CountColor(partial, RECT{0, 5, 100, 6}, RGB(255, 0, 0)), 92);
}

TEST_F(BkControlsTest, IconsSystemAndMissing) {
    Root("<icon id=1 src=32516 oem=1 size=32 pos=\"0,0\"/><icon id=2 src=4242 pos=\"40,0\"/>"
         "<icon id=3 src=101 size=24 pos=\"80,0\"/>",
         200, 100);
    EXPECT_EQ(Item<CBkIconWnd>(1).GetRect(), (RECT{0, 0, 32, 32}));
    EXPECT_EQ(Item<CBkIconWnd>(2).GetRect(), (RECT{40, 0, 56, 16})) << "the default size 16";
    EXPECT_NE(Item<CBkIconWnd>(1).GetIcon(), nullptr);
    EXPECT_EQ(Item<CBkIconWnd>(2).GetIcon(), nullptr);
    EXPECT_NE(Item<CBkIconWnd>(3).GetIcon(), nullptr) << "the program icon";
    BkTestCanvas canvas(200, 100);
    Paint(canvas);
    EXPECT_GT(CountNot(canvas, RECT{0, 0, 32, 32}, kWhite), 100);
    EXPECT_EQ(CountNot(canvas, RECT{40, 0, 56, 16}, kWhite), 0);
    EXPECT_GT(CountNot(canvas, RECT{80, 0, 104, 24}, kWhite), 50);
}

TEST_F(BkControlsTest, ImageButtonPassesItsStateImage) {
    Root("<imgbtn id=1 skin=closebtn pos=\"0,0\"/><img id=2 skin=closebtn sub=2 pos=\"0,40\"/>", 100, 100);
    auto& button = Item<CBkImageBtnWnd>(1);
    CBkSkinBase* skin = BkSkinPool::GetSkin("closebtn");
    ASSERT_NE(skin, nullptr);
    const SIZE size = skin->GetSkinSize();
    EXPECT_EQ(RectWidth(button.GetRect()), size.cx) << "natural size from the skin";
    EXPECT_TRUE(button.NeedRedrawWhenStateChange());

    auto same = [&](const RECT& at, int index) {
        BkTestCanvas drawn(100, 100), expected(100, 100);
        Paint(drawn);
        skin->Draw(expected.dc(), at, index);
        for (int y = at.top; y < at.bottom; ++y) {
            for (int x = at.left; x < at.right; ++x) {
                if (drawn.at(x, y) != expected.at(x, y)) return false;
            }
        }
        return true;
    };
    const RECT at = button.GetRect();
    EXPECT_TRUE(same(at, 0));
    button.ModifyState(BkWndState_Hover, 0);
    EXPECT_TRUE(same(at, 1));
    button.ModifyState(BkWndState_PushDown, 0);
    EXPECT_TRUE(same(at, 2));
    button.ModifyState(BkWndState_Disable, 0);
    EXPECT_TRUE(same(at, 3)) << "disabled wins";
    EXPECT_TRUE(same(Item<CBkImageWnd>(2).GetRect(), 2));
}

TEST_F(BkControlsTest, MemoryImageTakesBitmapsFromCodeOnly) {
    HBITMAP bitmap = CreateBitmap(30, 20, 1, 32, nullptr);
    {
        HDC dc = CreateCompatibleDC(nullptr);
        HBITMAP old = SelectObject(dc, bitmap);
        RECT all{0, 0, 30, 20};
        FillSolidRect(dc, &all, RGB(1, 2, 3));
        SelectObject(dc, old);
        DeleteDC(dc);
    }
    const std::string number = std::to_string(reinterpret_cast<uintptr_t>(bitmap));
    Root("<memimage id=1 autosize=1 mempointer=" + number + " pos=\"5,5\"/>", 100, 100);
    auto& image = Item<CBkMemoryImage>(1);
    EXPECT_EQ(image.GetBitmap(), nullptr) << "a number in a layout is not a bitmap";
    image.SetBitmap(bitmap);
    EXPECT_EQ(image.GetRect(), (RECT{5, 5, 35, 25}));
    BkTestCanvas canvas(100, 100);
    Paint(canvas);
    EXPECT_EQ(canvas.at(5, 5), RGB(1, 2, 3));
    EXPECT_EQ(canvas.at(34, 24), RGB(1, 2, 3));
    EXPECT_EQ(canvas.at(35, 25), kWhite);
    m_root.reset();
    DeleteObject(bitmap);
}

TEST_F(BkControlsTest, ImageListDrawsSkinsSideBySide) {
    Root("<imglisth id=1 pos=\"0,0\" imagecount=3 skin=minbtn skinlist=\"skin1=maxbtn,skin2=closebtn\" "
         "sublist=\"sub0=1;sub2=2\"/>",
         200, 100);
    auto& list = Item<CBkImageListHWnd>(1);
    EXPECT_EQ(list.GetSkinName(0), "minbtn");
    EXPECT_EQ(list.GetSkinName(1), "maxbtn");
    EXPECT_EQ(list.GetSubImage(0), 1);
    EXPECT_EQ(list.GetSubImage(1), -1);
    EXPECT_EQ(list.GetSubImage(2), 2);
    EXPECT_EQ(RectWidth(list.GetRect()), 30 + 30 + 47);
}

TEST_F(BkControlsTest, EditOwnsARealFieldAndKeepsItsText) {
    MakeWindows();
    ShowWindow(m_parent, SW_SHOWNOACTIVATE);
    Root("<edit id=51102 defaultfont=0000 password=1 maxchar=8 pos=\"75,40,275,68\">secret</edit>", 400, 200);
    auto& edit = Item<CBkEdit>(51102);
    HWND field = edit.GetEditHWnd();
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(GetDlgItem(m_container, 51102), field);
    EXPECT_EQ(GetWindowText(field), u"secret");
    EXPECT_NE(GetWindowLong(field, GWL_STYLE) & ES_PASSWORD, 0);
    RECT rc;
    GetWindowRect(field, &rc);
    POINT origin{0, 0};
    ClientToScreen(m_container, &origin);
    EXPECT_EQ(rc, (RECT{origin.x + 77, origin.y + 42, origin.x + 273, origin.y + 66})) << "shrunk by 2";
    EXPECT_EQ(Seen(BKNM_REALWND_RESIZED).size(), 1u);

    edit.SetInnerText(u"other");
    EXPECT_EQ(GetWindowText(field), u"other");
    SendMessage(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(u"typed"));
    EXPECT_EQ(edit.GetInnerText(), u"typed") << "the field's text comes back to the element";
    SendMessage(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(u""));
    ASSERT_TRUE(platform::testing::InjectText(field, u"ab1"));
    PumpMessages();
    EXPECT_EQ(GetWindowText(field), u"ab1");
    EXPECT_EQ(edit.GetInnerText(), u"ab1") << "typing reaches the element too";

    // The border: one pixel of 4EA0D1, two of 85E4FF under the mouse.
    BkTestCanvas canvas(400, 200);
    Paint(canvas);
    EXPECT_EQ(canvas.at(75, 50), RGB(0x4E, 0xA0, 0xD1));
    EXPECT_EQ(canvas.at(76, 50), kWhite);
    SendMessage(field, WM_MOUSEMOVE, 0, Point(3, 3));
    EXPECT_TRUE(edit.IsHover());
    BkTestCanvas hovered(400, 200);
    Paint(hovered);
    EXPECT_EQ(hovered.at(76, 50), RGB(0x85, 0xE4, 0xFF));

    edit.BkSendMessage(WM_SHOWWINDOW, 0, 0);
    EXPECT_FALSE(IsWindowVisible(field));
    m_root.reset();
    EXPECT_FALSE(IsWindow(field));
}

}  // namespace
