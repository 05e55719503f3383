#include "app/UIMsgBox.h"

#include <algorithm>
#include <cstring>
#include <tinyxml.h>
#include <variant>

#include "bkres/bkfontpool.h"
#include "bkres/bkstringpool.h"
#include "bkwin/bkpanel.h"
#include "bkwin/bkstylepool.h"
#include "platform/text.h"

namespace {

constexpr int kMinButtonWidth = 80;
constexpr int kButtonGap = 20;
constexpr int kLineHeight = 18;
constexpr int kSingleLineTop = 10;
constexpr int kMinWidth = 320;
constexpr int kMinHeight = 130;

// String-pool entries: the button and row templates and the captions.
constexpr unsigned kButtonTemplate = 17;
constexpr unsigned kRowTemplate = 26;
enum Caption : unsigned { kOk = 18, kCancel = 19, kAbort = 20, kRetry = 21, kIgnore = 22, kYes = 23, kNo = 24, kContinue = 25 };

struct ButtonDef {
    unsigned caption;
    int id;
};

// The button sets of style bits 0-3; sets 7 to 15 are empty.
const std::vector<ButtonDef> kButtonSets[] = {
    {{kOk, IDOK}},
    {{kOk, IDOK}, {kCancel, IDCANCEL}},
    {{kAbort, IDABORT}, {kRetry, IDRETRY}, {kIgnore, IDIGNORE}},
    {{kYes, IDYES}, {kNo, IDNO}, {kCancel, IDCANCEL}},
    {{kYes, IDYES}, {kNo, IDNO}},
    {{kRetry, IDRETRY}, {kCancel, IDCANCEL}},
    {{kCancel, IDCANCEL}, {kRetry, IDRETRY}, {kContinue, IDCONTINUE}},
};

std::u16string PoolString(unsigned id) {
    const std::u16string* s = BkString::Get(id);
    return s ? *s : std::u16string();
}

using TemplateArg = std::variant<int, std::u16string>;

// Fills the %d and %s placeholders of a string-pool template in order ("%%" is a percent sign).
std::u16string FormatTemplate(std::u16string_view pattern, const std::vector<TemplateArg>& args) {
    std::u16string out;
    std::size_t next = 0;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != u'%' || i + 1 >= pattern.size()) {
            out += pattern[i];
            continue;
        }
        const char16_t kind = pattern[i + 1];
        if (kind == u'%') {
            out += u'%';
        } else if ((kind == u'd' || kind == u's') && next < args.size()) {
            const TemplateArg& arg = args[next++];
            if (const int* n = std::get_if<int>(&arg)) {
                out += platform::utf8ToUtf16(std::to_string(*n));
            } else {
                out += std::get<std::u16string>(arg);
            }
        } else {
            out += pattern[i];
            continue;
        }
        ++i;
    }
    return out;
}

// The extent of `text` drawn with `font` and DrawText `format` inside `bounds`.
SIZE MeasureText(std::u16string_view text, HFONT font, UINT format, RECT bounds) {
    HDC dc = CreateCompatibleDC(nullptr);
    HFONT old = SelectObject(dc, font ? font : BkFontPool::GetFont(0));
    RECT rect = bounds;
    if (!text.empty()) DrawText(dc, text, &rect, format | DT_CALCRECT);
    SelectObject(dc, old);
    DeleteDC(dc);
    if (text.empty()) return SIZE{0, 0};
    return SIZE{RectWidth(rect), RectHeight(rect)};
}

}  // namespace

CBkSafeMsgBox::CBkSafeMsgBox() : CBkDialogImpl(kPlainLayout) {}

CBkSafeMsgBox::~CBkSafeMsgBox() = default;

CBkSafeMsgBox2::~CBkSafeMsgBox2() = default;

// ---------------------------------------------------------------------------------------------
// Markup.

std::u16string CBkSafeMsgBox::EscapeMarkup(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (char16_t c : text) {
        switch (c) {
        case u'&': out += u"&amp;"; break;
        case u'<': out += u"&lt;"; break;
        case u'>': out += u"&gt;"; break;
        case u'"': out += u"&quot;"; break;
        case u'\'': out += u"&apos;"; break;
        default: out += c; break;
        }
    }
    return out;
}

std::vector<CBkSafeMsgBox::Button> CBkSafeMsgBox::ButtonsForStyle(UINT style) {
    std::vector<Button> buttons;
    if (static_cast<int>(style) < 0) return buttons;
    const UINT set = style & MB_TYPEMASK;
    if (set >= std::size(kButtonSets)) return buttons;

    const BkStyle& look = BkStylePool::GetStyle("normalbtn");
    for (const ButtonDef& def : kButtonSets[set]) {
        Button b;
        b.caption = PoolString(def.caption);
        b.id = def.id;
        const SIZE text = MeasureText(b.caption, look.m_ftText, look.m_nTextAlign, RECT{0, 0, 0x7FFF, 0x7FFF});
        b.width = std::max(kMinButtonWidth, static_cast<int>(text.cx) + 2 * look.m_nMarginX);
        buttons.push_back(std::move(b));
    }
    return buttons;
}

