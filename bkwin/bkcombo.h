// A combo element (`combo`): hosts an editable drop-down list, a real child of the container
// window with the element's command id, created the first time the element is placed and kept
// in its rectangle, shown and hidden with it. Items come from `item` child elements of the
// layout and from the owner code through the real window (GetComboHWnd).
#pragma once

#include <string>
#include <vector>

#include "bkwin/bkwnd.h"
#include "platform/window.h"

class CbkCombo : public CBkWindow {
public:
    ~CbkCombo() override;

    const char* GetObjectClass() const override { return "combo"; }
    bool Load(const TiXmlElement* element) override;
    bool SetAttribute(const std::string& name, const std::string& value, bool loading) override;
    void SetInnerText(const std::u16string& text) override;

    platform::HWND GetComboHWnd() const { return m_hWndCombo; }
    platform::HWND CreateComboWindow();
    // The text of the edit field when the list exists, else the inner text.
    std::u16string GetText() const;

protected:
    void OnPaint(platform::HDC) override {}
    void OnWindowPosChanged(const BkWindowPos& pos) override;
    void OnShowWindow(bool show, platform::LPARAM status) override;
    void OnDestroy() override;

private:
    platform::HWND m_hWndCombo = nullptr;
    unsigned m_nDefaultFont = 0;        // defaultfont
    std::vector<std::u16string> m_vecItems;
};
