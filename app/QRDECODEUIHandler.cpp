#include "app/QRDECODEUIHandler.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "app/AppMenus.h"
#include "app/MainWnd.h"
#include "app/PageTexts.h"
#include "app/PictureReadWorker.h"
#include "app/ReadPageScan.h"
#include "bkwin/bknotify.h"
#include "bkwin/bkwndstate.h"
#include "decoder/SymbolReader.h"
#include "platform/controls.h"
#include "platform/shell.h"
#include "platform/text.h"
#include "platform/translation.h"

namespace {

// Around the picture in the preview: the page's own background, so that the picture's edges show.
constexpr COLORREF kPreviewBackground = RGB(0xEE, 0xEE, 0xEE);
constexpr COLORREF kOutlineShown = RGB(0x00, 0xB0, 0x30);
constexpr COLORREF kOutlineOther = RGB(0xF0, 0x80, 0x00);

std::u16string_view failureLine(ReadFailure failure) {
    switch (failure) {
    case ReadFailure::FormatUnreadable:
    case ReadFailure::Damaged:
    case ReadFailure::Malformed: return PageTexts::kSymbolDamaged;
    case ReadFailure::Unsupported: return PageTexts::kSymbolUnsupported;
    default: return PageTexts::kNoSymbol;
    }
}

// A web address the browser may be given: http or https, nothing but printable characters.
bool isWebAddress(std::u16string_view text) {
    auto startsWithNoCase = [&](std::u16string_view prefix) {
        if (text.size() <= prefix.size()) return false;
        for (size_t i = 0; i < prefix.size(); ++i) {
            char16_t c = text[i];
            if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
            if (c != prefix[i]) return false;
        }
        return true;
    };
    if (!startsWithNoCase(u"http://") && !startsWithNoCase(u"https://")) return false;
    return std::none_of(text.begin(), text.end(), [](char16_t c) { return c <= u' ' || c == 0x7F; });
}

}  // namespace

CQRDECODEUIHandler::CQRDECODEUIHandler(CTALVORINEXMainWnd* mainWnd) : m_pMainWnd(mainWnd) {}

CQRDECODEUIHandler::~CQRDECODEUIHandler() {
    m_scan.reset();
    m_worker.reset();
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
    m_previewProc = platform::SetWindowProc(
        m_hPreview, [this](HWND h, UINT msg, WPARAM wp, LPARAM lp) { return PreviewProc(h, msg, wp, lp); });

    for (HWND w : {m_hText, m_hVersion, m_hLevel, m_hPreview}) m_pMainWnd->PlaceRealWindow(w);

    m_preview.Create(m_pMainWnd->GetHWnd(), kPreviewSide, kPreviewSide);
    m_preview.Attach(m_hPreview);
    m_worker = std::make_unique<CPictureReadWorker>(m_pMainWnd->GetHWnd(), kReadDoneMessage, kPreviewSide);
    m_scan = std::make_unique<CReadPageScan>(
        m_pMainWnd->GetHWnd(),
        CReadPageScan::Page{
            .read = [this](platform::RgbImage picture) { ReadPicture(std::move(picture)); },
            .showLive = [this](const platform::RgbImage& frame,
                               const std::vector<DecodedSymbol>& outlines) { ShowLiveFrame(frame, outlines); },
            .say = [this](std::u16string_view line) { SetStatus(line); },
            .cameraRunning =
                [this](bool running) {
                    m_pMainWnd->SetItemText(IDC_CAMERA, platform::Tr(running ? PageTexts::kCameraStop : PageTexts::kCamera));
                    if (running) ShowFields(nullptr);
                },
            .bringBack =
                [this] {
                    m_pMainWnd->BringToFront();
                    m_pMainWnd->ShowPage(CTALVORINEXMainWnd::kReadPage);
                },
        });
    ShowOpenLink(false);
}

HWND CQRDECODEUIHandler::CreateField(int id) {
    // Hidden until the realwnd element shows it: the read page is not the first page shown.
    const DWORD style = WS_CHILD | WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN;
    return CreateWindowEx(0, platform::kRichEditClass, u"", style, 0, 0, 0, 0, m_pMainWnd->GetViewHWnd(), id, nullptr);
}

