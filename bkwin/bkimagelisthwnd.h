// A horizontal image list (`imglisth`): `imagecount` skins side by side from the left, image i
// drawn with the skin named under key "skin<i>" in `skinlist` and the sub-image under "sub<i>"
// in `sublist` (lists of key=value pairs separated by commas, semicolons or spaces); `skin`
// and `sub` are used where a list has no entry. Each image starts after the previous one's
// width.
#pragma once

#include <map>
#include <string>

#include "bkwin/bkwnd.h"

class CBkImageListHWnd : public CBkWindow {
public:
    const char* GetObjectClass() const override { return "imglisth"; }
    bool SetAttribute(const std::string& name, const std::string& value, bool loading) override;

    int GetImageCount() const { return m_nImageCount; }
    std::string GetSkinName(int index) const;
    int GetSubImage(int index) const;

protected:
    void OnPaint(platform::HDC dc) override;
    void OnNcCalcSize(bool calcValidRects, platform::SIZE& size) override;

private:
    int m_nImageCount = 0;
    std::string m_strSkin;                         // skin
    int m_nSub = -1;                               // sub
    std::map<std::string, std::string> m_mapSkin;  // skinlist
    std::map<std::string, int> m_mapSub;           // sublist
};
