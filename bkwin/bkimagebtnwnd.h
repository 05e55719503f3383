// An image button (`imgbtn`): an image whose skin gets the state image index (disabled 3,
// else pushed 2, else hover 1, else 0); every state change repaints it.
#pragma once

#include "bkwin/bkimagewnd.h"

class CBkImageBtnWnd : public CBkImageWnd {
public:
    const char* GetObjectClass() const override { return "imgbtn"; }
    bool NeedRedrawWhenStateChange() override { return true; }

protected:
    void OnPaint(platform::HDC dc) override;
};
