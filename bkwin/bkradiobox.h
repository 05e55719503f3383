// A radio box (`radio`): a 12 x 12 mark at the left, vertically centred, and the text 14
// pixels to the right. Boxes of one `group` name form a group in the handle registry's table;
// a click (button-up) checks this box and unchecks the others of its group.
#pragma once

#include <string>

#include "bkwin/bkwnd.h"

class CBkRadioBox : public CBkWindow {
public:
    static constexpr int kMarkSize = 12;
    static constexpr int kTextOffset = 14;

    ~CBkRadioBox() override;

    const char* GetObjectClass() const override { return "radio"; }
    bool Load(const TiXmlElement* element) override;
    bool SetAttribute(const std::string& name, const std::string& value, bool loading) override;
    bool NeedRedrawWhenStateChange() override { return true; }
    bool ProcessMessage(platform::UINT msg, platform::WPARAM wParam, platform::LPARAM lParam,
                        platform::LRESULT& result) override;

    bool IsChecked() const { return (m_dwState & BkWndState_Check) != 0; }
    const std::string& GetGroup() const { return m_strGroup; }
    // Checks this box and unchecks every other checked box of its group, invalidating each.
    void Check();

protected:
    void OnPaint(platform::HDC dc) override;
    void OnNcCalcSize(bool calcValidRects, platform::SIZE& size) override;

private:
    std::string m_strGroup;
    bool m_bJoined = false;
};
