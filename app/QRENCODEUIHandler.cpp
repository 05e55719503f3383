#include "app/QRENCODEUIHandler.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>

#include "app/AppMenus.h"
#include "app/PageTexts.h"
#include "app/ContentTemplates.h"
#include "app/MainWnd.h"
#include "app/QRDECODEUIHandler.h"
#include "app/UIMsgBox.h"
#include "bkres/bkfontpool.h"
#include "bkwin/bknotify.h"
#include "bkwin/bktabctrl.h"
#include "encoder/QR_Encode.h"
#include "platform/controls.h"
#include "platform/imaging.h"
#include "platform/shell.h"
#include "platform/text.h"
#include "platform/translation.h"

namespace {

constexpr uint16_t kFieldFont = 0x0404;
constexpr int kQuietZone = 4;

// Content field ids of tabs 0 to 7 (tab 8, the text tab, uses 2111).
constexpr std::array<int, 8> kTabContentIds = {2210, 2310, 2410, 2510, 2610, 2710, 2810, 2910};

std::u16string Decimal(int value) {
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

std::vector<std::u16string> NumberItems(int first, int last) {
    std::vector<std::u16string> items;
    for (int i = first; i <= last; ++i) items.push_back(Decimal(i));
    return items;
}

// The save dialog's filters, in the order of their formats. The dialog gives a name without one
// of these extensions the chosen filter's, so the name always says the format.
const platform::ImageFormat kSaveFormats[] = {platform::ImageFormat::Png, platform::ImageFormat::Jpeg,
                                              platform::ImageFormat::Gif, platform::ImageFormat::Bmp};
// The dialog shows each filter's patterns after its name ("PNG (*.png)"); SVG is the fifth.
std::vector<platform::FileFilter> SaveFilters() {
    return {{u"PNG", u"*.png"}, {u"JPEG", u"*.jpg;*.jpeg"}, {u"GIF", u"*.gif"}, {platform::Tr(u"位图格式"), u"*.bmp"},
            {u"SVG", u"*.svg"}};
}

// Whether the name ends in .svg (any case); the dialog has given every name an extension.
bool IsSvgName(const std::u16string& path) {
    if (path.size() < 4) return false;
    std::u16string ext = path.substr(path.size() - 4);
    for (char16_t& c : ext) {
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
    }
    return ext == u".svg";
}

// The format the file name's extension names (any case, jpeg as jpg), else the chosen filter's.
platform::ImageFormat SaveFormat(const std::u16string& path, DWORD filterIndex) {
    const size_t slash = path.find_last_of(u'/');
    const size_t dot = path.find_last_of(u'.');
    platform::ImageFormat format;
    if (dot != std::u16string::npos && (slash == std::u16string::npos || dot > slash) &&
        platform::imageFormatFromExtension(platform::utf16ToUtf8(path.substr(dot + 1)), format)) {
        return format;
    }
    return kSaveFormats[filterIndex >= 1 && filterIndex <= std::size(kSaveFormats) ? filterIndex - 1 : 0];
}

// Reasons a save fails, by errno.
struct SaveFailureReason {
    int errorNumber;
    std::u16string_view text;
};
constexpr SaveFailureReason kSaveFailureReasons[] = {
    {EACCES, u"没有写入权限"},   {EPERM, u"没有写入权限"},       {EROFS, u"磁盘是只读的"},
    {ENOSPC, u"磁盘空间不足"},   {EDQUOT, u"磁盘空间不足"},      {ENOENT, u"文件夹不存在"},
    {ENOTDIR, u"文件夹不存在"},  {EISDIR, u"已有同名的文件夹"},  {ENAMETOOLONG, u"文件名太长"},
    {EFBIG, u"文件太大"},        {EIO, u"磁盘读写出错"},
};

}  // namespace

CQRENCODEUIHandler::~CQRENCODEUIHandler() {
    ReleaseSymbolImage();
    // The main window usually destroyed its children already; handles are never reused.
    for (HWND w : {m_hTextContent, m_hPreview, m_hVersionList, m_hLevelList, m_hScaleList, m_hEncodingList}) {
        if (IsWindow(w)) DestroyWindow(w);
    }
    for (HWND w : m_hTabContent) {
        if (IsWindow(w)) DestroyWindow(w);
    }
}

// ---------------------------------------------------------------------------------------------
// Initialisation.

void CQRENCODEUIHandler::Init() {
    CreateContentFields();

    // The preview is made at its final size, so that nothing drawn on it before it is placed is
    // lost; its realwnd element shows it.
    m_hPreview = CreateWindowEx(0, platform::kStaticClass, u"", WS_CHILD, 0, 0, kPreviewSide, kPreviewSide,
                                m_pMainWnd->GetViewHWnd(), IDC_PREVIEW, nullptr);

    const auto& kLevelTexts = CQRDECODEUIHandler::kLevelTexts;
    std::vector<std::u16string> versions{platform::Tr(u"自动")};
    for (std::u16string& v : NumberItems(1, 40)) versions.push_back(std::move(v));
    m_hVersionList = CreateOptionList(IDC_VERSION_LIST, versions, 0);
    std::vector<std::u16string> levels;
    for (std::u16string_view level : kLevelTexts) levels.push_back(platform::Tr(level));
    m_hLevelList = CreateOptionList(IDC_LEVEL_LIST, levels, 0);
    m_hScaleList = CreateOptionList(IDC_SCALE_LIST, NumberItems(1, 20), 3);
    // UTF-8 unless the locale's character set is of the GBK family: symbols every reader reads.
    const int encoding = platform::GetSystemTextCodePage() == platform::kCodePageAnsi ? 0 : 1;
    m_hEncodingList = CreateOptionList(IDC_ENCODING_LIST, {u"GB2312", u"UTF-8"}, encoding);

    for (HWND w : {m_hTextContent, m_hPreview, m_hVersionList, m_hLevelList, m_hScaleList, m_hEncodingList}) {
        m_pMainWnd->PlaceRealWindow(w);
    }
    for (HWND w : m_hTabContent) m_pMainWnd->PlaceRealWindow(w);

    m_preview.Create(m_pMainWnd->GetHWnd(), kPreviewSide, kPreviewSide);
    m_preview.Attach(m_hPreview);

    m_bAppendCredit = true;
    Generate();
}

void CQRENCODEUIHandler::CreateContentFields() {
    // Fields start hidden: the realwnd element of their tab shows them while the tab is shown
    // (a field made visible would stay on top of the other pages, which are laid out as well).
    const DWORD style = WS_CHILD | WS_VSCROLL | WS_BORDER | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN;
    HWND host = m_pMainWnd->GetViewHWnd();
    HFONT font = BkFontPool::GetFont(kFieldFont);
    auto make = [&](int id) {
        HWND field = CreateWindowEx(0, platform::kRichEditClass, u"", style, 0, 0, 0, 0, host, id, nullptr);
        platform::SetWindowFont(field, font, false);
        // A paste that would make the text longer than any symbol holds is refused.
        platform::Edit_LimitText(field, kMaxContentLength);
        return field;
    };
    m_hTextContent = make(IDC_TEXT_CONTENT);
    for (size_t i = 0; i < kTabContentIds.size(); ++i) m_hTabContent[i] = make(kTabContentIds[i]);
}

HWND CQRENCODEUIHandler::CreateOptionList(int id, const std::vector<std::u16string>& items, int initialSelection) {
    const DWORD style = WS_CHILD | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL;
    HWND list = CreateWindowEx(0, platform::kComboBoxClass, u"", style, 0, 0, 0, 0, m_pMainWnd->GetViewHWnd(), 0,
                               nullptr);
    if (!list) return nullptr;
    SetDlgCtrlID(list, id);
    MoveWindow(list, 1, 1, 30, 20, false);
    for (const std::u16string& item : items) platform::ComboBox_AddString(list, item);
    platform::SetWindowFont(list, BkFontPool::GetFont(kFieldFont), false);
    platform::ComboBox_SetCurSel(list, initialSelection);
    SetFocus(list);
    return list;
}

// ---------------------------------------------------------------------------------------------
// Messages.

bool CQRENCODEUIHandler::ProcessWindowMessage(HWND, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (msg == WM_COMMAND && lParam != 0 && IsContentField(reinterpret_cast<HWND>(lParam))) {
        // A field that refused typing or a paste says so; its next change takes the note away.
        if (HIWORD(wParam) == EN_MAXTEXT) {
            ShowNote(platform::Tr(kTooLongText));
        } else if (HIWORD(wParam) == EN_CHANGE && NoteText() == platform::Tr(kTooLongText)) {
            ShowNote(u"");
        }
        return false;
    }
    if (msg == kSaveDoneMessage) {
        OnSaveDone();
        result = 0;
        return true;
    }
    if (msg == WM_TIMER && wParam == kTimerNote) {
        KillTimer(m_pMainWnd->GetHWnd(), kTimerNote);
        // The confirmation gives way, unless something else has taken the line since.
        if (NoteText() == m_status) ShowNote(u"");
        m_status.clear();
        result = 0;
        return true;
    }
    const int list = LOWORD(wParam);
    if (msg == WM_COMMAND && HIWORD(wParam) == CBN_SELCHANGE && lParam != 0 &&
        (list == IDC_VERSION_LIST || list == IDC_LEVEL_LIST || list == IDC_ENCODING_LIST)) {
        // Once the user has made a symbol, the preview follows the page's settings.
        if (m_bFollowPage) GenerateFor(CurrentTab());
        result = 0;
        return true;
    }
    if (msg == WM_COMMAND) return OnCommand(LOWORD(wParam), result);
    if (msg == WM_CONTEXTMENU) {
        if (reinterpret_cast<HWND>(wParam) != m_hPreview) return false;
        if (AppMenus::TrackContextMenu(AppMenus::kMakePreviewMenu, lParam, m_pMainWnd->GetHWnd()) ==
            CTALVORINEXMainWnd::ID_COPY_IMAGE) {
            CopyImage();
        }
        result = 0;
        return true;
    }
    if (msg != WM_NOTIFY || lParam == 0) return false;
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header->idFrom != static_cast<UINT_PTR>(IDC_RICHVIEW_WIN)) return false;

