// The PNG skin (`png`): an image with its own transparency, optionally a strip of state images
// `subwidth` wide, drawn at natural size.
#pragma once

#include "bkwin/bkskin.h"
#include "bkres/bkpngpool.h"

class CBkPngSkin : public CBkSkinBase {
public:
    const char* GetObjectClass() const override { return "png"; }
    bool Load(const TiXmlElement* element) override;
    bool SetAttribute(const std::string& name, const std::string& value, bool loading) override;
    void Draw(HDC dc, const RECT& rect, int state) override;
    SIZE GetSkinSize() const override;
    bool IgnoreState() const override { return m_nSubImageWidth == 0; }

private:
    HIMAGE m_image = nullptr;   // owned by BkPngPool
    unsigned m_nSrc = 0;
    int m_nSubImageWidth = 0;
};
