// The process-wide font pool: fonts by 16-bit font code, made from one base description.
// Font code: high byte a signed size increase in pixels; bit 2 bold, bit 1 underline, bit 0
// italic ("0A04": bold, 10 pixels taller).
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/font.h"

class BkFontPool {
public:
    // The font of `code`, created on first use from the base description.
    static platform::HFONT GetFont(uint16_t code);
    static platform::HFONT GetFont(bool bold, bool underline, bool italic, int sizeIncrease);

    // Replaces the base face and height and re-creates the font of code 0; fonts of other
    // codes made earlier keep the old description (so call this before loading styles). The
    // old code-0 handle stays valid for whoever still holds it.
    static void SetDefaultFont(const std::u16string& face, int height);

    // The base description (face "Tahoma", height -11, antialiased, until changed).
    static const platform::LOGFONTW& GetBaseFont();

private:
    BkFontPool();
    ~BkFontPool();
    static BkFontPool& Instance();
    platform::HFONT Create(uint16_t code) const;

    platform::LOGFONTW m_lfBase;
    std::map<uint16_t, platform::HFONT> m_mapFonts;
    std::vector<platform::HFONT> m_retiredFonts;  // replaced code-0 fonts, deleted at the end
};