    if (header->code == BKNM_COMMAND) {
        const int item = reinterpret_cast<const BKNMCOMMAND*>(lParam)->uItemID;
        if (item == IDC_GENERATE) {
            Generate();
        } else if (item == IDC_SAVE) {
            Save();
        } else if (item == IDC_USE_UTF8) {
            UseUtf8();
        } else {
            return false;
        }
        result = 0;
        return true;
    }
    if (header->code == BKNM_TAB_SELCHANGE) {
        const auto* change = reinterpret_cast<const BKNMTABSELCHANGE*>(lParam);
        if (change->uTabID != CTALVORINEXMainWnd::IDC_TEMPLATE_TAB) return false;
        // The change is always allowed: bCancel stays false.
        PrefillTemplate(change->nTabItemIDNew);
        if (m_bFollowPage) GenerateFor(change->nTabItemIDNew);
        result = 0;
        return true;
    }
    return false;
}

bool CQRENCODEUIHandler::OnCommand(UINT command, LRESULT& result) {
    // The keys act on the page on show only.
    if (m_pMainWnd->CurrentPage() != CTALVORINEXMainWnd::kMakePage) return false;
    switch (command) {
    case CTALVORINEXMainWnd::ID_GENERATE: Generate(); break;
    case CTALVORINEXMainWnd::ID_SAVE: Save(); break;
    case CTALVORINEXMainWnd::ID_COPY_IMAGE: CopyImage(); break;
    default: return false;
    }
    result = 0;
    return true;
}

