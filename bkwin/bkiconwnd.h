// An icon (`icon`): a program icon resource, or with `oem` a system icon (32512 to 32516),
// drawn stretched over the element rectangle. Natural size `size` x `size` (16).
#pragma once

#include "bkwin/bkwnd.h"

class CBkIconWnd : public CBkWindow {
public:
    ~CBkIconWnd() override;

    const char* GetObjectClass() const override { return "icon"; }
    bool Load(const TiXmlElement* element) override;
    bool SetAttribute(const std::string& name, const std::string& value, bool loading) override;

    platform::HICON GetIcon() const { return m_hIcon; }

protected:
    void OnPaint(platform::HDC dc) override;
    void OnNcCalcSize(bool calcValidRects, platform::SIZE& size) override;
    void OnDestroy() override;

private:
    void LoadIconNow();
    void ReleaseIcon();

    platform::HICON m_hIcon = nullptr;
    bool m_bOwnIcon = false;   // system icons are ours; program icons belong to the icon pool
    int m_nSrc = -1;           // src
    int m_nLoadedSrc = -1;     // the src m_hIcon was loaded from
    int m_nSize = 16;          // size
    int m_bOem = 0;            // oem
};
