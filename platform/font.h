// Fonts: a logical font description as in GDI (LOGFONTW), created into a font handle that DCs
// and controls use. Face names that are not installed are matched through fontconfig: CJK faces
// ("微软雅黑", "Microsoft YaHei", "宋体", "SimSun", ...) to the installed CJK sans (WenQuanYi Micro
// Hei), Latin faces ("Tahoma", "MS Shell Dlg", "Arial", ...) to the default sans (DejaVu Sans).
// Every font falls back to the CJK sans for characters its face lacks.
#pragma once

#include <string>
#include <string_view>

#include "platform/types.h"

namespace platform {

struct HFONT__;
using HFONT = HFONT__*;

inline constexpr int LF_FACESIZE = 32;

inline constexpr LONG FW_DONTCARE = 0;
inline constexpr LONG FW_NORMAL = 400;
inline constexpr LONG FW_BOLD = 700;

inline constexpr BYTE DEFAULT_CHARSET = 1;
inline constexpr BYTE GB2312_CHARSET = 134;

inline constexpr BYTE DEFAULT_QUALITY = 0;
inline constexpr BYTE NONANTIALIASED_QUALITY = 3;
inline constexpr BYTE ANTIALIASED_QUALITY = 4;
inline constexpr BYTE CLEARTYPE_QUALITY = 5;

// GDI's logical font. lfHeight < 0: character height (em size) of -lfHeight pixels;
// lfHeight > 0: cell height (ascent + descent) of lfHeight pixels; 0: 12-pixel characters.
// lfWeight >= 600 draws bold. lfQuality NONANTIALIASED_QUALITY draws without antialiasing,
// anything else with it. lfFaceName is zero-terminated.
struct LOGFONTW {
    LONG lfHeight = 0;
    LONG lfWidth = 0;
    LONG lfEscapement = 0;
    LONG lfOrientation = 0;
    LONG lfWeight = FW_NORMAL;
    BYTE lfItalic = 0;
    BYTE lfUnderline = 0;
    BYTE lfStrikeOut = 0;
    BYTE lfCharSet = DEFAULT_CHARSET;
    BYTE lfOutPrecision = 0;
    BYTE lfClipPrecision = 0;
    BYTE lfQuality = DEFAULT_QUALITY;
    BYTE lfPitchAndFamily = 0;
    char16_t lfFaceName[LF_FACESIZE] = {};
};

// Copies `face` into lf.lfFaceName, cut to 31 characters.
void SetFaceName(LOGFONTW& lf, std::u16string_view face);
std::u16string GetFaceName(const LOGFONTW& lf);

// GDI's TEXTMETRIC, the fields this layer fills.
struct TEXTMETRIC {
    LONG tmHeight = 0;  // ascent + descent: the line height DrawText uses
    LONG tmAscent = 0;
    LONG tmDescent = 0;
    LONG tmInternalLeading = 0;
    LONG tmExternalLeading = 0;
    LONG tmAveCharWidth = 0;
    LONG tmMaxCharWidth = 0;
    LONG tmWeight = 0;
    BYTE tmItalic = 0;
    BYTE tmUnderlined = 0;
};

HFONT CreateFontIndirect(const LOGFONTW* lf);
// The description the font was created from.
bool GetObject(HFONT font, LOGFONTW* out);
bool DeleteObject(HFONT font);

inline constexpr int DEFAULT_GUI_FONT = 17;
// DEFAULT_GUI_FONT: "Tahoma", height -11, normal weight. Unknown indexes give null.
HFONT GetStockFont(int index);

// The installed family a face name is drawn with (for tests and diagnostics).
std::u16string ResolveFontFamily(std::u16string_view face);

}  // namespace platform