// ---------------------------------------------------------------------------------------------
// Content.

HWND CQRENCODEUIHandler::ContentWindow(int tabIndex) const {
    if (tabIndex == kTextTab) return m_hTextContent;
    if (tabIndex < 0 || tabIndex >= static_cast<int>(m_hTabContent.size())) return nullptr;
    return m_hTabContent[static_cast<size_t>(tabIndex)];
}

void CQRENCODEUIHandler::PrefillTemplate(int tabIndex) {
    HWND field = ContentWindow(tabIndex);
    if (!field) return;
    const std::u16string text = GetWindowText(field);
    const std::u16string prefilled = ContentTemplates::Prefill(tabIndex, text);
    if (prefilled != text) SetWindowText(field, prefilled);
}

int CQRENCODEUIHandler::CurrentTab() const {
    CBkWindow* element = m_pMainWnd->GetItem(CTALVORINEXMainWnd::IDC_TEMPLATE_TAB);
    if (!element || !element->IsClass("tabctrl")) return -1;
    return static_cast<const CBkTabCtrl*>(element)->GetCurSel();
}

std::u16string CQRENCODEUIHandler::GatherContent() const { return GatherContent(CurrentTab()); }

std::u16string CQRENCODEUIHandler::GatherContent(int tab) const {
    HWND field = ContentWindow(tab);
    return field ? ContentTemplates::Content(tab, GetWindowText(field)) : std::u16string();
}

