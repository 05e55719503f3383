// The read page (layout 522): a picture comes from the open dialog, the clipboard (Ctrl+V, or
// 粘贴图片 in the preview's right-click menu) or a drop on the main window, and later from the
// screen and the camera. Every picture goes through one read path, ReadPicture: the reader runs
// on a worker thread over its own copy while the preview shows a busy cursor, a newer picture
// supersedes an older read, and the result comes back as a posted message. The page then shows
// the picture with its aspect ratio kept and each symbol found outlined (numbered when there are
// several; a click on one shows its text, the largest first), the text, version and level in
// three fields, or, when nothing was read, empty fields and one line saying why. A web address
// can be opened in the browser (打开链接); the text can be copied or cleared.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/PreviewImage.h"
#include "bkres/bkplatform.h"
#include "decoder/DecodedSymbol.h"
#include "platform/imaging.h"

class CTALVORINEXMainWnd;
class CPictureReadWorker;
class CReadPageScan;

namespace platform {
struct MimeData;
}

class CQRDECODEUIHandler {
public:
    static constexpr int IDC_TEXT = 3111;
    static constexpr int IDC_VERSION = 3121;
    static constexpr int IDC_LEVEL = 3131;
    static constexpr int IDC_READ = 3151;
    static constexpr int IDC_CLEAR = 3161;
    static constexpr int IDC_COPY = 3171;
    static constexpr int IDC_OPEN_LINK = 3176;
    static constexpr int IDC_PREVIEW = 3181;
    static constexpr int IDC_STATUS = 3191;
    static constexpr int IDC_SCAN_SCREEN = 3196;
    static constexpr int IDC_CAMERA = 3197;
    static constexpr int kPreviewSide = 360;

    // The worker's result message to the main window (wParam = its ticket), and the timer that
    // ends a brief confirmation on the page.
    static constexpr UINT kReadDoneMessage = WM_USER + 1017;
    static constexpr UINT_PTR kTimerNote = 3191;
    static constexpr UINT kNoteMs = 3000;

    // The level texts by level index (0 = L .. 3 = H); the make page's level list shows them too.
    static constexpr std::array<std::u16string_view, 4> kLevelTexts = {u"最低（7%）", u"较低（15%）", u"中等（25%）",
                                                                      u"较高（30%）"};

    explicit CQRDECODEUIHandler(CTALVORINEXMainWnd* mainWnd);
    virtual ~CQRDECODEUIHandler();
    CQRDECODEUIHandler(const CQRDECODEUIHandler&) = delete;
    CQRDECODEUIHandler& operator=(const CQRDECODEUIHandler&) = delete;

    // Creates the fields, the preview window and its image, and the reading worker; called
    // during the main window's initialisation.
    void Init();
    // The page's share of the main window's messages; true when handled.
    bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

    // Button 3151 (and Ctrl+O): the open dialog, in the folder of the last picture opened, then
    // the chosen file read (loaded on the worker too).
    void ReadImage();
    void ReadFile(const std::u16string& path);
    // The one read path for a picture, wherever it came from; returns at once (see above).
    void ReadPicture(platform::RgbImage picture);
    // Reads the clipboard's picture (image data or a copied picture file). False when the
    // clipboard holds none (the paste key then pastes text).
    bool PastePicture();
    // Reads the picture of dropped data, switching the main window to this page first. False
    // when the data holds no picture (the page then stays as it is).
    bool ReadDrop(const platform::MimeData& data);
    // Button 3171: the text field's current text to the clipboard as Unicode text, with LF line
    // ends; the page says 已复制.
    void CopyText();
    // Button 3161: empties the text field (version, level and preview stay).
    void ClearText();
    // Button 3176: the shown web address in the desktop's browser.
    void OpenLink();
    // Shows symbol `index` of the last read (reading order) in the fields and marks its outline.
    void SelectSymbol(size_t index);
    // Button 3196 (also the tray menu and merovask --scan-screen): the window steps aside, every
    // screen is grabbed and read. The preview menu's 框选屏幕区域: a part of the frozen screen.
    void ScanScreen();
    void ScanRegion();
    // Button 3197: the camera, live on the page until its first verified read; pressed again,
    // it stops.
    void ToggleCamera();
    CReadPageScan& Scan() { return *m_scan; }

    // Whether a read is under way; WaitForRead blocks until its result is posted (tests).
    bool IsReading() const;
    void WaitForRead();

    const std::vector<DecodedSymbol>& Symbols() const { return m_symbols; }
    size_t SelectedSymbol() const { return m_selected; }
    // The line under the preview: why a read failed, how many symbols, a brief confirmation.
    const std::u16string& StatusText() const { return m_status; }
    // The web address the open-link button opens; empty when the text is none.
    const std::u16string& Link() const { return m_link; }

    const CPreviewImage& PreviewImage() const { return m_preview; }
    HDC PreviewDC() const { return m_preview.GetDC(); }
    const RECT& PreviewRect() const { return m_preview.GetRect(); }
    HWND PreviewWindow() const { return m_hPreview; }
    HWND TextWindow() const { return m_hText; }
    HWND VersionWindow() const { return m_hVersion; }
    HWND LevelWindow() const { return m_hLevel; }

private:
    HWND CreateField(int id);
    bool OnCommand(UINT command);
    LRESULT PreviewProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void OnReadDone(WPARAM ticket);
    void SetBusy(bool busy);
    // A camera frame on the preview with the outlines of the latest live read.
    void ShowLiveFrame(const platform::RgbImage& frame, const std::vector<DecodedSymbol>& outlines);
    void DrawPreview();
    void ShowFields(const DecodedSymbol* symbol);
    void SetStatus(std::u16string_view text, bool brief = false);
    void ShowOpenLink(bool show);
    // The symbol whose outline holds the preview point (x, y), or -1.
    int SymbolAt(int x, int y) const;

    CTALVORINEXMainWnd* m_pMainWnd = nullptr;
    HWND m_hText = nullptr;
    HWND m_hVersion = nullptr;
    HWND m_hLevel = nullptr;
    HWND m_hPreview = nullptr;
    platform::WindowProc m_previewProc;

    // The folder of the last picture chosen in the open dialog, for the rest of the run.
    std::u16string m_strFolder;

    std::unique_ptr<CPictureReadWorker> m_worker;
    std::unique_ptr<CReadPageScan> m_scan;
    bool m_busy = false;
    // The last read: its picture fitted into the preview, where it stands there and how much it
    // was scaled, the symbols found and the one shown.
    platform::RgbImage m_picture;
    int m_pictureLeft = 0, m_pictureTop = 0;
    double m_pictureScale = 1.0;
    std::vector<DecodedSymbol> m_symbols;
    size_t m_selected = 0;
    std::u16string m_status;
    std::u16string m_statusKept;  // what a brief confirmation gives way to
    std::u16string m_link;

    CPreviewImage m_preview;
};
