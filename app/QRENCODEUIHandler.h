// The make page (layout 521): nine content tabs, four option lists, generate and save; the
// symbol can also be copied to the clipboard as a picture (Ctrl+Shift+C, or 复制图片 in the
// preview's right-click menu).
//
// Generating reads the current tab's text, converts it with the chosen code page (0 = the ANSI
// code page, GBK here, or 65001 = UTF-8; UTF-8 unless the locale is of the GBK family), encodes
// exactly those bytes (never in
// kanji mode: that is for Shift JIS text) and draws the symbol one pixel per module with a
// four-module quiet zone, stretched into a 330 x 330 preview image that the preview window
// shows (app/PreviewImage). Save draws the symbol's matrix afresh at (side + 8) x scale pixels,
// every module scale x scale, and writes it as PNG, JPEG, GIF, BMP or SVG as the file name's
// extension says. A save is confirmed briefly in the page; a failed one is said in a message box.
#pragma once

#include <array>
#include <cstdint>
#include <ctime>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "app/BackgroundJob.h"
#include "app/PreviewImage.h"
#include "bkres/bkplatform.h"
#include "encoder/QR_Encode.h"
#include "platform/imaging.h"

class CBkSafeMsgBox;
class CTALVORINEXMainWnd;

class CQRENCODEUIHandler {
public:
    // Control ids of the page's real windows and buttons.
    static constexpr int IDC_TEXT_CONTENT = 2111;
    static constexpr int IDC_VERSION_LIST = 2121;
    static constexpr int IDC_LEVEL_LIST = 2131;
    static constexpr int IDC_SCALE_LIST = 2141;
    static constexpr int IDC_GENERATE = 2151;
    static constexpr int IDC_SAVE = 2161;
    static constexpr int IDC_PREVIEW = 2171;
    static constexpr int IDC_ENCODING_LIST = 2181;
    // The page's one-line note under the preview, and the offer to switch to UTF-8 in its place.
    static constexpr int IDC_NOTE = 2191;
    static constexpr int IDC_USE_UTF8 = 2192;
    // The save job's message to the main window, and the timer that ends a brief confirmation.
    static constexpr UINT kSaveDoneMessage = WM_USER + 1018;
    static constexpr UINT_PTR kTimerNote = 2191;
    static constexpr UINT kNoteMs = 3000;
    static constexpr int kTabCount = 9;
    static constexpr int kTextTab = 8;
    static constexpr int kPreviewSide = 330;
    // Fields take at most this many characters, and longer text is refused before it is
    // converted: no symbol holds it (every character takes at least one byte, a surrogate pair
    // at least one, and a symbol at most 7089 bytes).
    static constexpr int kMaxContentLength = 2 * CQREncoder::kMaxSourceLength;

    // The note shown when typing or a paste would take a field past kMaxContentLength.
    static constexpr std::u16string_view kTooLongText = u"内容太长：一个二维码装不下更多文字";
    // The offer generate makes instead of a symbol when GB2312 (GBK) lacks `character`.
    static std::u16string MissingCharacterText(std::u16string_view character);

    // The credit text the first symbol carries after the content.
    static constexpr std::u16string_view kCreditText = u"本软件由Kestrawin出品\n\rhttps://merovask.org";

    explicit CQRENCODEUIHandler(CTALVORINEXMainWnd* mainWnd) : m_pMainWnd(mainWnd) {}
    virtual ~CQRENCODEUIHandler();
    CQRENCODEUIHandler(const CQRENCODEUIHandler&) = delete;
    CQRENCODEUIHandler& operator=(const CQRENCODEUIHandler&) = delete;

    // Creates the page's real controls and the preview image and generates the first symbol (the credit text); called during the main window's initialisation.
    void Init();
    // The page's share of the main window's messages; true when handled.
    bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

    // Button 2151: encode the current tab's text and show the symbol (or a white preview). From
    // then on, a change of tab, version, level or encoding makes the symbol again.
    void Generate();
    // Button 2161: the save dialog, then the image file (PNG, JPEG, GIF, BMP or SVG), written on
    // a thread of its own. Does nothing without a symbol; a written file is confirmed in the page
    // (已保存：name), one that cannot be written is said in a message box.
    void Save();
    // Waits until the save under way has written its file (its message is then posted).
    void WaitForSave();
    // The page's brief confirmation (已保存：…, 已复制), empty when none is on show.
    const std::u16string& StatusText() const { return m_status; }
    // The symbol as save writes it, to the clipboard as a picture. Does nothing without a symbol.
    void CopyImage();
    // The template of tab `tabIndex` written into its field unless the field starts with its
    // first token (app/ContentTemplates).
    void PrefillTemplate(int tabIndex);