// ---------------------------------------------------------------------------------------------
// Generate and draw.

void CQRENCODEUIHandler::Generate() {
    // The start-up symbol (the credit) is the program's; any later one is the user's.
    if (!m_bAppendCredit) m_bFollowPage = true;
    GenerateFor(CurrentTab());
}

void CQRENCODEUIHandler::GenerateFor(int tab) {
    // Text typed into a list leaves it without a selection (-1): the version is then automatic,
    // the level L and the code page the ANSI one.
    const int version = std::max(0, platform::ComboBox_GetCurSel(m_hVersionList));
    const int level = std::max(0, platform::ComboBox_GetCurSel(m_hLevelList));
    const int encoding = platform::ComboBox_GetCurSel(m_hEncodingList);

    std::u16string text = GatherContent(tab);
    if (m_bAppendCredit) {
        text += kCreditText;
        m_bAppendCredit = false;
    }
    const bool utf8 = encoding == 1;
    auto encoder = std::make_unique<CQREncoder>();
    bool ok = false;
    ShowNote(u"");
    ShowUtf8Offer(u"");
    // Text that no symbol holds is refused before it is converted (it may be megabytes).
    const size_t missing = text.size() <= static_cast<size_t>(kMaxContentLength) && !utf8
                               ? platform::firstUnmappable(platform::kCodePageAnsi, text)
                               : std::u16string::npos;
    if (missing != std::u16string::npos) {
        // A character GBK lacks would become '?' in the symbol: no symbol, and UTF-8 offered.
        const bool pair = missing + 1 < text.size() && (text[missing] & 0xFC00) == 0xD800 &&
                          (text[missing + 1] & 0xFC00) == 0xDC00;
        const size_t length = pair ? 2 : 1;
        ShowUtf8Offer(MissingCharacterText(std::u16string_view(text).substr(missing, length)));
    } else if (text.size() <= static_cast<size_t>(kMaxContentLength)) {
        // Exactly the text: no zero byte after it (readers would hand it on to the apps they open).
        const std::string bytes =
            platform::wideToMultiByte(utf8 ? platform::kCodePageUtf8 : platform::kCodePageAnsi, text, false);
        ok = encoder->encode(level, version, 1, -1, reinterpret_cast<const unsigned char*>(bytes.data()),
                             static_cast<int>(bytes.size()),
                             utf8 ? CQREncoder::TextEncoding::Utf8 : CQREncoder::TextEncoding::Gbk) == 1;
    }
    m_bHasSymbol = ok;
    if (ok) {
        DrawSymbol(*encoder);
    } else {
        ClearPreview();
    }
}

void CQRENCODEUIHandler::DrawSymbol(const CQREncoder& encoder) {
    ReleaseSymbolImage();
    const int side = encoder.side;
    m_nSymbolPixels = side + 2 * kQuietZone;
    m_symbolModules.resize(static_cast<size_t>(side) * side);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) m_symbolModules[static_cast<size_t>(y) * side + x] = encoder.modules[x][y];

    // The monochrome symbol image, one pixel per module, made from its bits in one call (rows
    // padded to 16 bits, a set bit is white) rather than pixel by pixel: a version-40 symbol
    // has 31329 modules.
    const int stride = (m_nSymbolPixels + 15) / 16 * 2;
    std::vector<uint8_t> bits(static_cast<size_t>(stride) * m_nSymbolPixels, 0xFF);
    for (int y = 0; y < side; ++y) {
        uint8_t* row = bits.data() + static_cast<size_t>(y + kQuietZone) * stride;
        for (int x = 0; x < side; ++x) {
            const int px = x + kQuietZone;
            if (encoder.modules[x][y] == 1) row[px / 8] &= static_cast<uint8_t>(~(0x80 >> (px % 8)));
        }
    }
    m_bmpSymbol = CreateBitmap(m_nSymbolPixels, m_nSymbolPixels, 1, 1, bits.data());
    m_dcSymbol = CreateCompatibleDC(m_preview.GetDC());
    m_bmpSymbolOld = SelectObject(m_dcSymbol, m_bmpSymbol);
    StretchBlt(m_preview.GetDC(), 0, 0, kPreviewSide, kPreviewSide, m_dcSymbol, 0, 0, m_nSymbolPixels, m_nSymbolPixels,
               SRCCOPY);
    m_preview.Invalidate();
    ReleaseSymbolImage();
}

