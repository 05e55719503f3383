// Element trees from XML: position layout, natural size, string substitution, attribute order,
// hit testing, painting limited to a region, visibility and disabled state through parents,
// invalidation through code 1000, and child documents.
#include <gtest/gtest.h>

#include <tinyxml.h>

#include "BkTestCanvas.h"
#include "bkres/bkfontpool.h"
#include "bkres/bkstringpool.h"
#include "bkwin/bkdialog.h"
#include "bkwin/bkskinpool.h"
#include "bkwin/bkstylepool.h"
#include "bkwin/bkwndfactory.h"

namespace {

// The plain element stands in for the text controls, which live in their own units.
class BkTestText : public CBkWindow {
public:
    const char* GetObjectClass() const override { return "text"; }
};

class BkElementTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        BkWndFactory::Register<BkTestText>("text");
        BkString::Clear();
        ASSERT_TRUE(BkString::Load(102));
        BkFontPool::SetDefaultFont(*BkString::Get(0), -12);
        ASSERT_TRUE(BkSkinPool::Load(100));
        ASSERT_TRUE(BkStylePool::Load(101));
    }

    // A root dialog of `width` x `height` at the origin holding the fragment `children`.
    std::unique_ptr<CBkDialog> Root(const std::string& children, int width = 400, int height = 300,
                                    const std::string& rootAttributes = "") {
        std::string xml = "<dlg pos=\"0,0,-0,-0\" " + rootAttributes + ">" + children + "</dlg>";
        TiXmlDocument doc;
        doc.Parse(xml.c_str(), nullptr, TIXML_ENCODING_UTF8);
        EXPECT_FALSE(doc.Error()) << doc.ErrorDesc();
        auto root = std::make_unique<CBkDialog>();
        EXPECT_TRUE(root->Load(doc.RootElement()));
        BkWindowPos pos{0, 0, width, height};
        root->BkSendMessage(WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
        return root;
    }
    static CBkWindow* Child(CBkDialog& root, int id) { return root.FindChildByCmdID(id); }

    static SIZE TextSize(const std::u16string& text, HFONT font) {
        HDC dc = CreateCompatibleDC(nullptr);
        HFONT old = SelectObject(dc, font);
        RECT rc{0, 0, 10000, 10000};
        DrawText(dc, text, &rc, DT_SINGLELINE | DT_CALCRECT);
        SelectObject(dc, old);
        DeleteDC(dc);
        return SIZE{rc.right - rc.left, rc.bottom - rc.top};
    }
};

TEST_F(BkElementTest, PositionFromTheFarEdgeAndTheCentre) {
    auto root = Root("<text id=1 pos=\"-250,5\">logo</text><text id=2 pos=\"|-120,|200\">x</text>", 800, 600);
    const SIZE logo = TextSize(u"logo", BkFontPool::GetFont(0));
    EXPECT_EQ(Child(*root, 1)->GetRect(), (RECT{550, 5, 550 + logo.cx, 5 + logo.cy}));
    EXPECT_EQ(Child(*root, 2)->GetRect().left, 400 - 120);
    EXPECT_EQ(Child(*root, 2)->GetRect().top, 300 + 200);
}

