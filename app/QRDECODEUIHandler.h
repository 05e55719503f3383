// The read page (layout 522): open a picture, find and read its symbol, show the picture in a
// 360 x 360 preview and the text, version and level in three fields; copy the text to the
// clipboard or clear it. A picture without a readable symbol changes nothing and shows no
// message. The make page's handler paints this page's preview on timer 2.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "app/PreviewImage.h"
#include "bkres/bkplatform.h"

class CTALVORINEXMainWnd;
struct DecodedSymbol;
namespace platform {
struct RgbImage;
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

    explicit CQRDECODEUIHandler(CTALVORINEXMainWnd* mainWnd);
    virtual ~CQRDECODEUIHandler();
    CQRDECODEUIHandler(const CQRDECODEUIHandler&) = delete;
    CQRDECODEUIHandler& operator=(const CQRDECODEUIHandler&) = delete;

    // Creates the fields, the preview window and image, and starts timer 2; called during the
    // main window's initialisation.
    void Init();
    // The page's share of the main window's messages; true when handled.
    bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

    // Button 3151: the open dialog, then detection and decoding of the chosen picture.
    void ReadImage();
    // Reads the picture file at `path` (UTF-16); false, with nothing changed, when no symbol is
    // read from it or it does not load.
    bool ReadFile(const std::u16string& path);
    // Reads a picture in memory: the preview and the largest symbol's text, version and level;
    // false, with nothing changed, when no symbol can be read from it.
    bool ReadPicture(const platform::RgbImage& picture);
    // Button 3171: the text field's current text to the clipboard as Unicode text.
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
    void DrawPicture(const platform::RgbImage& picture);
    void ShowResult(const DecodedSymbol& symbol);

    CTALVORINEXMainWnd* m_pMainWnd = nullptr;
    HWND m_hText = nullptr;
    HWND m_hVersion = nullptr;
    HWND m_hLevel = nullptr;
    HWND m_hPreview = nullptr;

    std::u16string m_strVersion;
    std::u16string m_strLevel;

    CPreviewImage m_preview;
};