void CQRENCODEUIHandler::ReleaseSymbolImage() {
    if (m_dcSymbol) {
        SelectObject(m_dcSymbol, m_bmpSymbolOld);
        DeleteDC(m_dcSymbol);
        m_dcSymbol = nullptr;
        m_bmpSymbolOld = nullptr;
    }
    if (m_bmpSymbol) {
        DeleteObject(m_bmpSymbol);
        m_bmpSymbol = nullptr;
    }
}

// ---------------------------------------------------------------------------------------------
// The note under the preview.

std::u16string CQRENCODEUIHandler::MissingCharacterText(std::u16string_view character) {
    char32_t cp = character.empty() ? 0 : character[0];
    if (character.size() == 2) cp = 0x10000 + ((cp - 0xD800) << 10) + (character[1] - 0xDC00);
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(cp));
    const std::string codeText = code;
    return platform::Tr(u"GB2312 没有“%1”（%2），点此改用 UTF-8",
                        {character, std::u16string(codeText.begin(), codeText.end())});
}

std::u16string CQRENCODEUIHandler::NoteText() const {
    CBkWindow* note = m_pMainWnd->GetItem(IDC_NOTE);
    return note ? note->GetInnerText() : std::u16string();
}

bool CQRENCODEUIHandler::OffersUtf8() const {
    CBkWindow* offer = m_pMainWnd->GetItem(IDC_USE_UTF8);
    return offer && offer->IsVisible();
}

void CQRENCODEUIHandler::ShowNote(std::u16string_view text) {
    if (NoteText() != text) m_pMainWnd->SetItemText(IDC_NOTE, std::u16string(text));
}

void CQRENCODEUIHandler::ShowUtf8Offer(std::u16string_view text) {
    CBkWindow* offer = m_pMainWnd->GetItem(IDC_USE_UTF8);
    if (!offer) return;
    const bool show = !text.empty();
    if (show) {
        ShowNote(u"");
        m_pMainWnd->SetItemText(IDC_USE_UTF8, std::u16string(text));
    }
    if (offer->IsVisible() == show) return;
    const unsigned invisible = BkWndState_Invisible;
    m_pMainWnd->GetView().ModifyItemState(offer, show ? 0u : invisible, show ? invisible : 0u);
    m_pMainWnd->GetView().InvalidateRect(offer->GetRect());
}

void CQRENCODEUIHandler::UseUtf8() {
    platform::ComboBox_SetCurSel(m_hEncodingList, 1);
    Generate();
}

bool CQRENCODEUIHandler::IsContentField(HWND window) const {
    return window == m_hTextContent || std::find(m_hTabContent.begin(), m_hTabContent.end(), window) != m_hTabContent.end();
}

// ---------------------------------------------------------------------------------------------

void CQRENCODEUIHandler::ClearPreview() {
    m_preview.Clear();
    m_preview.Invalidate();
}

// ---------------------------------------------------------------------------------------------
// Save.

std::u16string CQRENCODEUIHandler::DefaultFileName(const std::tm& t) {
    return Decimal(t.tm_year + 1900) + Decimal(t.tm_mon + 1) + Decimal(t.tm_mday) + Decimal(t.tm_hour) +
           Decimal(t.tm_min) + Decimal(t.tm_sec);
}

std::u16string CQRENCODEUIHandler::SaveFailureText(int errorNumber) {
    std::u16string reason;
    for (const SaveFailureReason& r : kSaveFailureReasons) {
        if (r.errorNumber == errorNumber) reason = platform::Tr(r.text);
    }
    if (reason.empty()) reason = platform::utf8ToUtf16(std::strerror(errorNumber));
    return platform::Tr(u"保存失败：%1", {reason});
}

