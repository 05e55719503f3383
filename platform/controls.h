// Real controls: windows made by CreateWindowEx (platform/window.h) with one of these class
// names, each a child carrying its control id, answering the Win32 messages of its class and
// notifying its parent with WM_COMMAND(MAKEWPARAM(id, code), (LPARAM)hwnd).
//
// u"RichEdit20W", u"EDIT" - an edit field. With ES_MULTILINE a multi-line plain-text editor
//   (vertical scroll bar with WS_VSCROLL, Enter starts a new line with ES_WANTRETURN, otherwise
//   Enter goes to the dialog keys of platform/window.h), else a one-line field (ES_PASSWORD,
//   ES_NUMBER: digits only, ES_READONLY, ES_CENTER / ES_RIGHT). WS_BORDER draws a frame.
//   Messages: WM_SETTEXT / WM_GETTEXT (wParam = buffer size in char16_t, lParam = char16_t*) /
//   WM_GETTEXTLENGTH, WM_SETFONT (wParam = HFONT) / WM_GETFONT, EM_SETSEL (0, -1 selects all),
//   EM_GETSEL, EM_LIMITTEXT (0 = no limit; a multi-line field refuses, whole, a paste, drop or
//   typed character that would pass it, and notifies EN_MAXTEXT), EM_SETREADONLY, EM_SETPASSWORDCHAR,
//   EM_SETMARGINS, EM_SETMODIFY / EM_GETMODIFY, EM_GETLINECOUNT, WM_PASTE (the clipboard's
//   text at the caret, as the user's paste).
//   Multi-line text reads with CR LF line ends (any of CR LF, LF, CR is taken when set).
//   Notifies EN_CHANGE after every change the user makes and after WM_SETTEXT on one-line
//   fields (not multi-line ones, as in Win32); EN_SETFOCUS / EN_KILLFOCUS.
//   Mouse moves, button presses and leaves over the field also reach its (possibly
//   subclassed) procedure as WM_MOUSEMOVE / WM_LBUTTONDOWN / WM_MOUSELEAVE, after the field
//   has seen them.
// u"COMBOBOX" - a drop-down list. CBS_DROPDOWN: with an edit field (typed text leaves the list
//   without a selection: CB_GETCURSEL gives -1); CBS_DROPDOWNLIST: selection only. The
//   requested height includes the dropped list, as in Win32: the field itself is as high as its
//   font needs. Messages: CB_ADDSTRING / CB_INSERTSTRING (lParam = const char16_t*,
//   zero-terminated) -> index, CB_DELETESTRING, CB_RESETCONTENT, CB_GETCOUNT, CB_SETCURSEL
//   (-1 clears) -> index or CB_ERR, CB_GETCURSEL, CB_GETLBTEXT / CB_GETLBTEXTLEN,
//   CB_FINDSTRINGEXACT, CB_LIMITTEXT, CB_SHOWDROPDOWN, CB_GETDROPPEDSTATE, WM_PASTE, WM_SETTEXT /
//   WM_GETTEXT (the edit field's text), WM_SETFONT / WM_GETFONT.
//   Notifies CBN_SELCHANGE when the user picks an item, CBN_EDITCHANGE when the user types,
//   CBN_DROPDOWN / CBN_CLOSEUP, CBN_SETFOCUS / CBN_KILLFOCUS.
// u"STATIC" - a plain child window whose kept surface device contexts draw on (GetDC); it
//   paints nothing by itself and starts light grey (F0F0F0).
#pragma once

#include <string>
#include <string_view>

#include "platform/window.h"

namespace platform {

inline constexpr std::u16string_view kRichEditClass = u"RichEdit20W";
inline constexpr std::u16string_view kEditClass = u"EDIT";
inline constexpr std::u16string_view kComboBoxClass = u"COMBOBOX";
inline constexpr std::u16string_view kStaticClass = u"STATIC";

// Typed helpers over the messages above (the windowsx.h macros).
inline void SetWindowFont(HWND hwnd, HFONT font, bool redraw) {
    SendMessage(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw ? 1 : 0);
}
inline HFONT GetWindowFont(HWND hwnd) { return reinterpret_cast<HFONT>(SendMessage(hwnd, WM_GETFONT)); }

inline int ComboBox_AddString(HWND hwnd, std::u16string_view text) {
    std::u16string z(text);
    return static_cast<int>(SendMessage(hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(z.c_str())));
}
inline int ComboBox_InsertString(HWND hwnd, int index, std::u16string_view text) {
    std::u16string z(text);
    return static_cast<int>(
        SendMessage(hwnd, CB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(z.c_str())));
}
inline int ComboBox_SetCurSel(HWND hwnd, int index) {
    return static_cast<int>(SendMessage(hwnd, CB_SETCURSEL, static_cast<WPARAM>(index)));
}
inline int ComboBox_GetCurSel(HWND hwnd) { return static_cast<int>(SendMessage(hwnd, CB_GETCURSEL)); }
inline int ComboBox_GetCount(HWND hwnd) { return static_cast<int>(SendMessage(hwnd, CB_GETCOUNT)); }
inline void ComboBox_ResetContent(HWND hwnd) { SendMessage(hwnd, CB_RESETCONTENT); }
// The text of item `index`; empty for an index out of range.
std::u16string ComboBox_GetItemText(HWND hwnd, int index);

inline void Edit_SetSel(HWND hwnd, int start, int end) {
    SendMessage(hwnd, EM_SETSEL, static_cast<WPARAM>(start), static_cast<LPARAM>(end));
}
inline void Edit_LimitText(HWND hwnd, int limit) { SendMessage(hwnd, EM_LIMITTEXT, static_cast<WPARAM>(limit)); }
inline void Edit_SetReadOnly(HWND hwnd, bool readOnly) { SendMessage(hwnd, EM_SETREADONLY, readOnly ? 1 : 0); }
inline bool Edit_GetModify(HWND hwnd) { return SendMessage(hwnd, EM_GETMODIFY) != 0; }
inline void Edit_SetModify(HWND hwnd, bool modified) { SendMessage(hwnd, EM_SETMODIFY, modified ? 1 : 0); }

}  // namespace platform
