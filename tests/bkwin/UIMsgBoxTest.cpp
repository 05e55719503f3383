// The message box, run modally and answered through the platform's input path, and its picture:
// a box of style 0x24 with two lines saved as msgbox_0x24.png in the build tree.
#include <gtest/gtest.h>

#include "HostTestSupport.h"
#include "app/UIMsgBox.h"
#include "bkwin/bkpanel.h"
#include "bkwin/bkwinmanager.h"
#include "platform/imaging.h"

using namespace hosttest;

namespace {

// A message box that runs `script` once its modal loop is running.
class ScriptedMsgBox : public CBkSafeMsgBox {
public:
    static constexpr UINT_PTR kCloseLater = 8;
    std::function<void(ScriptedMsgBox&)> script;

    HWND Host() { return GetView().GetHWnd(); }
    void Click(int id) {
        CBkWindow* e = GetItem(id);
        ASSERT_NE(e, nullptr) << id;
        const RECT& r = e->GetRect();
        const int x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
        input::InjectMouse(Host(), input::MouseAction::Move, x, y, input::MouseButton::None);
        input::InjectMouse(Host(), input::MouseAction::Press, x, y);
        input::InjectMouse(Host(), input::MouseAction::Release, x, y);
    }
    // The buttons in the footer's row, left to right.
    std::vector<CBkWindow*> RowButtons() {
        std::vector<CBkWindow*> buttons;
        auto* container = dynamic_cast<CBkPanel*>(GetItem(IDC_BUTTONS));
        if (!container || container->Children().empty()) return buttons;
        auto* row = dynamic_cast<CBkPanel*>(container->Children().front().get());
        if (!row) return buttons;
        for (const auto& child : row->Children()) buttons.push_back(child.get());
        return buttons;
    }
    std::vector<CBkWindow*> Lines() {
        std::vector<CBkWindow*> lines;
        if (auto* block = dynamic_cast<CBkPanel*>(GetItem(IDC_LINES))) {
            for (const auto& child : block->Children()) lines.push_back(child.get());
        }
        return lines;
    }

protected:
    bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        if (msg == WM_TIMER && wParam == 7) {
            KillTimer(hwnd, 7);
            if (script) script(*this);
            return true;
        }
        if (msg == WM_TIMER && wParam == kCloseLater) {  // still open: the title bar's close
            KillTimer(hwnd, kCloseLater);
            Click(IDC_CLOSE);
            return true;
        }
        const bool handled = CBkSafeMsgBox::ProcessWindowMessage(hwnd, msg, wParam, lParam, result);
        if (msg == WM_INITDIALOG) SetTimer(hwnd, 7, 1);
        return handled;
    }
};

class UIMsgBox : public HostTest {
protected:
    BkWinManager manager;
};

TEST_F(UIMsgBox, StyleZeroHasOneCentredOkButton) {
    ScriptedMsgBox box;
    std::vector<std::u16string> captions;
    int centre = 0, width = 0, hostWidth = 0;
    RECT window{};
    bool iconVisible = true, checkVisible = true;
    box.script = [&](ScriptedMsgBox& b) {
        for (CBkWindow* button : b.RowButtons()) captions.push_back(button->GetInnerText());
        if (!b.RowButtons().empty()) {
            const RECT r = b.RowButtons()[0]->GetRect();
            centre = r.left + r.right;
            width = RectWidth(r);
        }
        RECT client{};
        GetClientRect(b.Host(), &client);
        hostWidth = RectWidth(client);
        GetWindowRect(b.GetHWnd(), &window);
        iconVisible = b.GetItem(CBkSafeMsgBox::IDC_ICON)->IsVisible();
        checkVisible = b.GetItem(CBkSafeMsgBox::IDC_CHECK)->IsVisible();
        b.Click(b.RowButtons().at(0)->GetCmdID());
    };
    EXPECT_EQ(box.Show(u""), IDOK);
    ASSERT_EQ(captions, (std::vector<std::u16string>{u"确定"}));
    EXPECT_EQ(width, 80);                  // a short caption still gets 80 pixels
    EXPECT_NEAR(centre, hostWidth, 1);     // twice the centre: the row sits in the middle
    // A very short message gives the smallest box.
    EXPECT_EQ(RectWidth(window), 320);
    EXPECT_EQ(RectHeight(window), 130);
    EXPECT_FALSE(iconVisible);             // no icon bits
    EXPECT_FALSE(checkVisible);            // no place for the check state
}

TEST_F(UIMsgBox, YesNoWithQuestionIcon) {
    ScriptedMsgBox box;
    std::vector<std::u16string> captions;
    std::vector<int> ids;
    bool iconVisible = false;
    int gap = 0;
    box.script = [&](ScriptedMsgBox& b) {
        const auto buttons = b.RowButtons();
        for (CBkWindow* button : buttons) {
            captions.push_back(button->GetInnerText());
            ids.push_back(button->GetCmdID());
        }
        if (buttons.size() == 2) gap = buttons[1]->GetRect().left - buttons[0]->GetRect().right;
        iconVisible = b.GetItem(CBkSafeMsgBox::IDC_ICON)->IsVisible();
        b.Click(IDNO);
    };
    EXPECT_EQ(box.Show(u"Continue?", u"", 0x24), IDNO);
    EXPECT_EQ(captions, (std::vector<std::u16string>{u"是", u"否"}));
    EXPECT_EQ(ids, (std::vector<int>{IDYES, IDNO}));
    EXPECT_EQ(gap, 20);
    EXPECT_TRUE(iconVisible);
}