TEST_F(BkElementTest, FourItemsSpanTheParentsInnerRectangle) {
    ASSERT_TRUE(BkStylePool::LoadFromXml("<style><class name=m x-margin=7 y-margin=3/></style>"));
    auto root = Root("<text id=1 pos=\"0,0,-0,-0\"/><text id=2 pos=\"5,40,380,-1\"/>"
                     "<text id=3 pos=\"1,2,3\">abc</text><text id=4 pos=\"|-10,|-5,|10,|5\"/>",
                     400, 300, "class=m");
    ASSERT_TRUE(BkStylePool::Load(101));
    EXPECT_EQ(Child(*root, 1)->GetRect(), (RECT{7, 3, 393, 297}));
    EXPECT_EQ(Child(*root, 2)->GetRect(), (RECT{12, 43, 387, 296}));
    // Three items are no position: the element sits at the inner top-left at its own size.
    const SIZE abc = TextSize(u"abc", BkFontPool::GetFont(0));
    EXPECT_EQ(Child(*root, 3)->GetPos().count, 0);
    EXPECT_EQ(Child(*root, 3)->GetRect(), (RECT{7, 3, 7 + abc.cx, 3 + abc.cy}));
    EXPECT_EQ(Child(*root, 4)->GetRect(), (RECT{7 + 193 - 10, 3 + 147 - 5, 7 + 193 + 10, 3 + 147 + 5}));

    // Moving the parent places the children again.
    BkWindowPos pos{100, 50, 200, 100};
    root->BkSendMessage(WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
    EXPECT_EQ(Child(*root, 1)->GetRect(), (RECT{107, 53, 293, 147}));
}

TEST_F(BkElementTest, PosSyntax) {
    BkWndPos p = BkWndPos::Parse("|-120,|200");
    ASSERT_EQ(p.count, 2);
    EXPECT_TRUE(p.item[0].center && p.item[0].fromFar && p.item[0].value == 120);
    EXPECT_TRUE(p.item[1].center && !p.item[1].fromFar && p.item[1].value == 200);
    p = BkWndPos::Parse("0,0,-0,-0");
    ASSERT_EQ(p.count, 4);
    EXPECT_TRUE(p.item[2].fromFar && p.item[2].value == 0);
    EXPECT_EQ(p.item[2].Resolve(10, 100), 110);  // -0 is the far edge itself
    EXPECT_EQ(BkWndPos::Parse("5").count, 0);
    EXPECT_EQ(BkWndPos::Parse("1,2,3").count, 0);
    EXPECT_EQ(BkWndPos::Parse("1,2,3,4,5").count, 0);
    EXPECT_EQ(BkWndPos::Parse("").count, 0);
    EXPECT_EQ(BkWndPos::Parse("99999999999,0").item[0].value, 2147483647 / 4);
}

TEST_F(BkElementTest, WidthAndHeightFromTheirAttributes) {
    auto root = Root("<dlg id=1 width=full height=40/><dlg id=2 width=120 height=full/><dlg id=3 width=0 height=x/>"
                     "<dlg id=4 pos=\"10,10\" width=120 height=30/>");
    EXPECT_EQ(Child(*root, 1)->GetRect(), (RECT{0, 0, 400, 40}));
    EXPECT_EQ(Child(*root, 2)->GetRect(), (RECT{0, 0, 120, 300}));
    EXPECT_EQ(Child(*root, 3)->GetPositionType() & (SizeX_FitContent | SizeY_FitContent),
              unsigned(SizeX_FitContent | SizeY_FitContent));
    // With a position the size follows the content, whatever width and height say.
    const SIZE empty = TextSize(u"", BkFontPool::GetFont(0));
    EXPECT_EQ(Child(*root, 4)->GetRect(), (RECT{10, 10, 10 + empty.cx, 10 + empty.cy}));
}

TEST_F(BkElementTest, SettingPosAfterLoadingMovesAtOnce) {
    auto root = Root("<text id=1 pos=\"0,0,10,10\"/>");
    Child(*root, 1)->SetAttribute("pos", "20,30,-20,-30", false);
    EXPECT_EQ(Child(*root, 1)->GetRect(), (RECT{20, 30, 380, 270}));
}

TEST_F(BkElementTest, InnerTextFollowsStringsAndAutomaticSize) {
    auto root = Root("<text id=1 pos=\"0,0\">关于%str1%</text><text id=2>%str0%x</text>"
                     "<text id=3>a%str1 b</text><text id=4>%str2%-%str0%-%str1%</text>"
                     "<text id=5>[%str999%]</text>");
    EXPECT_EQ(Child(*root, 1)->GetInnerText(), u"关于MerovaskV1.0");
    EXPECT_EQ(Child(*root, 2)->GetInnerText(), u"%str0%x");
    EXPECT_EQ(Child(*root, 3)->GetInnerText(), u"a%str1 b");
    EXPECT_EQ(Child(*root, 4)->GetInnerText(), u"Kestrawin-%str0%-%str1%");  // stops at the bad token
    testing::internal::CaptureStderr();
    EXPECT_EQ(CBkWindow::SubstituteStrings(u"[%str999%]"), u"[]");
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Failed loading string 999"), std::string::npos);
    // A replacement that itself reads like a token is not expanded again.
    EXPECT_EQ(CBkWindow::SubstituteStrings(u"%str1%%str2%"), u"MerovaskV1.0Kestrawin");

    CBkWindow* title = Child(*root, 1);
    const LONG before = title->GetRect().right;
    title->SetInnerText(u"关于 a much longer text than before");
    EXPECT_GT(title->GetRect().right, before);
    EXPECT_EQ(title->GetRect().right - title->GetRect().left,
              TextSize(u"关于 a much longer text than before", BkFontPool::GetFont(0)).cx);
}

TEST_F(BkElementTest, ClassCopiesTheWholeStyleSoFontMustComeAfterIt) {
    auto root = Root("<text id=1 font=0A04 class=boldtext>a</text><text id=2 class=boldtext font=0A04>a</text>"
                     "<text id=3 class=nosuchclass>a</text>");
    EXPECT_EQ(Child(*root, 1)->GetStyle().m_ftText, BkFontPool::GetFont(0x0004));
    EXPECT_EQ(Child(*root, 2)->GetStyle().m_ftText, BkFontPool::GetFont(0x0A04));
    EXPECT_EQ(Child(*root, 2)->GetStyle().m_nTextAlign, 0x20u);
    EXPECT_EQ(Child(*root, 3)->GetStyle().m_nTextAlign, 0x28u);
    EXPECT_EQ(Child(*root, 3)->GetStyle().m_ftText, nullptr);
    // The bigger font makes the element taller.
    EXPECT_GT(Child(*root, 2)->GetRect().bottom - Child(*root, 2)->GetRect().top,
              Child(*root, 1)->GetRect().bottom - Child(*root, 1)->GetRect().top);
}

TEST_F(BkElementTest, TextIsMeasuredWithTheNearestAncestorsFont) {
    auto root = Root("<dlg id=1 pos=\"0,0,-0,-0\" font=0A04><text id=2 pos=\"0,0\">Wide</text></dlg>");
    const SIZE big = TextSize(u"Wide", BkFontPool::GetFont(0x0A04));
    EXPECT_EQ(Child(*root, 2)->GetRect(), (RECT{0, 0, big.cx, big.cy}));
}

TEST_F(BkElementTest, HitTestSkipsTransparentAndHiddenAndPrefersFloating) {
    auto root = Root("<text id=1 transparent=1 pos=\"0,0,100,100\"/><text id=2 show=0 pos=\"0,0,100,100\"/>"
                     "<text id=3 pos=\"0,0,100,100\"/><text id=4 float=1 pos=\"50,50,150,150\"/>"
                     "<dlg id=5 onlydrawchild=1 pos=\"200,0,300,100\"><text id=6 pos=\"0,0,-0,-0\"/></dlg>"
                     "<dlg id=7 pos=\"200,150,300,250\"><text id=8 pos=\"0,0,50,50\"/></dlg>");
    auto hit = [&](int x, int y) {
        CBkWindow* w = BkWnds::GetWindow(root->HitTest(POINT{x, y}));
        return w ? w->GetCmdID() : -1;
    };
    EXPECT_EQ(hit(10, 10), 3);    // under the transparent and the hidden element
    EXPECT_EQ(hit(60, 60), 4);    // floating children first
    EXPECT_EQ(hit(250, 50), 5);   // one hit target for the whole panel
    EXPECT_EQ(hit(210, 160), 8);
    EXPECT_EQ(hit(290, 240), 7);  // inside a container, over none of its children
    EXPECT_EQ(hit(350, 280), 0);  // the root itself
    EXPECT_EQ(hit(500, 10), -1);  // outside everything
    Child(*root, 3)->SetVisible(false);
    EXPECT_EQ(hit(10, 10), 0);
}

TEST_F(BkElementTest, PaintingSkipsWhatTheRegionMissesAndWhatIsHidden) {
    auto root = Root("<text id=1 crbg=FF0000 pos=\"0,0,50,50\"/><text id=2 crbg=00FF00 pos=\"100,0,150,50\"/>"
                     "<text id=3 crbg=0000FF show=0 pos=\"0,100,50,150\"/>"
                     "<dlg id=4 crbg=FFFF00 pos=\"200,0,300,100\"><text id=5 crbg=FF00FF pos=\"0,0,20,20\"/></dlg>"
                     "<text id=6 class=anibg crbg=00FFFF pos=\"0,200,50,250\"/>");
    BkTestCanvas all(400, 300);
    EXPECT_TRUE(root->RedrawRegion(all.dc(), nullptr));
    EXPECT_EQ(all.at(25, 25), RGB(255, 0, 0));
    EXPECT_EQ(all.at(125, 25), RGB(0, 255, 0));
    EXPECT_EQ(all.at(25, 125), RGB(255, 255, 255));  // hidden
    EXPECT_EQ(all.at(210, 10), RGB(255, 0, 255));    // children over their container
    EXPECT_EQ(all.at(250, 50), RGB(255, 255, 0));
    EXPECT_EQ(all.at(25, 225), RGB(255, 255, 255));  // a style naming a missing skin: no background at all

    HRGN region = CreateRectRgn(0, 0, 60, 60);
    BkTestCanvas part(400, 300);
    EXPECT_TRUE(root->RedrawRegion(part.dc(), region));
    EXPECT_EQ(part.at(25, 25), RGB(255, 0, 0));
    EXPECT_EQ(part.at(125, 25), RGB(255, 255, 255));
    EXPECT_EQ(part.at(210, 10), RGB(255, 255, 255));  // the whole subtree skipped
    EXPECT_FALSE(Child(*root, 4)->RedrawRegion(part.dc(), region));
    EXPECT_FALSE(Child(*root, 5)->RedrawRegion(part.dc(), region));
    DeleteObject(region);
}

TEST_F(BkElementTest, TextIsDrawnInTheDisabledColourWhenAnAncestorIsDisabled) {
    auto root = Root("<dlg id=1 pos=\"0,0,-0,-0\"><text id=2 crtext=0000FF pos=\"10,10,200,60\">"
                     "全部禁用 DISABLED</text></dlg>");
    auto inkOf = [](const BkTestCanvas& c) {
        for (int y = 10; y < 60; ++y)
            for (int x = 10; x < 200; ++x)
                if (c.at(x, y) != RGB(255, 255, 255)) return c.at(x, y);
        return RGB(255, 255, 255);
    };
    auto darkest = [](const BkTestCanvas& c) {  // the most saturated ink pixel's colour
        COLORREF best = RGB(255, 255, 255);
        int bestSum = 255 * 3;
        for (int y = 10; y < 60; ++y)
            for (int x = 10; x < 200; ++x) {
                COLORREF p = c.at(x, y);
                int sum = GetRValue(p) + GetGValue(p) + GetBValue(p);
                if (sum < bestSum) bestSum = sum, best = p;
            }
        return best;
    };
    BkTestCanvas normal(400, 300);
    root->RedrawRegion(normal.dc(), nullptr);
    ASSERT_NE(inkOf(normal), RGB(255, 255, 255));
    EXPECT_EQ(darkest(normal), RGB(0, 0, 255));

    EXPECT_FALSE(Child(*root, 2)->IsDisabled(true));
    Child(*root, 1)->ModifyState(BkWndState_Disable, 0);
    EXPECT_TRUE(Child(*root, 2)->IsDisabled(true));
    EXPECT_FALSE(Child(*root, 2)->IsDisabled(false));
    BkTestCanvas disabled(400, 300);
    root->RedrawRegion(disabled.dc(), nullptr);
    EXPECT_EQ(darkest(disabled), RGB(0xCC, 0xCC, 0xCC));
}

TEST_F(BkElementTest, VisibilityThroughParents) {
    auto root = Root("<dlg id=1 pos=\"0,0,-0,-0\"><text id=2/></dlg>");
    CBkWindow* text = Child(*root, 2);
    EXPECT_TRUE(text->IsVisible(true));
    Child(*root, 1)->BkSendMessage(WM_SHOWWINDOW, 0);
    EXPECT_TRUE(text->IsVisible(false));   // its own bit is untouched
    EXPECT_FALSE(text->IsVisible(true));
    Child(*root, 1)->BkSendMessage(WM_SHOWWINDOW, 1);
    EXPECT_TRUE(text->IsVisible(true));
    EXPECT_EQ(text->ModifyState(BkWndState_Hover, 0), 0u);
    EXPECT_EQ(text->ModifyState(BkWndState_PushDown, BkWndState_Hover), unsigned(BkWndState_Hover));
    EXPECT_EQ(text->GetState(), unsigned(BkWndState_PushDown));
}

TEST_F(BkElementTest, AnElementWhoseParentIsGoneIsARoot) {
    BkTestText orphan;
    orphan.SetParent(0x7FFFFFF0);
    EXPECT_EQ(orphan.GetParentWindow(), nullptr);
    EXPECT_TRUE(orphan.IsVisible(true));
    EXPECT_FALSE(orphan.IsDisabled(true));
    orphan.RepositionSelf();  // nothing to ask
}

TEST_F(BkElementTest, HandlesAreReleasedWithTheirElements) {
    auto root = Root("<dlg id=1><text id=2/></dlg>");
    const BKWND parent = Child(*root, 1)->GetBkHWnd();
    const BKWND child = Child(*root, 2)->GetBkHWnd();
    EXPECT_GT(child, parent);
    EXPECT_EQ(Child(*root, 2)->GetParent(), parent);
    root->BkSendMessage(WM_DESTROY);
    EXPECT_EQ(BkWnds::GetWindow(parent), nullptr);
    EXPECT_EQ(BkWnds::GetWindow(child), nullptr);
    EXPECT_EQ(root->FindChildByCmdID(2), nullptr);
}

TEST_F(BkElementTest, RedrawOnStateChangeOnlyWhenTheLookChanges) {
    auto root = Root("<text id=1/><text id=2 class=linktext/><text id=3 class=normalbtn/>"
                     "<text id=4 class=panel/><text id=5 class=anibg/>");
    EXPECT_FALSE(Child(*root, 1)->NeedRedrawWhenStateChange());
    EXPECT_TRUE(Child(*root, 2)->NeedRedrawWhenStateChange());   // hover colour and font
    EXPECT_TRUE(Child(*root, 3)->NeedRedrawWhenStateChange());   // button skin
    EXPECT_FALSE(Child(*root, 4)->NeedRedrawWhenStateChange());  // frame skin ignores state
    EXPECT_FALSE(Child(*root, 5)->NeedRedrawWhenStateChange());
}

TEST_F(BkElementTest, UnknownTagsAreSkippedAndChildDocumentsLoad) {
    auto root = Root("<sparkle id=9/><text id=1/><dlgfile id=2 src=503 pos=\"0,0,-0,-0\"/>");
    EXPECT_EQ(root->Children().size(), 2u);
    auto* file = static_cast<CBkDialog*>(Child(*root, 2));
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->Children().size(), 1u);
    EXPECT_EQ(file->Children()[0]->GetRect(), (RECT{0, 0, 400, 300}));

    testing::internal::CaptureStderr();
    auto broken = Root("<dlgfile id=3/><dlgfile id=4 src=9999/>");
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("!strSrc.IsEmpty()"), std::string::npos);
    EXPECT_NE(err.find("bRet"), std::string::npos);
    EXPECT_NE(err.find("Failed loading xml 9999"), std::string::npos);
    ASSERT_NE(Child(*broken, 4), nullptr);
    EXPECT_TRUE(static_cast<CBkDialog*>(Child(*broken, 4))->Children().empty());
}