bool CQRDECODEUIHandler::ProcessWindowMessage(HWND, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
    case kReadDoneMessage:
        OnReadDone(wParam);
        break;
    case WM_TIMER:
        if (wParam != kTimerNote) return false;
        KillTimer(m_pMainWnd->GetHWnd(), kTimerNote);
        SetStatus(m_statusKept);
        break;
    case WM_COMMAND:
        if (!OnCommand(LOWORD(wParam))) return false;
        break;
    case WM_DROPFILES:
        if (wParam) ReadDrop(*reinterpret_cast<const platform::MimeData*>(wParam));
        break;
    case WM_CONTEXTMENU:
        if (reinterpret_cast<HWND>(wParam) != m_hPreview) return false;
        switch (AppMenus::TrackContextMenu(AppMenus::kReadPreviewMenu, lParam, m_pMainWnd->GetHWnd())) {
            case CTALVORINEXMainWnd::ID_PASTE: PastePicture(); break;
            case CTALVORINEXMainWnd::ID_SCAN_REGION: ScanRegion(); break;
            default: break;
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
            case IDC_OPEN_LINK: OpenLink(); break;
            case IDC_SCAN_SCREEN: ScanScreen(); break;
            case IDC_CAMERA: ToggleCamera(); break;
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
    case CTALVORINEXMainWnd::ID_SCAN_REGION:
        m_pMainWnd->ShowPage(CTALVORINEXMainWnd::kReadPage);
        ScanRegion();
        return true;
    case CTALVORINEXMainWnd::ID_PASTE:
        // Without a picture on the clipboard the key pastes text into the focused field.
        return m_pMainWnd->CurrentPage() == CTALVORINEXMainWnd::kReadPage && PastePicture();
    default:
        return false;
    }
}

LRESULT CQRDECODEUIHandler::PreviewProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_SETCURSOR) {
        if (m_busy) {
            SetCursor(LoadCursor(IDC_WAIT));
            return 1;
        }
        POINT at{};
        GetCursorPos(&at);
        ScreenToClient(hwnd, &at);
        if (m_symbols.size() > 1 && SymbolAt(at.x, at.y) >= 0) {
            SetCursor(LoadCursor(IDC_HAND));
            return 1;
        }
    } else if (msg == WM_LBUTTONUP && !m_busy) {
        const int index = SymbolAt(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        if (index >= 0) SelectSymbol(static_cast<size_t>(index));
        return 0;
    }
    return CallWindowProc(m_previewProc, hwnd, msg, wParam, lParam);
}

// ---------------------------------------------------------------------------------------------
// Reading.

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

void CQRDECODEUIHandler::ReadFile(const std::u16string& path) {
    m_scan->StopCamera();
    m_worker->ReadFile(platform::utf16ToUtf8(path));
    SetBusy(true);
}

void CQRDECODEUIHandler::ReadPicture(platform::RgbImage picture) {
    m_scan->StopCamera();  // a picture the user gives supersedes the camera
    m_worker->Read(std::move(picture));
    SetBusy(true);
}

bool CQRDECODEUIHandler::PastePicture() {
    platform::RgbImage picture;
    if (!platform::GetClipboardPicture(picture)) return false;
    ReadPicture(std::move(picture));
    return true;
}

bool CQRDECODEUIHandler::ReadDrop(const platform::MimeData& data) {
    platform::RgbImage picture;
    if (!platform::PictureFromMimeData(data, picture)) return false;
    m_pMainWnd->ShowPage(CTALVORINEXMainWnd::kReadPage);
    ReadPicture(std::move(picture));
    return true;
}

bool CQRDECODEUIHandler::IsReading() const { return m_busy; }

void CQRDECODEUIHandler::WaitForRead() {
    if (m_worker) m_worker->WaitIdle();
}

void CQRDECODEUIHandler::SetBusy(bool busy) {
    m_busy = busy;
    platform::SetWindowCursor(m_hPreview, LoadCursor(busy ? IDC_WAIT : IDC_ARROW));
    if (busy) SetStatus(platform::Tr(PageTexts::kReading));
}