std::u16string CBkSafeMsgBox::ButtonRowMarkup(const std::vector<Button>& buttons) {
    const std::u16string buttonTemplate = PoolString(kButtonTemplate);
    std::u16string row;
    int x = 0;
    int total = 0;
    for (const Button& b : buttons) {
        row += FormatTemplate(buttonTemplate, {b.id, x, x + b.width, EscapeMarkup(b.caption)});
        total = x + b.width;
        x = total + kButtonGap;
    }
    return FormatTemplate(PoolString(kRowTemplate), {total / 2, total / 2, row});
}

std::vector<std::u16string> CBkSafeMsgBox::SplitLines(const std::u16string& text) {
    std::vector<std::u16string> lines;
    const std::u16string all = text + u'\n';
    std::size_t start = 0;
    for (std::size_t end = all.find(u'\n'); end != std::u16string::npos; end = all.find(u'\n', start)) {
        std::u16string line = all.substr(start, end - start);
        if (!line.empty() && line.back() == u'\r') line.pop_back();
        if (!line.empty()) lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

std::u16string CBkSafeMsgBox::LinesMarkup(const std::vector<std::u16string>& lines) {
    std::u16string markup;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const int y = lines.size() == 1 ? kSingleLineTop : static_cast<int>(i) * kLineHeight;
        markup += FormatTemplate(u"<text pos=\"0,%d\">%s</text>", {y, EscapeMarkup(lines[i])});
    }
    return markup;
}

bool CBkSafeMsgBox::LoadMarkupInto(int containerId, const std::u16string& markup) {
    CBkWindow* element = GetItem(containerId);
    auto* panel = dynamic_cast<CBkPanel*>(element);
    if (!panel) return false;
    TiXmlDocument doc;
    const std::string utf8 = platform::utf16ToUtf8(markup);
    doc.Parse(utf8.c_str(), nullptr, TIXML_ENCODING_UTF8);
    if (doc.Error()) return false;
    panel->LoadChilds(doc.FirstChildElement());
    return true;
}

// ---------------------------------------------------------------------------------------------
// Showing.

void CBkSafeMsgBox::SetIcon() {
    CBkWindow* icon = GetItem(IDC_ICON);
    if (!icon) return;
    const UINT kind = m_uType & MB_ICONMASK;
    if (kind == 0) {
        icon->SetVisible(false);
        return;
    }
    int id = 100;  // the program's own icon for the values without a system icon
    bool oem = false;
    switch (kind) {
    case MB_ICONHAND: id = IDI_HAND; oem = true; break;
    case MB_ICONQUESTION: id = IDI_QUESTION; oem = true; break;
    case MB_ICONEXCLAMATION: id = IDI_EXCLAMATION; oem = true; break;
    case MB_ICONASTERISK: id = IDI_ASTERISK; oem = true; break;
    default: break;
    }
    icon->SetAttribute("oem", oem ? "1" : "0", false);
    icon->SetAttribute("src", std::to_string(id), false);
    icon->SetVisible(true);
}

int CBkSafeMsgBox::Run(HWND owner) {
    if (!m_strCaption.empty()) {
        m_richView.SetTitle(m_strCaption);
        SetItemText(IDC_TITLE, m_strCaption);
    }
    m_buttons = ButtonsForStyle(m_uType);
    LoadMarkupInto(IDC_BUTTONS, ButtonRowMarkup(m_buttons));
    SetIcon();
    if (CBkWindow* check = GetItem(IDC_CHECK)) {
        check->SetVisible(m_bShowCheck);
        const unsigned checked = BkWndState_Check;
        check->ModifyState(m_bChecked ? checked : 0u, m_bChecked ? 0u : checked);
    }
    m_nResult = DoModal(owner);
    return m_nResult;
}

void CBkSafeMsgBox::Remember(const std::u16string& text, const std::u16string& caption, UINT style,
                             const bool* checkState, bool lines) {
    m_strText = text;
    m_strCaption = caption;
    m_uType = style;
    m_bShowCheck = checkState != nullptr;
    m_bChecked = checkState && *checkState;
    m_bLines = lines;
}

int CBkSafeMsgBox::Show(const std::u16string& text, const std::u16string& caption, UINT style, bool* checkState,
                        HWND owner) {
    Remember(text, caption, style, checkState, false);
    if (!Load(m_uLayout)) return -1;
    if (CBkWindow* single = GetItem(IDC_TEXT)) {
        single->SetVisible(true);
        single->SetInnerText(text);
    }
    if (CBkWindow* lines = GetItem(IDC_LINES)) lines->SetVisible(false);
    const int result = Run(owner);
    if (checkState) *checkState = m_bChecked;
    return result;
}

int CBkSafeMsgBox::ShowLines(const std::u16string& text, const std::u16string& caption, UINT style, bool* checkState,
                             HWND owner) {
    Remember(text, caption, style, checkState, true);

    const std::vector<std::u16string> lines = SplitLines(text);
    const BkStyle& look = BkStylePool::GetStyle("msgtext");
    int widest = 0;
    for (const std::u16string& line : lines) {
        widest = std::max(widest, static_cast<int>(MeasureText(line, look.m_ftText, DT_SINGLELINE, RECT{0, 0, 0x7FFF, 0x7FFF}).cx));
    }
    m_sizeLines = SIZE{widest + 5, kLineHeight * static_cast<int>(lines.size())};

    if (!Load(kLinesLayout)) return -1;
    LoadMarkupInto(IDC_LINES, LinesMarkup(lines));
    if (CBkWindow* block = GetItem(IDC_LINES)) block->SetVisible(true);
    if (CBkWindow* single = GetItem(IDC_TEXT)) single->SetVisible(false);
    const int result = Run(owner);
    if (checkState) *checkState = m_bChecked;
    return result;
}

void CBkSafeMsgBox::OnInitDialog(HWND hwnd) {
    std::u16string caption = m_strCaption.empty() ? GetWindowText(hwnd) : m_strCaption;

    RECT work{};
    MONITORINFO monitor;
    if (GetMonitorInfo(MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), &monitor)) {
        work = monitor.rcWork;
    } else {
        GetClientRect(hwnd, &work);
    }

    const BkStyle& title = BkStylePool::GetStyle("dlgtitle");
    const int titleWidth = MeasureText(caption, title.m_ftText, DT_SINGLELINE, work).cx + 100;

    SIZE message = m_sizeLines;
    if (!m_bLines) {
        const BkStyle& text = BkStylePool::GetStyle("msgtext");
        message = MeasureText(m_strText, text.m_ftText, text.m_nTextAlign, work);
    }
    const int messageWidth = message.cx + 100;
    const int messageHeight = message.cy + (m_bShowCheck ? 140 : 120);

    const int width = std::max({titleWidth, messageWidth, kMinWidth});
    const int height = std::max(messageHeight, kMinHeight);
    SetWindowPos(hwnd, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

    for (const auto& [id, text] : m_queuedTexts) SetItemText(id, text);

    // The keyboard starts on the first button; Tab moves along the row.
    std::vector<int> order;
    for (const Button& b : m_buttons) order.push_back(b.id);
    m_richView.SetTabOrder(order);
    if (!order.empty()) m_richView.SetFocusItem(order.front());
}

int CBkSafeMsgBox::KeyResult(bool defaultButton) const {
    // The default button is the first; Escape does what the cancel button, or the only button,
    // or (with none in the row, as in the About box) the title bar's close button does.
    if (defaultButton) return m_buttons.empty() ? 0 : m_buttons.front().id;
    for (const Button& b : m_buttons) {
        if (b.id == IDCANCEL) return b.id;
    }
    if (m_buttons.size() == 1) return m_buttons.front().id;
    return m_buttons.empty() ? IDC_CLOSE : 0;
}

bool CBkSafeMsgBox::ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    ProcessRoundRectMessage(hwnd, msg, wParam, lParam);
    if (msg == WM_KEYDOWN && wParam == VK_SPACE) {
        if (const int id = KeyResult(true)) EndDialog(id);
        result = 0;
        return true;
    }
    if (msg == WM_INITDIALOG) {
        OnInitDialog(hwnd);
        result = 1;
        return true;
    }
    if (msg == WM_NOTIFY && lParam) {
        const auto* hdr = reinterpret_cast<const NMHDR*>(lParam);
        if (hdr->idFrom == static_cast<UINT_PTR>(IDC_RICHVIEW_WIN) && hdr->code == BKNM_COMMAND) {
            const auto* nm = reinterpret_cast<const BKNMCOMMAND*>(lParam);
            if (nm->uItemID == IDC_CHECK) {
                if (CBkWindow* check = GetItem(IDC_CHECK)) m_bChecked = (check->GetState() & BkWndState_Check) != 0;
            } else if (nm->szItemClass &&
                       (std::strcmp(nm->szItemClass, "button") == 0 || std::strcmp(nm->szItemClass, "imgbtn") == 0)) {
                EndDialog(nm->uItemID);
            } else if (nm->szItemClass && *nm->szItemClass == '\0' && (nm->uItemID == IDOK || nm->uItemID == IDCANCEL)) {
                // Return and Enter (OK), Escape and the window manager's close (Cancel).
                if (const int id = KeyResult(nm->uItemID == IDOK)) EndDialog(id);
            }
            result = 0;
            return true;
        }
    }
    return CBkDialogImpl::ProcessWindowMessage(hwnd, msg, wParam, lParam, result);
}
