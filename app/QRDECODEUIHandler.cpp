#include "app/QRDECODEUIHandler.h"

#include <cstring>
#include <string>

#include "app/MainWnd.h"
#include "bkwin/bknotify.h"
#include "decoder/SymbolReader.h"
#include "platform/imaging.h"
#include "platform/text.h"
#include "platform/controls.h"
#include "platform/shell.h"

CQRDECODEUIHandler::CQRDECODEUIHandler(CTALVORINEXMainWnd* mainWnd) : m_pMainWnd(mainWnd) {}

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
    SetTimer(m_pMainWnd->GetHWnd(), CTALVORINEXMainWnd::kTimerReadPreview, CTALVORINEXMainWnd::kPreviewPeriodMs);
}

HWND CQRDECODEUIHandler::CreateField(int id) {
    // Hidden until the realwnd element shows it: the read page is not the first page shown.
    const DWORD style = WS_CHILD | WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN;
    return CreateWindowEx(0, platform::kRichEditClass, u"", style, 0, 0, 0, 0, m_pMainWnd->GetViewHWnd(), id, nullptr);
}

bool CQRDECODEUIHandler::ProcessWindowMessage(HWND, UINT msg, WPARAM, LPARAM lParam, LRESULT& result) {
    if (msg != WM_NOTIFY || lParam == 0) return false;
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header->idFrom != static_cast<UINT_PTR>(IDC_RICHVIEW_WIN) || header->code != BKNM_COMMAND) return false;
    switch (reinterpret_cast<const BKNMCOMMAND*>(lParam)->uItemID) {
        case IDC_READ: ReadImage(); break;
        case IDC_CLEAR: ClearText(); break;
        case IDC_COPY: CopyText(); break;
        default: return false;
    }
    result = 0;
    return true;
}

void CQRDECODEUIHandler::ReadImage() {
    platform::OPENFILENAME ofn;
    ofn.hwndOwner = GetActiveWindow();
    ofn.filters = {{u"支持的格式 Bmp Jpeg GIF PNG", u"*.bmp;*.jpg;*.gif;*.png"}};
    ofn.flags = platform::OFN_EXPLORER | platform::OFN_ENABLESIZING | platform::OFN_HIDEREADONLY;
    if (!platform::GetOpenFileName(&ofn)) return;
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
    if (symbol == nullptr) return false;
    DrawPicture(picture);
    ShowResult(*symbol);
    return true;
}

void CQRDECODEUIHandler::DrawPicture(const platform::RgbImage& picture) {
    const RECT& rc = m_preview.GetRect();
    if (HDC windowDC = GetDC(m_hPreview)) {
        StretchRgbImage(windowDC, 0, 0, RectWidth(rc), RectHeight(rc), picture);
        ReleaseDC(m_hPreview, windowDC);
    }
    StretchRgbImage(m_preview.GetDC(), 0, 0, RectWidth(rc), RectHeight(rc), picture);
}

void CQRDECODEUIHandler::ShowResult(const DecodedSymbol& symbol) {
    // The text ends at its first zero character, as a zero-terminated string does (the symbols
    // this program makes end with a zero byte).
    std::u16string_view text = symbol.text;
    text = text.substr(0, text.find(u'\0'));
    SetWindowText(m_hText, text);

    const std::string digits = std::to_string(symbol.version);
    m_strVersion.assign(digits.begin(), digits.end());
    SetWindowText(m_hVersion, m_strVersion);

    const int level = symbol.ecLevel;
    m_strLevel = level >= 0 && level < 4 ? std::u16string(kLevelTexts[static_cast<size_t>(level)]) : std::u16string();
    SetWindowText(m_hLevel, m_strLevel);
}

void CQRDECODEUIHandler::CopyText() {
    // The field's current text: the user may have edited it.
    platform::SetClipboardUnicodeText(m_pMainWnd->GetHWnd(), GetWindowText(m_hText));
}

void CQRDECODEUIHandler::ClearText() { SetWindowText(m_hText, u""); }