void CQRDECODEUIHandler::OnReadDone(WPARAM ticket) {
    std::optional<CPictureReadWorker::Result> result = m_worker->Take(ticket);
    if (!result) return;  // superseded by a newer picture
    SetBusy(false);
    m_symbols = std::move(result->reading.symbols);
    m_picture = std::move(result->preview);
    m_pictureScale = result->pictureWidth > 0 && m_picture.width > 0
                         ? static_cast<double>(m_picture.width) / result->pictureWidth
                         : 1.0;
    m_pictureLeft = (kPreviewSide - m_picture.width) / 2;
    m_pictureTop = (kPreviewSide - m_picture.height) / 2;

    if (!result->loadError.empty()) {
        ShowFields(nullptr);
        SetStatus(platform::Tr(PageTexts::kCannotReadPicture, {platform::utf8ToUtf16(result->loadError)}));
    } else if (m_symbols.empty()) {
        ShowFields(nullptr);
        SetStatus(platform::Tr(failureLine(result->reading.failure)));
    } else {
        // The largest symbol first: the one a user most likely meant.
        auto area = [](const DecodedSymbol& s) {
            const auto& c = s.corners;
            double twice = 0;
            for (size_t i = 0; i < 4; ++i) twice += c[i].x * c[(i + 1) % 4].y - c[(i + 1) % 4].x * c[i].y;
            return std::abs(twice);
        };
        m_selected = static_cast<size_t>(std::max_element(m_symbols.begin(), m_symbols.end(),
                                                          [&](const auto& a, const auto& b) { return area(a) < area(b); }) -
                                         m_symbols.begin());
        ShowFields(&m_symbols[m_selected]);
        if (m_symbols.size() > 1) {
            const std::string count = std::to_string(m_symbols.size());
            SetStatus(platform::Tr(PageTexts::kSeveralSymbols, {std::u16string(count.begin(), count.end())}));
        } else {
            const SymbolFormat format = m_symbols[m_selected].format;
            SetStatus(format == SymbolFormat::MicroQR ? platform::Tr(PageTexts::kMicroQr)
                      : format == SymbolFormat::RMQR  ? platform::Tr(PageTexts::kRmqr)
                                                      : u"");
        }
    }
    DrawPreview();
}

void CQRDECODEUIHandler::ScanScreen() { m_scan->ScanScreen(); }

void CQRDECODEUIHandler::ScanRegion() { m_scan->ScanRegion(); }

void CQRDECODEUIHandler::ToggleCamera() { m_scan->ToggleCamera(); }

void CQRDECODEUIHandler::ShowLiveFrame(const platform::RgbImage& frame, const std::vector<DecodedSymbol>& outlines) {
    m_picture = CPictureReadWorker::FitPicture(frame, kPreviewSide);
    m_pictureScale = frame.width > 0 ? static_cast<double>(m_picture.width) / frame.width : 1.0;
    m_pictureLeft = (kPreviewSide - m_picture.width) / 2;
    m_pictureTop = (kPreviewSide - m_picture.height) / 2;
    m_symbols = outlines;
    m_selected = 0;
    DrawPreview();
}

void CQRDECODEUIHandler::SelectSymbol(size_t index) {
    if (index >= m_symbols.size()) return;
    m_selected = index;
    ShowFields(&m_symbols[index]);
    DrawPreview();
}

void CQRDECODEUIHandler::ShowFields(const DecodedSymbol* symbol) {
    if (!symbol) {
        for (HWND w : {m_hText, m_hVersion, m_hLevel}) SetWindowText(w, u"");
        m_link.clear();
        ShowOpenLink(false);
        return;
    }
    const std::u16string_view text = shownText(*symbol);
    SetWindowText(m_hText, text);
    const std::string version = versionName(symbol->format, symbol->version);  // "7", "M3", "R13x77"
    SetWindowText(m_hVersion, std::u16string(version.begin(), version.end()));
    const int level = symbol->ecLevel;
    SetWindowText(m_hLevel, level >= 0 && level < 4 ? platform::Tr(kLevelTexts[static_cast<size_t>(level)]) : u"");
    m_link = isWebAddress(text) ? std::u16string(text) : std::u16string();
    ShowOpenLink(!m_link.empty());
}

// ---------------------------------------------------------------------------------------------
// The preview: the picture centred, each symbol outlined (the one shown in green), numbered
// when there are several.