TEST_F(UIMsgBox, ButtonSetsAndTheirIds) {
    const std::vector<std::vector<int>> expected = {
        {1}, {1, 2}, {3, 4, 5}, {6, 7, 2}, {6, 7}, {4, 2}, {2, 4, 11}, {}, {}, {}, {}, {}, {}, {}, {}, {}};
    for (UINT set = 0; set < 16; ++set) {
        std::vector<int> ids;
        for (const auto& b : CBkSafeMsgBox::ButtonsForStyle(set | 0x30)) {
            ids.push_back(b.id);
            EXPECT_GE(b.width, 80);
        }
        EXPECT_EQ(ids, expected[set]) << set;
    }
    EXPECT_TRUE(CBkSafeMsgBox::ButtonsForStyle(0x80000000u).empty());
}

TEST_F(UIMsgBox, TitleBarCloseReturnsItsId) {
    ScriptedMsgBox box;
    std::u16string title;
    box.script = [&](ScriptedMsgBox& b) {
        title = b.GetItem(CBkSafeMsgBox::IDC_TITLE)->GetInnerText();
        b.Click(CBkSafeMsgBox::IDC_CLOSE);
    };
    EXPECT_EQ(box.Show(u"text", u"Caption", 1), CBkSafeMsgBox::IDC_CLOSE);
    EXPECT_EQ(title, u"Caption");
}

// Return, Enter and Space press the first button (Tab moves along the row); Escape and the window
// manager's close press the cancel button or the only one, and nothing in a Yes/No box.
TEST_F(UIMsgBox, KeysPressTheBoxsButtons) {
    const struct {
        UINT style;
        std::vector<WPARAM> keys;  // 0: the window manager's close
        int expected;
    } cases[] = {
        {0, {VK_RETURN}, 1}, {0, {VK_SPACE}, 1},   {0, {VK_ESCAPE}, 1},         {0, {0}, 1},
        {1, {VK_ESCAPE}, 2}, {4, {VK_RETURN}, 6},  {4, {VK_TAB, VK_SPACE}, 7}, {3, {VK_ESCAPE}, 2},
        {4, {VK_ESCAPE}, CBkSafeMsgBox::IDC_CLOSE},
    };
    for (const auto& c : cases) {
        ScriptedMsgBox box;
        box.script = [&](ScriptedMsgBox& b) {
            for (WPARAM key : c.keys) {
                if (key == 0) {
                    input::InjectCloseRequest(b.GetHWnd());
                } else {
                    input::InjectKey(b.GetHWnd(), key, key == VK_SPACE ? u" " : u"");
                }
            }
            SetTimer(b.GetHWnd(), ScriptedMsgBox::kCloseLater, 50);
        };
        EXPECT_EQ(box.Show(u"text", u"", c.style), c.expected) << c.style << " " << c.keys.front();
    }
}

TEST_F(UIMsgBox, CheckBoxStateIsReturned) {
    ScriptedMsgBox box;
    bool visible = false;
    RECT window{};
    box.script = [&](ScriptedMsgBox& b) {
        visible = b.GetItem(CBkSafeMsgBox::IDC_CHECK)->IsVisible();
        GetWindowRect(b.GetHWnd(), &window);
        b.Click(CBkSafeMsgBox::IDC_CHECK);
        b.Click(IDOK);
    };
    bool checked = false;
    EXPECT_EQ(box.Show(u"text", u"", 0, &checked), IDOK);
    EXPECT_TRUE(visible);
    EXPECT_TRUE(checked);
    EXPECT_GT(RectHeight(window), 140);  // one line plus 140 with the check box
}

TEST_F(UIMsgBox, LinesAreSplitPlacedAndEscaped) {
    ScriptedMsgBox box;
    std::vector<int> tops;
    std::vector<std::u16string> texts;
    int blockTop = 0;
    bool singleHidden = false;
    box.script = [&](ScriptedMsgBox& b) {
        blockTop = b.GetItem(CBkSafeMsgBox::IDC_LINES)->GetRect().top;
        for (CBkWindow* line : b.Lines()) {
            tops.push_back(line->GetRect().top - blockTop);
            texts.push_back(line->GetInnerText());
        }
        singleHidden = !b.GetItem(CBkSafeMsgBox::IDC_TEXT)->IsVisible();
        b.Click(IDOK);
    };
    EXPECT_EQ(box.ShowLines(u"first <b>line</b> & more\n\nsecond \"line\"\r\n"), IDOK);
    EXPECT_EQ(tops, (std::vector<int>{0, 18}));
    EXPECT_EQ(texts, (std::vector<std::u16string>{u"first <b>line</b> & more", u"second \"line\""}));
    EXPECT_TRUE(singleHidden);

    ScriptedMsgBox one;
    tops.clear();
    texts.clear();
    one.script = box.script;
    EXPECT_EQ(one.ShowLines(u"only one"), IDOK);
    EXPECT_EQ(tops, (std::vector<int>{10}));
}

