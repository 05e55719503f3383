#include "app/QRDECODEUIHandler.h"

#include <string>

#include "app/AppMenus.h"
#include "app/MainWnd.h"
#include "bkwin/bknotify.h"
#include "decoder/SymbolReader.h"
#include "platform/controls.h"
#include "platform/shell.h"
#include "platform/text.h"
#include "platform/translation.h"

CQRDECODEUIHandler::~CQRDECODEUIHandler() {
    for (HWND w : {m_hText, m_hVersion, m_hLevel, m_hPreview}) {
        if (IsWindow(w)) DestroyWindow(w);
    }
}

void CQRDECODEUIHandler::Init() {
    m_hText = CreateField(IDC_TEXT);
    m_hVersion = CreateField(IDC_VERSION);
    m_hLevel = CreateField(IDC_LEVEL);
    // Made at its final size so that nothing drawn on it before it is placed is lost; like the
    // fields, it is shown by its realwnd element while the page is shown.
    m_hPreview = CreateWindowEx(0, platform::kStaticClass, u"", WS_CHILD, 0, 0, kPreviewSide, kPreviewSide,
                                m_pMainWnd->GetViewHWnd(), IDC_PREVIEW, nullptr);

    for (HWND w : {m_hText, m_hVersion, m_hLevel, m_hPreview}) m_pMainWnd->PlaceRealWindow(w);

    m_preview.Create(m_pMainWnd->GetHWnd(), kPreviewSide, kPreviewSide);
    m_preview.Attach(m_hPreview);
}

HWND CQRDECODEUIHandler::CreateField(int id) {
    // Hidden until the realwnd element shows it: the read page is not the first page shown.
    const DWORD style = WS_CHILD | WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN;
    return CreateWindowEx(0, platform::kRichEditClass, u"", style, 0, 0, 0, 0, m_pMainWnd->GetViewHWnd(), id, nullptr);
}

bool CQRDECODEUIHandler::ProcessWindowMessage(HWND, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
    case WM_COMMAND:
        if (!OnCommand(LOWORD(wParam))) return false;
        break;
    case WM_DROPFILES:
        if (wParam) ReadDrop(*reinterpret_cast<const platform::MimeData*>(wParam));
        break;
    case WM_CONTEXTMENU:
        if (reinterpret_cast<HWND>(wParam) != m_hPreview) return false;
        if (AppMenus::TrackContextMenu(AppMenus::kReadPreviewMenu, lParam, m_pMainWnd->GetHWnd()) ==
            CTALVORINEXMainWnd::ID_PASTE) {
            PastePicture();
        }
        break;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (!header || header->idFrom != static_cast<UINT_PTR>(IDC_RICHVIEW_WIN) || header->code != BKNM_COMMAND) {
            return false;
        }
        switch (reinterpret_cast<const BKNMCOMMAND*>(lParam)->uItemID) {
            case IDC_READ: ReadImage(); break;
            case IDC_CLEAR: ClearText(); break;
            case IDC_COPY: CopyText(); break;
            default: return false;
        }
        break;
    }
    default:
        return false;
    }
    result = 0;
    return true;
}

bool CQRDECODEUIHandler::OnCommand(UINT command) {
    switch (command) {
    case CTALVORINEXMainWnd::ID_OPEN:
        m_pMainWnd->ShowPage(CTALVORINEXMainWnd::kReadPage);
        ReadImage();
        return true;
    case CTALVORINEXMainWnd::ID_PASTE:
        // Without a picture on the clipboard the key pastes text into the focused field.
        return m_pMainWnd->CurrentPage() == CTALVORINEXMainWnd::kReadPage && PastePicture();
    default:
        return false;
    }
}

void CQRDECODEUIHandler::ReadImage() {
    platform::OPENFILENAME ofn;
    ofn.hwndOwner = GetActiveWindow();
    ofn.filters = {{platform::Tr(u"图片文件"), u"*.png;*.jpg;*.jpeg;*.gif;*.bmp"}, {platform::Tr(u"所有文件"), u"*"}};
    ofn.initialDir = m_strFolder;
    ofn.flags = platform::OFN_EXPLORER | platform::OFN_ENABLESIZING | platform::OFN_HIDEREADONLY;
    if (!platform::GetOpenFileName(&ofn)) return;
    const size_t slash = ofn.file.find_last_of(u'/');
    if (slash != std::u16string::npos) m_strFolder = ofn.file.substr(0, slash == 0 ? 1 : slash);
    ReadFile(ofn.file);
}

bool CQRDECODEUIHandler::ReadFile(const std::u16string& path) {
    platform::RgbImage picture;
    if (!platform::decodeImageFile(platform::utf16ToUtf8(path), picture).empty()) return false;
    return ReadPicture(picture);
}

bool CQRDECODEUIHandler::ReadPicture(const platform::RgbImage& picture) {
    const PictureReading reading = readPicture(picture);
    const DecodedSymbol* symbol = largestSymbol(reading);
    // A picture without a verified symbol changes nothing: fields and preview keep the last result.
    if (!symbol) return false;
    DrawPicture(picture);
    ShowResult(*symbol);
    return true;
}

bool CQRDECODEUIHandler::PastePicture() {
    platform::RgbImage picture;
    if (!platform::GetClipboardPicture(picture)) return false;
    ReadPicture(picture);
    return true;
}

bool CQRDECODEUIHandler::ReadDrop(const platform::MimeData& data) {
    platform::RgbImage picture;
    if (!platform::PictureFromMimeData(data, picture)) return false;
    m_pMainWnd->ShowPage(CTALVORINEXMainWnd::kReadPage);
    ReadPicture(picture);
    return true;
}

void CQRDECODEUIHandler::DrawPicture(const platform::RgbImage& picture) {
    const RECT& rc = m_preview.GetRect();
    StretchRgbImage(m_preview.GetDC(), 0, 0, RectWidth(rc), RectHeight(rc), picture);
    m_preview.Invalidate();
}

void CQRDECODEUIHandler::ShowResult(const DecodedSymbol& symbol) {
    SetWindowText(m_hText, shownText(symbol));

    const std::string digits = std::to_string(symbol.version);
    SetWindowText(m_hVersion, std::u16string(digits.begin(), digits.end()));

    const int level = symbol.ecLevel;
    SetWindowText(m_hLevel, level >= 0 && level < 4 ? platform::Tr(kLevelTexts[static_cast<size_t>(level)]) : u"");
}

void CQRDECODEUIHandler::CopyText() {
    // The field's current text (the user may have edited it); fields give their lines CR LF.
    const std::u16string field = GetWindowText(m_hText);
    std::u16string text;
    text.reserve(field.size());
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == u'\r' && i + 1 < field.size() && field[i + 1] == u'\n') continue;
        text += field[i];
    }
    platform::SetClipboardUnicodeText(m_pMainWnd->GetHWnd(), text);
}

void CQRDECODEUIHandler::ClearText() { SetWindowText(m_hText, u""); }