void CQRENCODEUIHandler::Save() {
    if (!m_bHasSymbol) return;

    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);

    platform::OPENFILENAME ofn;
    ofn.hwndOwner = GetActiveWindow();
    ofn.filters = SaveFilters();
    ofn.file = DefaultFileName(local);
    ofn.defExt = u"png";
    ofn.flags = platform::OFN_HIDEREADONLY | platform::OFN_OVERWRITEPROMPT;
    if (!platform::GetSaveFileName(&ofn)) return;

    // Drawn, encoded and written on the save job, so that a large symbol or a slow disk never
    // holds up the window; the page hears of the outcome by message.
    const bool svg = IsSvgName(ofn.file);
    const platform::ImageFormat format = SaveFormat(ofn.file, ofn.nFilterIndex);
    const int scale = SaveScale();
    const int side = m_nSymbolPixels - 2 * kQuietZone;
    std::vector<uint8_t> modules = m_symbolModules;
    const std::u16string path = ofn.file;
    m_saveJob.Start(
        [this, svg, format, scale, side, modules = std::move(modules), path] {
            SaveOutcome outcome{path, false, 0};
            std::vector<uint8_t> encoded;
            if (svg) {
                const std::string text = platform::svgFromCells(modules.data(), side, scale, kQuietZone);
                encoded.assign(text.begin(), text.end());
            } else if (!platform::encodeImage(platform::BilevelImage::fromCells(modules.data(), side, scale, kQuietZone),
                                              format, encoded)
                            .empty()) {
                outcome.encodeFailed = true;
            }
            if (!outcome.encodeFailed &&
                !platform::writeFileAtomically(platform::utf16ToUtf8(path), encoded, &outcome.error).empty() &&
                outcome.error == 0) {
                outcome.error = EIO;
            }
            std::lock_guard lock(m_saveMutex);
            m_saveOutcomes.push_back(std::move(outcome));
        },
        m_pMainWnd->GetHWnd(), kSaveDoneMessage);
}

void CQRENCODEUIHandler::WaitForSave() { m_saveJob.Wait(); }

void CQRENCODEUIHandler::OnSaveDone() {
    std::vector<SaveOutcome> outcomes;
    {
        std::lock_guard lock(m_saveMutex);
        outcomes.swap(m_saveOutcomes);
    }
    for (const SaveOutcome& outcome : outcomes) {
        if (outcome.encodeFailed) {
            ShowSaveFailure(platform::Tr(u"保存失败：图片编码出错"));
        } else if (outcome.error == 0) {
            const size_t slash = outcome.path.find_last_of(u'/');
            SetStatus(platform::Tr(PageTexts::kSaved,
                                   {slash == std::u16string::npos ? outcome.path : outcome.path.substr(slash + 1)}));
        } else {
            ShowSaveFailure(SaveFailureText(outcome.error));
        }
    }
}

void CQRENCODEUIHandler::SetStatus(std::u16string_view text) {
    m_status = text;
    ShowUtf8Offer(u"");
    ShowNote(m_status);
    SetTimer(m_pMainWnd->GetHWnd(), kTimerNote, kNoteMs);
}

void CQRENCODEUIHandler::ShowSaveFailure(const std::u16string& text) {
    CBkSafeMsgBox2 box;
    m_pSaveFailureBox = &box;
    box.Show(text, u"", MB_OK | MB_ICONEXCLAMATION, nullptr, m_pMainWnd->GetHWnd());
    m_pSaveFailureBox = nullptr;
}

int CQRENCODEUIHandler::SaveScale() const {
    // A list without a selection (text typed into it) saves at scale 1.
    return std::max(1, platform::ComboBox_GetCurSel(m_hScaleList) + 1);
}

platform::BilevelImage CQRENCODEUIHandler::SymbolImage() const {
    const int side = m_nSymbolPixels - 2 * kQuietZone;
    return platform::BilevelImage::fromCells(m_symbolModules.data(), side, SaveScale(), kQuietZone);
}

// ---------------------------------------------------------------------------------------------
// Copy.

void CQRENCODEUIHandler::CopyImage() {
    if (!m_bHasSymbol) return;
    const platform::BilevelImage symbol = SymbolImage();
    platform::RgbImage picture(symbol.width, symbol.height);
    for (int y = 0; y < symbol.height; ++y) {
        for (int x = 0; x < symbol.width; ++x) {
            if (symbol.black(x, y)) std::fill_n(picture.pixel(x, y), 3, uint8_t{0});
        }
    }
    if (platform::SetClipboardPicture(m_pMainWnd->GetHWnd(), picture)) SetStatus(platform::Tr(PageTexts::kCopied));
}