TEST_F(BkElementTest, TheMainLayoutsLoadWholly) {
    BkWndFactory::Register<BkTestText>("realwnd");
    BkWndFactory::Register<BkTestText>("button");
    BkWndFactory::Register<BkTestText>("hr");
    auto root = Root("<dlgfile src=522 pos=\"0,0,-0,-0\"/>", 790, 470);
    CBkWindow* preview = root->FindChildByCmdID(3181);
    ASSERT_NE(preview, nullptr);
    EXPECT_EQ(preview->GetRect(), (RECT{405, 100, 765, 460}));
    EXPECT_EQ(root->FindChildByCmdID(3111)->GetRect(), (RECT{5, 40, 380, 442}));
    EXPECT_EQ(root->FindChildByCmdID(3151)->GetInnerText(), u"读取图片");
}

TEST_F(BkElementTest, InvalidationReachesTheContainerAsCode1000) {
    struct Received { int count = 0; BKNMINVALIDATERECT last{}; WPARAM wParam = 0; } received;
    HWND host = CreateWindowEx(0, u"", u"", WS_POPUP, 0, 0, 400, 300, nullptr, 0,
                               [&received](HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
                                   if (msg == WM_NOTIFY) {
                                       ++received.count;
                                       received.last = *reinterpret_cast<BKNMINVALIDATERECT*>(lParam);
                                       received.wParam = wParam;
                                       return 0;
                                   }
                                   return DefWindowProc(hwnd, msg, wParam, lParam);
                               });
    ASSERT_NE(host, nullptr);
    auto root = Root("<dlg id=1 pos=\"0,0,-0,-0\"><text id=42 pos=\"10,20,30,40\"/></dlg>");
    root->SetContainer(host);
    CBkWindow* text = Child(*root, 42);
    EXPECT_EQ(text->GetContainer(), host);
    text->NotifyInvalidate();
    ASSERT_EQ(received.count, 1);
    EXPECT_EQ(received.last.hdr.code, 1000u);
    EXPECT_EQ(received.last.hdr.idFrom, 42u);
    EXPECT_EQ(received.last.hbkWnd, text->GetBkHWnd());
    EXPECT_EQ(received.last.rect, (RECT{10, 20, 30, 40}));
    text->NotifyInvalidateRect(RECT{1, 2, 3, 4});
    EXPECT_EQ(received.last.rect, (RECT{1, 2, 3, 4}));

    Child(*root, 1)->SetVisible(false);  // an element inside a hidden container asks for nothing
    text->NotifyInvalidate();
    EXPECT_EQ(received.count, 2);
    Child(*root, 1)->SetVisible(true);
    DestroyWindow(host);
    text->NotifyInvalidate();  // the container is gone: nothing, and no crash
    EXPECT_EQ(received.count, 2);
}

}  // namespace
