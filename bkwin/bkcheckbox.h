// A check box (`check`): a 13-pixel box at the left of the rectangle and the text 17 pixels to
// the right of the left edge, vertically centred. The button-up message, which the host
// delivers only when the button is released over the box, toggles the checked bit.
#pragma once

#include "bkwin/bkwnd.h"

class CBkCheckBox : public CBkWindow {
public:
    static constexpr int kBoxSize = 13;
    static constexpr int kTextOffset = 17;

    const char* GetObjectClass() const override { return "check"; }
    bool NeedRedrawWhenStateChange() override { return true; }
    bool ProcessMessage(platform::UINT msg, platform::WPARAM wParam, platform::LPARAM lParam,
                        platform::LRESULT& result) override;

    bool IsChecked() const { return (m_dwState & BkWndState_Check) != 0; }

    // The mark's look for a state: 1-4 unchecked normal, hot, pressed, disabled, 5-8 checked;
    // disabled wins over pushed, pushed over hover.
    static int MarkState(bool checked, bool disabled, bool pushed, bool hover);

protected:
    void OnPaint(platform::HDC dc) override;
    void OnNcCalcSize(bool calcValidRects, platform::SIZE& size) override;
};