    bool HasSymbol() const { return m_bHasSymbol; }
    // The symbol image's side in pixels (modules + 8) of the last successful generation.
    int SymbolPixels() const { return m_nSymbolPixels; }
    // The last successful generation's matrix, row by row from the top, 1 = dark.
    const std::vector<uint8_t>& SymbolModules() const { return m_symbolModules; }
    // What the note under the preview says, and whether the offer to use UTF-8 shows instead.
    std::u16string NoteText() const;
    bool OffersUtf8() const;
    // The message box of a failed save while it is on show, else null.
    CBkSafeMsgBox* SaveFailureBox() const { return m_pSaveFailureBox; }
    // The 330 x 330 preview image.
    HDC PreviewDC() const { return m_preview.GetDC(); }
    HWND PreviewWindow() const { return m_hPreview; }
    // The content field of tab `tabIndex` (0..8), null outside that range.
    HWND ContentWindow(int tabIndex) const;
    HWND VersionList() const { return m_hVersionList; }
    HWND LevelList() const { return m_hLevelList; }
    HWND ScaleList() const { return m_hScaleList; }
    HWND EncodingList() const { return m_hEncodingList; }

    // The text generate reads: the whole text of the current tab's field, Wi-Fi values escaped
    // (empty without a tab control).
    std::u16string GatherContent() const;
    // The default save name for a local time: year, month, day, hour, minute, second, unpadded.
    static std::u16string DefaultFileName(const std::tm& localTime);
    // The line a failed save shows: "保存失败：" and the reason for the errno value.
    static std::u16string SaveFailureText(int errorNumber);

private:
    // Ctrl+Enter, Ctrl+S and Ctrl+Shift+C while this page is shown.
    bool OnCommand(UINT command, LRESULT& result);
    // The symbol as save writes it: (side + 8) x scale pixels, every module scale x scale.
    platform::BilevelImage SymbolImage() const;
    int SaveScale() const;
    void OnSaveDone();
    void SetStatus(std::u16string_view text);
    void GenerateFor(int tab);
    std::u16string GatherContent(int tab) const;
    void CreateContentFields();
    HWND CreateOptionList(int id, const std::vector<std::u16string>& items, int initialSelection);
    void DrawSymbol(const CQREncoder& encoder);
    void ClearPreview();
    // The note under the preview (empty hides it) and the offer to use UTF-8 (empty hides it).
    void ShowNote(std::u16string_view text);
    void ShowUtf8Offer(std::u16string_view text);
    // The offer accepted: UTF-8 chosen and the symbol made.
    void UseUtf8();
    bool IsContentField(HWND window) const;
    void ShowSaveFailure(const std::u16string& text);
    void ReleaseSymbolImage();
    int CurrentTab() const;

    // The ten child windows: the text tab's field, the preview, the fields of tabs 0 to 7.
    HWND m_hTextContent = nullptr;
    HWND m_hPreview = nullptr;
    std::array<HWND, 8> m_hTabContent{};
    // The option lists.
    HWND m_hVersionList = nullptr;
    HWND m_hLevelList = nullptr;
    HWND m_hScaleList = nullptr;
    HWND m_hEncodingList = nullptr;

    bool m_bAppendCredit = false;
    // Set by the first symbol the user makes: the preview then follows the page's settings.
    bool m_bFollowPage = false;

    CPreviewImage m_preview;

    CTALVORINEXMainWnd* m_pMainWnd = nullptr;
    bool m_bHasSymbol = false;

    // The symbol image: held only while a generation draws.
    HDC m_dcSymbol = nullptr;
    HBITMAP m_bmpSymbol = nullptr;
    HBITMAP m_bmpSymbolOld = nullptr;
    int m_nSymbolPixels = 0;
    // The matrix save draws from (the preview is a resampled picture).
    std::vector<uint8_t> m_symbolModules;

    CBkSafeMsgBox* m_pSaveFailureBox = nullptr;

    // Outcomes of saves, left by the save job for the page.
    struct SaveOutcome {
        std::u16string path;
        bool encodeFailed = false;
        int error = 0;  // errno of a failed write, 0 when the file was written
    };
    std::mutex m_saveMutex;
    std::vector<SaveOutcome> m_saveOutcomes;
    std::u16string m_status;
    // Last member: destroyed first, so that a save under way ends before the rest goes.
    CBackgroundJob m_saveJob;
};