void CQRDECODEUIHandler::DrawPreview() {
    HDC dc = m_preview.GetDC();
    if (!dc) return;
    const RECT all{0, 0, kPreviewSide, kPreviewSide};
    HBRUSH background = CreateSolidBrush(kPreviewBackground);
    FillRect(dc, &all, background);
    DeleteObject(background);
    if (m_picture.width > 0) {
        StretchRgbImage(dc, m_pictureLeft, m_pictureTop, m_picture.width, m_picture.height, m_picture);
    }
    const int previousMode = SetBkMode(dc, platform::TRANSPARENT);
    // The shown symbol last, so that its outline lies on top.
    std::vector<size_t> order;
    for (size_t i = 0; i < m_symbols.size(); ++i) {
        if (i != m_selected) order.push_back(i);
    }
    if (m_selected < m_symbols.size()) order.push_back(m_selected);
    for (size_t i : order) {
        const bool shown = i == m_selected;
        const COLORREF colour = shown ? kOutlineShown : kOutlineOther;
        HPEN pen = CreatePen(platform::PS_SOLID, shown ? 3 : 2, colour);
        HPEN oldPen = SelectObject(dc, pen);
        POINT p[4];
        for (size_t k = 0; k < 4; ++k) {
            p[k].x = static_cast<int>(std::lround(m_pictureLeft + m_symbols[i].corners[k].x * m_pictureScale));
            p[k].y = static_cast<int>(std::lround(m_pictureTop + m_symbols[i].corners[k].y * m_pictureScale));
        }
        MoveToEx(dc, p[3].x, p[3].y, nullptr);
        for (const POINT& q : p) LineTo(dc, q.x, q.y);
        SelectObject(dc, oldPen);
        DeleteObject(pen);
        if (m_symbols.size() > 1) {
            // The number in a filled tag on the symbol's top-left corner.
            const std::string number = std::to_string(i + 1);
            const int x = std::clamp<int>(std::min({p[0].x, p[1].x, p[2].x, p[3].x}), 0, kPreviewSide - 18);
            const int y = std::clamp<int>(std::min({p[0].y, p[1].y, p[2].y, p[3].y}), 0, kPreviewSide - 16);
            RECT tag{x, y, x + 8 + 8 * static_cast<int>(number.size()), y + 16};
            HBRUSH fill = CreateSolidBrush(colour);
            FillRect(dc, &tag, fill);
            DeleteObject(fill);
            const COLORREF oldText = SetTextColor(dc, RGB(0xFF, 0xFF, 0xFF));
            DrawText(dc, std::u16string(number.begin(), number.end()), &tag,
                     platform::DT_CENTER | platform::DT_VCENTER | platform::DT_SINGLELINE);
            SetTextColor(dc, oldText);
        }
    }
    SetBkMode(dc, previousMode);
    m_preview.Invalidate();
}

int CQRDECODEUIHandler::SymbolAt(int x, int y) const {
    // The smallest outline holding the point, so that a symbol inside another can be picked.
    int found = -1;
    double foundArea = 0;
    for (size_t i = 0; i < m_symbols.size(); ++i) {
        double px[4], py[4];
        for (size_t k = 0; k < 4; ++k) {
            px[k] = m_pictureLeft + m_symbols[i].corners[k].x * m_pictureScale;
            py[k] = m_pictureTop + m_symbols[i].corners[k].y * m_pictureScale;
        }
        bool inside = false;
        double twice = 0;
        for (size_t k = 0, j = 3; k < 4; j = k++) {
            if ((py[k] > y) != (py[j] > y) && x < (px[j] - px[k]) * (y - py[k]) / (py[j] - py[k]) + px[k]) inside = !inside;
            twice += px[j] * py[k] - px[k] * py[j];
        }
        const double area = std::abs(twice) / 2;
        if (inside && (found < 0 || area < foundArea)) {
            found = static_cast<int>(i);
            foundArea = area;
        }
    }
    return found;
}

// ---------------------------------------------------------------------------------------------
// Status line and buttons.

void CQRDECODEUIHandler::SetStatus(std::u16string_view text, bool brief) {
    HWND main = m_pMainWnd->GetHWnd();
    if (brief) {
        SetTimer(main, kTimerNote, kNoteMs);
    } else {
        KillTimer(main, kTimerNote);
        m_statusKept = text;
    }
    m_status = text;
    m_pMainWnd->SetItemText(IDC_STATUS, m_status);
}

void CQRDECODEUIHandler::ShowOpenLink(bool show) {
    if (CBkWindow* button = m_pMainWnd->GetItem(IDC_OPEN_LINK)) {
        if (button->IsVisible() == show) return;
        const unsigned invisible = BkWndState_Invisible;
        m_pMainWnd->GetView().ModifyItemState(button, show ? 0u : invisible, show ? invisible : 0u);
        m_pMainWnd->GetView().InvalidateRect(button->GetRect());
    }
}

void CQRDECODEUIHandler::OpenLink() {
    if (!m_link.empty()) platform::ShellExecuteOpen(m_link);
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
    if (platform::SetClipboardUnicodeText(m_pMainWnd->GetHWnd(), text)) SetStatus(platform::Tr(PageTexts::kCopied), true);
}

void CQRDECODEUIHandler::ClearText() { SetWindowText(m_hText, u""); }
