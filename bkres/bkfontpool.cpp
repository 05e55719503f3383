#include "bkres/bkfontpool.h"

using namespace platform;

BkFontPool::BkFontPool() {
    GetObject(GetStockFont(DEFAULT_GUI_FONT), &m_lfBase);
    SetFaceName(m_lfBase, u"Tahoma");
    m_lfBase.lfHeight = -11;
    m_lfBase.lfQuality = ANTIALIASED_QUALITY;
    m_mapFonts[0] = Create(0);
}

BkFontPool::~BkFontPool() {
    for (auto& [code, font] : m_mapFonts) DeleteObject(font);
    for (HFONT font : m_retiredFonts) DeleteObject(font);
}

BkFontPool& BkFontPool::Instance() {
    static BkFontPool pool;
    return pool;
}

HFONT BkFontPool::Create(uint16_t code) const {
    LOGFONTW lf = m_lfBase;
    lf.lfWeight = (code & 4) ? FW_BOLD : FW_NORMAL;
    lf.lfUnderline = (code & 2) ? 1 : 0;
    lf.lfItalic = (code & 1) ? 1 : 0;
    const int increase = static_cast<int8_t>(code >> 8);
    lf.lfHeight -= increase;  // the height is negative: a character height
    return CreateFontIndirect(&lf);
}

HFONT BkFontPool::GetFont(uint16_t code) {
    BkFontPool& pool = Instance();
    auto it = pool.m_mapFonts.find(code);
    if (it != pool.m_mapFonts.end()) return it->second;
    HFONT font = pool.Create(code);
    pool.m_mapFonts[code] = font;
    return font;
}

HFONT BkFontPool::GetFont(bool bold, bool underline, bool italic, int sizeIncrease) {
    const uint16_t code = static_cast<uint16_t>((sizeIncrease & 0xFF) << 8 | (bold ? 4 : 0) | (underline ? 2 : 0) |
                                                (italic ? 1 : 0));
    return GetFont(code);
}

void BkFontPool::SetDefaultFont(const std::u16string& face, int height) {
    BkFontPool& pool = Instance();
    SetFaceName(pool.m_lfBase, face);
    pool.m_lfBase.lfHeight = height;
    auto it = pool.m_mapFonts.find(0);
    HFONT old = it != pool.m_mapFonts.end() ? it->second : nullptr;
    pool.m_mapFonts[0] = pool.Create(0);
    // Styles and elements made earlier may still hold the old handle: it stays valid until
    // the pool ends instead of being deleted under them.
    if (old) pool.m_retiredFonts.push_back(old);
}

const LOGFONTW& BkFontPool::GetBaseFont() { return Instance().m_lfBase; }
