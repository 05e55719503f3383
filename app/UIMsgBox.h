// The program's message box: a modal skinned dialog with a title bar, an icon chosen by the
// style bits, the message (as one text or line by line), an optional "下次不再提示" check box
// and a centred row of buttons built from the style bits. Return, Enter and Space press the
// first button; Escape and the window manager's close press the cancel button, or the only
// one. Also used, with its own layout, for the About dialog.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "bkwin/bkdialogimpl.h"
#include "bkwin/whroundrectframehelper.h"

class CBkSafeMsgBox : public CBkDialogImpl, public CWHRoundRectFrameHelper {
public:
    // Element ids of the message-box layouts.
    enum {
        IDC_CLOSE = 60001,
        IDC_TITLE = 60004,
        IDC_ICON = 60005,
        IDC_TEXT = 60006,
        IDC_CHECK = 60007,
        IDC_BUTTONS = 60008,
        IDC_LINES = 60016,
    };
    static constexpr UINT kPlainLayout = 105;
    static constexpr UINT kLinesLayout = 106;

    CBkSafeMsgBox();
    ~CBkSafeMsgBox() override;

    // The layout Show loads (105 unless set; the About dialog uses 510).
    void SetLayout(UINT layoutResourceId) { m_uLayout = layoutResourceId; }
    // Sets element `id` to `text` when the dialog is initialised.
    void QueueItemText(int id, std::u16string text) { m_queuedTexts.emplace_back(id, std::move(text)); }

    // Shows `text` in one text element. `caption`, when not empty, replaces the layer's title.
    // `style`: buttons in bits 0-3, icon in bits 4-7, as for the system message box.
    // `checkState`: when given, the check box is shown, starts as *checkState and its final
    // state is written back. Returns the id of the button clicked (60001 for the title-bar
    // close button), 0 when the window cannot be created, -1 when the layout cannot be loaded.
    int Show(const std::u16string& text, const std::u16string& caption = {}, UINT style = 0,
             bool* checkState = nullptr, HWND owner = nullptr);
    // The same with every line of `text` (split at line feeds, empty lines dropped) as its own
    // text element, on layout 106.
    int ShowLines(const std::u16string& text, const std::u16string& caption = {}, UINT style = 0,
                  bool* checkState = nullptr, HWND owner = nullptr);

    struct Button {
        std::u16string caption;
        int id = 0;
        int width = 0;
    };
    // The buttons of a style, left to right, with their ids and widths (at least 80).
    static std::vector<Button> ButtonsForStyle(UINT style);
    // The markup of the centred button row (from string templates 17 and 26), UTF-16.
    static std::u16string ButtonRowMarkup(const std::vector<Button>& buttons);
    // The markup of the line-by-line form: one `text` element per line, y = 10 for a single
    // line, else 0, 18, 36, ...; markup characters in the lines are escaped.
    static std::u16string LinesMarkup(const std::vector<std::u16string>& lines);
    static std::vector<std::u16string> SplitLines(const std::u16string& text);
    // Text with &, <, >, " and ' written as entities.
    static std::u16string EscapeMarkup(std::u16string_view text);

    int GetResult() const { return m_nResult; }

protected:
    bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    // What one Show or ShowLines call asked for.
    void Remember(const std::u16string& text, const std::u16string& caption, UINT style, const bool* checkState,
                  bool lines);
    int Run(HWND owner);
    bool LoadMarkupInto(int containerId, const std::u16string& markup);
    void SetIcon();
    void OnInitDialog(HWND hwnd);
    // The button a key stands for (Return, Enter, Space: the default one; Escape and a close
    // request: the cancel one), 0 when the key does nothing in this box.
    int KeyResult(bool defaultButton) const;

    UINT m_uLayout = kPlainLayout;
    std::u16string m_strText;
    std::u16string m_strCaption;
    UINT m_uType = 0;
    bool m_bShowCheck = false;
    bool m_bChecked = false;
    bool m_bLines = false;
    SIZE m_sizeLines{0, 0};
    std::vector<Button> m_buttons;
    std::vector<std::pair<int, std::u16string>> m_queuedTexts;
    int m_nResult = 0;
};

// The message box under its second name; it adds nothing but its own destructor.
class CBkSafeMsgBox2 : public CBkSafeMsgBox {
public:
    ~CBkSafeMsgBox2() override;
};