TEST_F(UIMsgBox, QueuedTextsAndFailures) {
    ScriptedMsgBox about;
    about.SetLayout(510);
    about.QueueItemText(10517, u"1.0.0.1");
    std::u16string version;
    RECT window{};
    about.script = [&](ScriptedMsgBox& b) {
        version = b.GetItem(10517)->GetInnerText();
        GetWindowRect(b.GetHWnd(), &window);
        b.Click(IDCANCEL);  // its own close button
    };
    EXPECT_EQ(about.Show(u""), IDCANCEL);
    EXPECT_EQ(version, u"1.0.0.1");
    EXPECT_EQ(RectWidth(window), 350);
    EXPECT_EQ(RectHeight(window), 240);

    CBkSafeMsgBox missing;
    missing.SetLayout(9999);
    EXPECT_EQ(missing.Show(u"x"), -1);
}

TEST(UIMsgBoxMarkup, EscapesEveryMarkupCharacter) {
    EXPECT_EQ(CBkSafeMsgBox::EscapeMarkup(u"a<b>&\"c'"), u"a&lt;b&gt;&amp;&quot;c&apos;");
    EXPECT_EQ(CBkSafeMsgBox::LinesMarkup({u"x</text><button id=1>"}),
              u"<text pos=\"0,10\">x&lt;/text&gt;&lt;button id=1&gt;</text>");
    EXPECT_EQ(CBkSafeMsgBox::SplitLines(u"a\n\n\nb"), (std::vector<std::u16string>{u"a", u"b"}));
    EXPECT_TRUE(CBkSafeMsgBox::SplitLines(u"\n\n").empty());
}

// ---------------------------------------------------------------------------------------------
// The picture.

COLORREF At(const platform::RgbImage& image, int x, int y) {
    const uint8_t* p = image.pixel(x, y);
    return RGB(p[0], p[1], p[2]);
}

TEST_F(UIMsgBox, PictureOfAYesNoQuestionWithTwoLines) {
    ScriptedMsgBox box;
    platform::RgbImage picture;
    std::vector<RECT> buttons;
    RECT icon{};
    box.script = [&](ScriptedMsgBox& b) {
        b.GetView().RenderBuffer();
        ASSERT_TRUE(BitmapToRgbImage(b.GetView().GetBackBuffer(), picture));
        for (CBkWindow* button : b.RowButtons()) buttons.push_back(button->GetRect());
        icon = b.GetItem(CBkSafeMsgBox::IDC_ICON)->GetRect();
        b.Click(IDYES);
    };
    ASSERT_EQ(box.ShowLines(u"要保存二维码图片吗？\nSave the QR code picture?", u"Merovask", 0x24), IDYES);
    ASSERT_GT(picture.width, 0);

    std::vector<uint8_t> png;
    ASSERT_EQ(platform::encodeImage(picture, platform::ImageFormat::Png, png), "");
    ASSERT_EQ(platform::writeFileAtomically(MEROVASK_HOST_PICTURE_DIR "/msgbox_0x24.png", png), "");

    // The icon sits at 20,20 in the body (below the 31-pixel header), 32 pixels square, and
    // is drawn: some of its pixels differ from the body's background.
    EXPECT_EQ(icon, (RECT{20, 51, 52, 83}));
    const COLORREF background = RGB(0xFB, 0xFC, 0xFD);
    int iconPixels = 0;
    for (int y = icon.top; y < icon.bottom; ++y) {
        for (int x = icon.left; x < icon.right; ++x) iconPixels += At(picture, x, y) != background;
    }
    EXPECT_GT(iconPixels, 200);
    EXPECT_EQ(At(picture, 60, 90), background);  // between the icon and the text

    // Two buttons, 20 apart, centred: as far from the left edge as from the right.
    ASSERT_EQ(buttons.size(), 2u);
    EXPECT_NEAR(buttons[0].left, picture.width - buttons[1].right, 1);
    const COLORREF border = RGB(0x7D, 0x9E, 0xBC);
    for (const RECT& r : buttons) {
        const int midY = (r.top + r.bottom) / 2;
        EXPECT_EQ(At(picture, r.left, midY), border);
        EXPECT_EQ(At(picture, r.right - 1, midY), border);
        EXPECT_NE(At(picture, r.left - 1, midY), border);
    }
    // The two lines are drawn: dark text pixels in the first line's band next to the icon.
    int dark = 0;
    for (int y = 51; y < 69; ++y) {
        for (int x = 70; x < picture.width - 10; ++x) {
            const COLORREF c = At(picture, x, y);
            dark += GetRValue(c) < 128 && GetGValue(c) < 128 && GetBValue(c) < 128;
        }
    }
    EXPECT_GT(dark, 30);
}

}  // namespace
