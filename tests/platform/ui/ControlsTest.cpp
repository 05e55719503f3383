#include <gtest/gtest.h>

#include <vector>

#include "platform/controls.h"
#include "platform/testing.h"

namespace platform {
namespace {

namespace inject = platform::testing;

struct Host {
    std::vector<std::pair<WORD, WORD>> commands;  // (id, code)
    HWND hwnd = nullptr;
    Host() {
        hwnd = CreateWindowEx(0, u"Host", u"", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, nullptr, 0,
                              [this](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
                                  if (m == WM_COMMAND) commands.emplace_back(LOWORD(w), HIWORD(w));
                                  return DefWindowProc(h, m, w, l);
                              });
    }
    ~Host() { DestroyWindow(hwnd); }
    int count(WORD id, WORD code) const {
        int n = 0;
        for (auto& c : commands) n += c.first == id && c.second == code;
        return n;
    }
};

constexpr DWORD kRichStyle = WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_BORDER | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN;
constexpr DWORD kComboStyle = WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL;

TEST(EditField, TextWithLineEndsAndChangeNotices) {
    Host host;
    HWND edit = CreateWindowEx(0, kRichEditClass, u"", kRichStyle, 5, 40, 375, 200, host.hwnd, 2210, nullptr);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(GetDlgCtrlID(edit), 2210);
    EXPECT_EQ(GetDlgItem(host.hwnd, 2210), edit);
    SetWindowText(edit, u"line1\nline2\rline3");
    EXPECT_EQ(GetWindowText(edit), u"line1\r\nline2\r\nline3");
    EXPECT_EQ(GetWindowTextLength(edit), 19);
    EXPECT_EQ(host.count(2210, EN_CHANGE), 0);  // multi-line fields do not report WM_SETTEXT
    EXPECT_FALSE(Edit_GetModify(edit));

    SetFocus(edit);
    Edit_SetSel(edit, 0, -1);
    inject::InjectText(edit, u"你好");
    EXPECT_EQ(GetWindowText(edit), u"你好");
    EXPECT_GE(host.count(2210, EN_CHANGE), 1);
    EXPECT_TRUE(Edit_GetModify(edit));
    // Want-return: Enter types a line break.
    inject::InjectKey(edit, VK_RETURN, u"\r");
    EXPECT_EQ(GetWindowText(edit), u"你好\r\n");

    // Small buffers are cut and zero-terminated.
    char16_t buffer[3] = {u'x', u'x', u'x'};
    EXPECT_EQ(SendMessage(edit, WM_GETTEXT, 3, reinterpret_cast<LPARAM>(buffer)), 2);
    EXPECT_EQ(buffer[2], u'\0');

    HFONT font = GetStockFont(DEFAULT_GUI_FONT);
    SetWindowFont(edit, font, true);
    EXPECT_EQ(GetWindowFont(edit), font);
}

TEST(EditField, OneLineFieldSendsChangeAndHandsEnterToTheDialog) {
    Host host;
    SetDialogKeys(host.hwnd, true);
    HWND edit = CreateWindowEx(0, kEditClass, u"abc", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL | ES_NUMBER, 5, 5, 100,
                               20, host.hwnd, 7, nullptr);
    EXPECT_EQ(GetWindowText(edit), u"abc");
    SetWindowText(edit, u"12");
    EXPECT_EQ(host.count(7, EN_CHANGE), 1);
    SetFocus(edit);
    inject::InjectKey(edit, VK_RETURN, u"\r");
    EXPECT_EQ(host.count(IDOK, BN_CLICKED), 1);
    inject::InjectKey(edit, VK_ESCAPE);
    EXPECT_EQ(host.count(IDCANCEL, BN_CLICKED), 1);
    Edit_LimitText(edit, 3);
    inject::InjectText(edit, u"345");
    EXPECT_EQ(GetWindowText(edit).size(), 3u);
}

TEST(EditField, ADisabledOwnerWindowRefusesTypingIntoItsFields) {
    Host host;
    HWND edit = CreateWindowEx(0, kEditClass, u"", WS_CHILD | WS_VISIBLE, 5, 5, 100, 20, host.hwnd, 9, nullptr);
    SetFocus(edit);
    EnableWindow(host.hwnd, false);  // as a modal dialog does with its owner
    inject::InjectText(edit, u"abc");
    EXPECT_EQ(GetWindowText(edit), u"");
    EXPECT_TRUE(IsWindowEnabled(edit));
    EnableWindow(host.hwnd, true);
    inject::InjectText(edit, u"abc");
    EXPECT_EQ(GetWindowText(edit), u"abc");
    EnableWindow(edit, false);
    inject::InjectText(edit, u"d");
    EXPECT_EQ(GetWindowText(edit), u"abc");
}

TEST(EditField, SubclassedProcedureHearsTheMouse) {
    Host host;
    HWND edit = CreateWindowEx(0, kEditClass, u"", WS_CHILD | WS_VISIBLE, 5, 5, 100, 20, host.hwnd, 8, nullptr);
    int moves = 0;
    WindowProc old;
    old = SetWindowProc(edit, [&](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == WM_MOUSEMOVE) ++moves;
        return CallWindowProc(old, h, m, w, l);
    });
    inject::InjectMouse(edit, inject::MouseAction::Move, 10, 5);
    PumpMessages();
    EXPECT_EQ(moves, 1);
    SetWindowText(edit, u"still works");
    EXPECT_EQ(GetWindowText(edit), u"still works");
}

TEST(DropDownList, ItemsSelectionAndTypedText) {
    Host host;
    HWND combo = CreateWindowEx(0, kComboBoxClass, u"", kComboStyle, 475, 10, 80, 40, host.hwnd, 2121, nullptr);
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(ComboBox_GetCurSel(combo), -1);
    EXPECT_EQ(ComboBox_AddString(combo, u"自动"), 0);
    EXPECT_EQ(ComboBox_AddString(combo, u"1"), 1);
    EXPECT_EQ(ComboBox_AddString(combo, u"2"), 2);
    EXPECT_EQ(ComboBox_GetCurSel(combo), -1);  // adding selects nothing
    EXPECT_EQ(GetWindowText(combo), u"");
    EXPECT_EQ(ComboBox_GetCount(combo), 3);
    EXPECT_EQ(ComboBox_SetCurSel(combo, 1), 1);
    EXPECT_EQ(ComboBox_GetCurSel(combo), 1);
    EXPECT_EQ(GetWindowText(combo), u"1");
    EXPECT_EQ(ComboBox_GetItemText(combo, 0), u"自动");
    EXPECT_EQ(ComboBox_GetItemText(combo, 9), u"");
    EXPECT_EQ(ComboBox_SetCurSel(combo, 7), CB_ERR);
    EXPECT_EQ(ComboBox_GetCurSel(combo), -1);
    ComboBox_SetCurSel(combo, 2);
    EXPECT_EQ(ComboBox_InsertString(combo, 0, u"x"), 0);
    EXPECT_EQ(ComboBox_GetCurSel(combo), 3);  // the selection moves with its item
    EXPECT_EQ(SendMessage(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(u"X")), 0);

    // Typed text leaves the list without a selection.
    SetFocus(combo);
    inject::InjectText(combo, u"9");
    EXPECT_EQ(ComboBox_GetCurSel(combo), -1);
    EXPECT_GE(host.count(2121, CBN_EDITCHANGE), 1);

    // The field keeps its font height although 40 pixels were asked for.
    RECT r;
    GetWindowRect(combo, &r);
    EXPECT_LT(RectHeight(r), 40);
    ComboBox_ResetContent(combo);
    EXPECT_EQ(ComboBox_GetCount(combo), 0);
    EXPECT_EQ(ComboBox_GetCurSel(combo), -1);
}

TEST(PlainChild, KeepsWhatIsDrawnOnIt) {
    Host host;
    HWND preview = CreateWindowEx(0, kStaticClass, u"", WS_CHILD | WS_VISIBLE, 400, 100, 330, 330, host.hwnd, 2171, nullptr);
    ASSERT_NE(preview, nullptr);
    HDC dc = GetDC(preview);
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(0xF0, 0xF0, 0xF0));
    SetPixel(dc, 3, 3, RGB(0, 0, 0));
    ReleaseDC(preview, dc);
    UpdateWindow(preview);
    PumpMessages();
    dc = GetDC(preview);
    EXPECT_EQ(GetPixel(dc, 3, 3), RGB(0, 0, 0));
    ReleaseDC(preview, dc);
}

}  // namespace
}  // namespace platform
