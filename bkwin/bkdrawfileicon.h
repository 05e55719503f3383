// A file's icon (`iconfrommodule`): the icon of the file `srcfile`, large (32) or with
// `issmall` small (16), drawn stretched to the rectangle. On this platform a file's icon is
// the picture the file holds when it is a PNG icon image; other files have none and nothing is
// drawn. The icon is loaded once per path. The owner code may hand over an icon instead
// (SetIcon, or `iconhandle` through SetAttribute after loading; read while loading it is
// ignored, so a number in a layout never becomes a pointer).
#pragma once

#include <string>

#include "bkwin/bkwnd.h"

class CBkDrawFileIcon : public CBkWindow {
public:
    ~CBkDrawFileIcon() override;

    const char* GetObjectClass() const override { return "iconfrommodule"; }
    bool SetAttribute(const std::string& name, const std::string& value, bool loading) override;

    // The icon stays the caller's.
    void SetIcon(platform::HICON icon);
    // The icon drawn now (loading the file's icon when the path changed), or null.
    platform::HICON GetIcon();

protected:
    void OnPaint(platform::HDC dc) override;
    void OnNcCalcSize(bool calcValidRects, platform::SIZE& size) override;
    void OnDestroy() override;

private:
    void ReleaseFileIcon();

    std::string m_strSrcFile;                // srcfile (UTF-8 path)
    std::string m_strLoadedFile;             // the path m_hFileIcon came from
    platform::HICON m_hFileIcon = nullptr;   // ours
    platform::HICON m_hGivenIcon = nullptr;  // iconhandle: the owner's
    int m_bSmall = 0;                        // issmall
};
