// An image (`img`): a skin drawn over the element rectangle with a fixed sub-image index
// (`sub`, -1 for the whole image). Its natural size is the skin's image size where that is
// not zero.
#pragma once

#include <string>

#include "bkwin/bkskin.h"
#include "bkwin/bkwnd.h"

class CBkImageWnd : public CBkWindow {
public:
    const char* GetObjectClass() const override { return "img"; }
    bool SetAttribute(const std::string& name, const std::string& value, bool loading) override;

    // The skin named by `skin`, or nullptr. Looked up in the skin pool on each use, so a
    // reloaded pool never leaves a dangling skin behind.
    CBkSkinBase* GetSkin() const;
    int GetSubImage() const { return m_nSubImageID; }

protected:
    void OnPaint(platform::HDC dc) override;
    void OnNcCalcSize(bool calcValidRects, platform::SIZE& size) override;

    std::string m_strSkinName;
    int m_nSubImageID = -1;
};
