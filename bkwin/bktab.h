// A page of a tab control (`tab`): a dialog with a `title` for its tab and a `hide` flag that
// hides the page together with its tab. Made only by a tab control.
#pragma once

#include <string>

#include "bkwin/bkdialog.h"

class CBkTab : public CBkDialog {
public:
    const char* GetObjectClass() const override { return "tab"; }
    bool SetAttribute(const std::string& name, const std::string& value, bool loading) override;

    const std::u16string& GetTitle() const { return m_strTitle; }
    void SetTitle(const std::u16string& title) { m_strTitle = title; }
    bool IsHidden() const { return m_bHide; }
    void SetHidden(bool hide) { m_bHide = hide; }

private:
    std::u16string m_strTitle;
    bool m_bHide = false;
};
