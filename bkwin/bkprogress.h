// A progress bar (`progress`): the fraction (value - min) / (max - min), value clamped to the
// range, drawn as a bar over a background (`bgskin` and `posskin`, or plain rounded shapes),
// with the percentage centred on it when `showpercent` is set.
#pragma once

#include <string>

#include "bkwin/bkwnd.h"

class CBkProgress : public CBkWindow {
public:
    const char* GetObjectClass() const override { return "progress"; }
    bool SetAttribute(const std::string& name, const std::string& value, bool loading) override;

    // 0 to 1; 0 when max = min. A range given the wrong way round is read the right way.
    double GetFraction() const;
    // The text shown with `showpercent`: "%d%%" of the fraction.
    std::u16string GetPercentText() const;
    void SetValue(int value);
    int GetValue() const { return m_nValue; }

protected:
    void OnPaint(platform::HDC dc) override;
    void OnNcCalcSize(bool calcValidRects, platform::SIZE& size) override;

private:
    int m_nMin = 0;
    int m_nMax = 0;
    int m_nValue = 0;
    int m_bShowPercent = 0;
    std::string m_strBgSkin;
    std::string m_strPosSkin;
};
