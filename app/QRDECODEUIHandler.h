// The read page (layout 522): a picture comes from the open dialog, the clipboard (Ctrl+V, or
// 粘贴图片 in the preview's right-click menu) or a drop on the main window; its symbol is read,
// the picture shown in a 360 x 360 preview and the text, version and level in three fields; the
// text can be copied to the clipboard or cleared. A picture without a readable symbol changes
// nothing and shows no message.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "app/PreviewImage.h"
#include "bkres/bkplatform.h"
#include "platform/imaging.h"

class CTALVORINEXMainWnd;
struct DecodedSymbol;

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
    static constexpr int IDC_PREVIEW = 3181;
    static constexpr int kPreviewSide = 360;

    // The level texts by level index (0 = L .. 3 = H); the make page's level list shows them too.
    static constexpr std::array<std::u16string_view, 4> kLevelTexts = {u"最低（7%）", u"较低（15%）", u"中等（25%）",
                                                                      u"较高（30%）"};

    explicit CQRDECODEUIHandler(CTALVORINEXMainWnd* mainWnd) : m_pMainWnd(mainWnd) {}
    virtual ~CQRDECODEUIHandler();
    CQRDECODEUIHandler(const CQRDECODEUIHandler&) = delete;
    CQRDECODEUIHandler& operator=(const CQRDECODEUIHandler&) = delete;

    // Creates the fields, the preview window and its image; called during the main window's
    // initialisation.
    void Init();
    // The page's share of the main window's messages; true when handled.
    bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

    // Button 3151 (and Ctrl+O): the open dialog, in the folder of the last picture opened, then
    // the chosen picture read.
    void ReadImage();
    // Reads the picture file at `path` (UTF-16); false, with nothing changed, when it does not
    // load or holds no readable symbol.
    bool ReadFile(const std::u16string& path);
    // Everything after a picture is loaded, wherever it came from: the symbol read, then the
    // preview and the fields filled. False, with nothing changed, when no symbol is read.
    bool ReadPicture(const platform::RgbImage& picture);
    // Reads the clipboard's picture (image data or a copied picture file). False when the
    // clipboard holds none; a picture without a symbol still counts as one.
    bool PastePicture();
    // Reads the picture of dropped data, switching the main window to this page first. False
    // when the data holds no picture (the page then stays as it is).
    bool ReadDrop(const platform::MimeData& data);
    // Button 3171: the text field's current text to the clipboard as Unicode text, with LF line
    // ends.
    void CopyText();
    // Button 3161: empties the text field (version, level and preview stay).
    void ClearText();

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
    void DrawPicture(const platform::RgbImage& picture);
    void ShowResult(const DecodedSymbol& symbol);

    CTALVORINEXMainWnd* m_pMainWnd = nullptr;
    HWND m_hText = nullptr;
    HWND m_hVersion = nullptr;
    HWND m_hLevel = nullptr;
    HWND m_hPreview = nullptr;

    // The folder of the last picture chosen in the open dialog, for the rest of the run.
    std::u16string m_strFolder;

    CPreviewImage m_preview;
};
