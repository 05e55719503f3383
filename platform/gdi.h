// Drawing: device contexts, bitmaps, pens, brushes, regions, images with alpha, icons, text
// drawing and measuring, with the meaning of their GDI / msimg32 / GDI+ counterparts.
//
// A device context (HDC) is a painter over one bitmap: a memory bitmap selected into a memory
// DC, or the kept surface of a window (GetDC / BeginPaint). It holds the selected bitmap, font,
// pen and brush, the text colour (black), background colour (white), background mode (OPAQUE)
// and a clip region (none). Colours are COLORREF (red in the low byte). Coordinates are pixels
// of the selected bitmap; nothing is drawn outside it or outside the clip region.
//
// Handles are owned by the caller and released with DeleteDC / DeleteObject / DestroyIcon /
// DeleteImage, as in GDI. An object still selected into a DC is not deleted: DeleteObject
// returns false and leaves it alone. Stock objects ignore DeleteObject. All calls accept null
// handles and then do nothing (returning 0 / false / null).
//
// Everything here is for the user-interface thread only.
#pragma once

#include <cmath>
#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/font.h"
#include "platform/types.h"

namespace platform {

struct RgbImage;
struct RgbaImage;

struct HDC__;
struct HBITMAP__;
struct HPEN__;
struct HBRUSH__;
struct HRGN__;
struct HICON__;
struct HIMAGE__;
using HDC = HDC__*;
using HBITMAP = HBITMAP__*;
using HPEN = HPEN__*;
using HBRUSH = HBRUSH__*;
using HRGN = HRGN__*;
using HICON = HICON__*;
// A decoded picture with straight alpha, drawn with its own transparency (the GDI+ image).
using HIMAGE = HIMAGE__*;

// ---------------------------------------------------------------------------------------------
// Device contexts.

// A memory DC compatible with `hdc` (or with the screen when null). It starts with a 1 x 1
// monochrome bitmap selected, as in GDI.
HDC CreateCompatibleDC(HDC hdc);
bool DeleteDC(HDC hdc);

// A DC on the screen (hdc of GetDC(nullptr)): 32 bits per pixel, for compatible bitmaps only;
// drawing on it draws nothing visible. Release with ReleaseDC(nullptr, hdc).
// Window DCs are in platform/window.h (GetDC, ReleaseDC, BeginPaint, EndPaint).

inline constexpr int BITSPIXEL = 12;
inline constexpr int PLANES = 14;
inline constexpr int HORZRES = 8;
inline constexpr int VERTRES = 10;
inline constexpr int LOGPIXELSX = 88;
inline constexpr int LOGPIXELSY = 90;
// BITSPIXEL: 1 or 32 for the selected bitmap; HORZRES / VERTRES: its size; LOGPIXELS*: 96.
int GetDeviceCaps(HDC hdc, int index);

// ---------------------------------------------------------------------------------------------
// Bitmaps. A colour bitmap is 32 bits per pixel (the top byte is alpha, kept as given by
// CreateDIBSection32 / CreateBitmapFromRgba and 0xFF otherwise); a monochrome bitmap is 1 bit
// per pixel: drawing on it makes each pixel black or white (nearer of the two).

// GDI's BITMAP record, as GetObject fills it.
struct BITMAP {
    LONG bmType = 0;
    LONG bmWidth = 0;
    LONG bmHeight = 0;
    LONG bmWidthBytes = 0;
    WORD bmPlanes = 1;
    WORD bmBitsPixel = 0;
    void* bmBits = nullptr;  // only for CreateDIBSection32 bitmaps
};

// A bitmap like the one selected into `hdc`: monochrome when that DC holds a monochrome bitmap
// (a fresh memory DC does), else 32 bits. Starts black. Null when a side is <= 0 or too large
// (more than 2^26 pixels).
HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height);
// bitsPerPixel 1 gives a monochrome bitmap, anything else a 32-bit one. `bits`, when not null,
// holds rows of the given depth, each padded to 16 bits (GDI's rule for CreateBitmap);
// otherwise it starts black.
HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits);
// A top-down 32-bit bitmap whose pixels (B, G, R, A bytes; rows of width*4 bytes, no padding)
// the caller may read and write through *bits while it lives (CreateDIBSection with a negative
// height and BI_RGB). Starts all zero.
HBITMAP CreateDIBSection32(int width, int height, void** bits);
// A 32-bit bitmap holding `image` (alpha 0xFF) / `image` with its alpha. With `scale` > 1 the
// picture's pixels are the bitmap's device pixels and its logical size is the picture's divided
// by `scale` (a screenshot of a screen at that scale, shown pixel for pixel).
HBITMAP CreateBitmapFromRgb(const RgbImage& image, double scale = 1.0);
HBITMAP CreateBitmapFromRgba(const RgbaImage& image);
// The pixels of a bitmap as RGB (monochrome as black and white): its device pixels, more than
// its logical size for a bitmap made at a screen scale above 1. False for a null handle.
bool BitmapToRgbImage(HBITMAP bitmap, RgbImage& out);
bool GetObject(HBITMAP bitmap, BITMAP* out);
HBITMAP SelectObject(HDC hdc, HBITMAP bitmap);
bool DeleteObject(HBITMAP bitmap);
// The bitmap currently selected into hdc.
HBITMAP GetCurrentBitmap(HDC hdc);

// ---------------------------------------------------------------------------------------------
// Pens, brushes, fonts in a DC.

inline constexpr int PS_SOLID = 0;
inline constexpr int PS_DASH = 1;        // 18 on, 6 off
inline constexpr int PS_DOT = 2;         // 3 on, 3 off
inline constexpr int PS_DASHDOT = 3;     // 9 on, 6 off, 3 on, 6 off
inline constexpr int PS_DASHDOTDOT = 4;  // 9, 3, 3, 3, 3, 3
inline constexpr int PS_NULL = 5;

// Styled pens wider than one pixel draw solid, as in GDI.
HPEN CreatePen(int style, int width, COLORREF color);
HPEN SelectObject(HDC hdc, HPEN pen);
bool DeleteObject(HPEN pen);

HBRUSH CreateSolidBrush(COLORREF color);
HBRUSH SelectObject(HDC hdc, HBRUSH brush);
bool DeleteObject(HBRUSH brush);

HFONT SelectObject(HDC hdc, HFONT font);
// The font selected into hdc (the stock DEFAULT_GUI_FONT until one is selected).
HFONT GetCurrentFont(HDC hdc);

inline constexpr int WHITE_BRUSH = 0;
inline constexpr int LTGRAY_BRUSH = 1;
inline constexpr int GRAY_BRUSH = 2;
inline constexpr int DKGRAY_BRUSH = 3;
inline constexpr int BLACK_BRUSH = 4;
inline constexpr int NULL_BRUSH = 5;
inline constexpr int HOLLOW_BRUSH = NULL_BRUSH;
inline constexpr int WHITE_PEN = 6;
inline constexpr int BLACK_PEN = 7;
inline constexpr int NULL_PEN = 8;
// Stock objects (GetStockObject of GDI, split by type as windowsx.h does). A DC starts with
// the white brush, the black pen and DEFAULT_GUI_FONT selected. Unknown indexes give null.
HBRUSH GetStockBrush(int index);
HPEN GetStockPen(int index);

// ---------------------------------------------------------------------------------------------
// DC attributes.

inline constexpr int TRANSPARENT = 1;
inline constexpr int OPAQUE = 2;

COLORREF SetTextColor(HDC hdc, COLORREF color);  // returns the previous one
COLORREF GetTextColor(HDC hdc);
COLORREF SetBkColor(HDC hdc, COLORREF color);
COLORREF GetBkColor(HDC hdc);
int SetBkMode(HDC hdc, int mode);  // returns the previous mode, 0 on failure
int GetBkMode(HDC hdc);

// ---------------------------------------------------------------------------------------------
// Regions: sets of pixels made of rectangles. Combining and clipping are exact.

inline constexpr int RGN_ERROR = 0;  // GDI's ERROR
inline constexpr int NULLREGION = 1;
inline constexpr int SIMPLEREGION = 2;
inline constexpr int COMPLEXREGION = 3;

inline constexpr int RGN_AND = 1;
inline constexpr int RGN_OR = 2;
inline constexpr int RGN_XOR = 3;
inline constexpr int RGN_DIFF = 4;
inline constexpr int RGN_COPY = 5;

HRGN CreateRectRgn(int left, int top, int right, int bottom);
HRGN CreateRectRgnIndirect(const RECT* rect);
bool DeleteObject(HRGN region);
bool SetRectRgn(HRGN region, int left, int top, int right, int bottom);
// dst = src1 <op> src2 (src2 unused for RGN_COPY); dst may be one of the sources.
// Returns the region type of the result, or RGN_ERROR.
int CombineRgn(HRGN dst, HRGN src1, HRGN src2, int mode);
int OffsetRgn(HRGN region, int dx, int dy);
int GetRgnBox(HRGN region, RECT* box);
bool PtInRegion(HRGN region, int x, int y);
bool RectInRegion(HRGN region, const RECT* rect);
bool EqualRgn(HRGN a, HRGN b);
// The region as disjoint rectangles, in rows from the top (for tests and for copying).
std::vector<RECT> GetRegionRects(HRGN region);

// Clipping. SelectClipRgn copies the region (null removes clipping). Returns the region type.
int SelectClipRgn(HDC hdc, HRGN region);
int IntersectClipRect(HDC hdc, int left, int top, int right, int bottom);
int ExcludeClipRect(HDC hdc, int left, int top, int right, int bottom);
// The smallest rectangle around the drawable area (the bitmap, cut by the clip region).
int GetClipBox(HDC hdc, RECT* box);
// Copies the DC's clip region into `region`: 1 when there is one, 0 when there is none.
int GetClipRgn(HDC hdc, HRGN region);

// ---------------------------------------------------------------------------------------------
// Filling, pixels, lines, shapes.

bool FillRect(HDC hdc, const RECT* rect, HBRUSH brush);
// Fills with a colour without touching the DC's attributes (CDC::FillSolidRect).
void FillSolidRect(HDC hdc, const RECT* rect, COLORREF color);
bool FillRgn(HDC hdc, HRGN region, HBRUSH brush);
// Outlines with a one-pixel frame of the brush (GDI's FrameRect).
bool FrameRect(HDC hdc, const RECT* rect, HBRUSH brush);

COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color);  // the colour set, or CLR_INVALID
COLORREF GetPixel(HDC hdc, int x, int y);                  // CLR_INVALID outside the bitmap

// The current position; LineTo draws from it with the selected pen, leaving out the end point,
// and makes the end point current.
bool MoveToEx(HDC hdc, int x, int y, POINT* previous);
bool LineTo(HDC hdc, int x, int y);
// Outline with the selected pen (drawn inside left..right-1, top..bottom-1 for one-pixel pens)
// and interior filled with the selected brush.
bool Rectangle(HDC hdc, int left, int top, int right, int bottom);
// The same with corners rounded by an ellipse of ellipseWidth x ellipseHeight.
bool RoundRect(HDC hdc, int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight);

// ---------------------------------------------------------------------------------------------
// Block transfers. Raster operations: the destination pixel becomes f(source, destination).

inline constexpr DWORD SRCCOPY = 0x00CC0020;
inline constexpr DWORD SRCPAINT = 0x00EE0086;   // src | dst
inline constexpr DWORD SRCAND = 0x008800C6;     // src & dst
inline constexpr DWORD SRCINVERT = 0x00660046;  // src ^ dst
inline constexpr DWORD NOTSRCCOPY = 0x00330008;
inline constexpr DWORD DSTINVERT = 0x00550009;
inline constexpr DWORD PATCOPY = 0x00F00021;    // the selected brush
inline constexpr DWORD BLACKNESS = 0x00000042;
inline constexpr DWORD WHITENESS = 0x00FF0062;

// Between colour and monochrome bitmaps, GDI's rules apply: copying colour to monochrome makes
// source pixels equal to the source DC's background colour white and all others black; copying
// monochrome to colour makes black the destination DC's text colour and white its background
// colour. `src` and `dst` may be the same DC (overlapping copies are correct).
bool BitBlt(HDC dst, int x, int y, int width, int height, HDC src, int srcX, int srcY, DWORD rop);
// Stretches the source rectangle onto the destination rectangle by nearest neighbour (each
// destination pixel takes the source pixel under its position, GDI's COLORONCOLOR; the default
// mode of this layer). Negative widths or heights mirror.
bool StretchBlt(HDC dst, int x, int y, int width, int height, HDC src, int srcX, int srcY, int srcWidth,
                int srcHeight, DWORD rop);
bool PatBlt(HDC hdc, int x, int y, int width, int height, DWORD rop);

// Stretches like StretchBlt (SRCCOPY), leaving out source pixels of colour `transparent`
// (msimg32's TransparentBlt: the colour-key copy).
bool TransparentBlt(HDC dst, int x, int y, int width, int height, HDC src, int srcX, int srcY, int srcWidth,
                    int srcHeight, COLORREF transparent);

// Blends a 32-bit source with straight (not premultiplied) alpha at natural size:
// dst = (dst * (255 - a) + src * a) / 255 per channel. Draws nothing when the source bitmap is
// not 32 bits. Returns false then.
bool AlphaBlendStraight(HDC dst, int x, int y, int width, int height, HDC src, int srcX, int srcY);

// msimg32's gradient records. Channels are 16 bits (an 8-bit value shifted left by 8).
struct TRIVERTEX {
    LONG x = 0;
    LONG y = 0;
    uint16_t Red = 0;
    uint16_t Green = 0;
    uint16_t Blue = 0;
    uint16_t Alpha = 0;
};
struct GRADIENT_RECT {
    UINT UpperLeft = 0;
    UINT LowerRight = 1;
};
inline constexpr UINT GRADIENT_FILL_RECT_H = 0;
inline constexpr UINT GRADIENT_FILL_RECT_V = 1;
// Fills each rectangle between its two vertices with a linear blend from the upper-left
// vertex's colour (first column / row) towards the lower-right's, left to right (H) or top to
// bottom (V): pixel i of n gets c0 + (c1 - c0) * i / n per channel.
bool GradientFill(HDC hdc, const TRIVERTEX* vertices, UINT vertexCount, const GRADIENT_RECT* rects,
                  UINT rectCount, UINT mode);
// The same for one rectangle with two COLORREFs.
bool GradientFillRect(HDC hdc, const RECT* rect, COLORREF from, COLORREF to, bool vertical);

// Copies `image` stretched onto the destination rectangle by nearest neighbour (StretchDIBits
// with SRCCOPY).
bool StretchRgbImage(HDC dst, int x, int y, int width, int height, const RgbImage& image);

// ---------------------------------------------------------------------------------------------
// Images with alpha (what GDI+ does for the PNG pool).

// Decodes PNG bytes keeping their alpha; null when they do not decode.
HIMAGE CreateImageFromPng(const uint8_t* data, size_t size);
// With `scale` > 1 the picture's pixels are the image's device pixels and its logical size is
// the picture's divided by `scale` (art made for a dense screen), as for CreateBitmapFromRgb.
HIMAGE CreateImageFromRgba(const RgbaImage& image, double scale = 1.0);
void DeleteImage(HIMAGE image);
// The image's logical size.
int GetImageWidth(HIMAGE image);
int GetImageHeight(HIMAGE image);
// Draws the source rectangle of the image at (x, y) at natural size, composed over the
// destination with the image's own transparency (source over). Rectangles are logical; where
// the image's and the destination's device pixels agree in size they are copied one for one.
bool DrawImage(HDC hdc, HIMAGE image, int x, int y, int srcX, int srcY, int srcWidth, int srcHeight);
// Draws the whole image at natural size.
bool DrawImage(HDC hdc, HIMAGE image, int x, int y);

// ---------------------------------------------------------------------------------------------
// Icons.

inline constexpr int IDI_APPLICATION = 32512;
inline constexpr int IDI_HAND = 32513;         // error: white cross on red
inline constexpr int IDI_QUESTION = 32514;     // question mark on blue
inline constexpr int IDI_EXCLAMATION = 32515;  // exclamation mark on yellow
inline constexpr int IDI_ASTERISK = 32516;     // information: "i" on blue
inline constexpr int IDI_ERROR = IDI_HAND;
inline constexpr int IDI_WARNING = IDI_EXCLAMATION;
inline constexpr int IDI_INFORMATION = IDI_ASTERISK;

// The screen's device pixels per logical pixel (1 on a plain screen; 1.25, 1.5, 2 on denser ones
// or under QT_SCALE_FACTOR). Window surfaces and the bitmaps made compatible with them hold
// that many device pixels per logical pixel, so that what is drawn on them is drawn at the
// screen's resolution; every call here still takes logical pixels.
double GetScreenScale();
// The device pixel at which logical edge `edge` lies on a bitmap of that scale: round(edge *
// scale), so that neighbouring rectangles stay neighbours at 1.25 and 1.5.
inline int DeviceEdge(int edge, double scale) {
    return scale == 1.0 ? edge : static_cast<int>(std::floor(edge * scale + 0.5));
}

// A system icon drawn by this layer at `size` logical pixels square, at the screen's scale;
// null for unknown ids.
HICON LoadSystemIcon(int id, int size);
// An icon from a picture with alpha (the program's icons come from its resources this way);
// `scale` > 1 when the picture holds that many pixels per logical pixel of the icon.
HICON CreateIconFromRgba(const RgbaImage& image, double scale = 1.0);
HICON CreateIconFromPng(const uint8_t* data, size_t size);
bool DestroyIcon(HICON icon);
// The icon's own size (logical pixels).
SIZE GetIconSize(HICON icon);
// Draws the icon stretched (smoothly) to width x height at (x, y); 0 means its own size.
bool DrawIconEx(HDC hdc, int x, int y, HICON icon, int width, int height);

// ---------------------------------------------------------------------------------------------
// Check-box and radio marks in this layer's own look (the theme's BUTTON parts).

inline constexpr int BP_RADIOBUTTON = 2;
inline constexpr int BP_CHECKBOX = 3;
// States 1-4: unchecked normal, hot, pressed, disabled; 5-8: the same, checked.
inline constexpr int CBS_UNCHECKEDNORMAL = 1;
inline constexpr int CBS_UNCHECKEDHOT = 2;
inline constexpr int CBS_UNCHECKEDPRESSED = 3;
inline constexpr int CBS_UNCHECKEDDISABLED = 4;
inline constexpr int CBS_CHECKEDNORMAL = 5;
inline constexpr int CBS_CHECKEDHOT = 6;
inline constexpr int CBS_CHECKEDPRESSED = 7;
inline constexpr int CBS_CHECKEDDISABLED = 8;
inline constexpr int RBS_UNCHECKEDNORMAL = 1;
inline constexpr int RBS_CHECKEDNORMAL = 5;
// Draws a 13 x 13 check box or 12 x 12 radio mark centred in `rect`. The box is white with a
// grey-blue frame (hot: blue frame; pressed: light-blue fill; disabled: grey frame, grey fill);
// checked adds a dark-blue tick or dot (grey when disabled). False for an unknown part or state.
bool DrawButtonMark(HDC hdc, int part, int state, const RECT* rect);

// ---------------------------------------------------------------------------------------------
// Text. Text is UTF-16. Glyphs come from the selected font with fallback to the installed CJK
// font, so Chinese text renders whatever font is selected. Text is drawn in the text colour; in
// OPAQUE mode each line's cell is first filled with the background colour.

// Draws `text` (count characters, or up to a zero when count is -1) in `rect` with the DrawText
// flags of types.h:
// - lines break at CR LF, LF or CR, unless DT_SINGLELINE (then line breaks read as nothing);
// - DT_WORDBREAK wraps lines at spaces and between CJK characters so that they fit the
//   rectangle's width; a word wider than the rectangle is broken between characters; spaces at
//   a wrap are dropped;
// - DT_CENTER / DT_RIGHT align each line; DT_VCENTER / DT_BOTTOM place a single line
//   (DT_SINGLELINE) vertically, otherwise lines start at the top;
// - DT_EXPANDTABS expands tabs to stops every 8 average character widths; DT_TABSTOP expands
//   them to stops every (format >> 8) & 0xFF characters. The flags of that byte (DT_NOPREFIX,
//   DT_CALCRECT, ...) keep their meaning too, so 0x88A5 draws without prefix processing;
// - without DT_NOPREFIX, "&x" draws x underlined and "&&" draws "&";
// - DT_END_ELLIPSIS cuts a line that does not fit and ends it with "...";
// - DT_EDITCONTROL leaves out a last line that would be only partly visible;
// - without DT_NOCLIP, drawing is clipped to the rectangle;
// - DT_CALCRECT draws nothing and sets rect's right and bottom to the extent of the laid-out
//   text (right = left + widest line, bottom = top + line count x line height), keeping left and
//   top.
// Returns the height of the text (line count x line height), 0 on failure.
int DrawText(HDC hdc, const char16_t* text, int count, RECT* rect, UINT format);
int DrawText(HDC hdc, std::u16string_view text, RECT* rect, UINT format);

// Draws one line at (x, y) (the top-left of its cell), no wrapping, no prefix handling.
bool TextOut(HDC hdc, int x, int y, std::u16string_view text);
// Width and height (line height) of the text drawn in one line with the selected font.
bool GetTextExtentPoint32(HDC hdc, std::u16string_view text, SIZE* size);
// As GetTextExtentPoint32; also counts how many leading UTF-16 units fit within maxExtent
// (*fit, never splitting a surrogate pair) and, when partialWidths is not null, fills it with
// one entry per unit: the width of units 0..i (both units of a pair get the width with the pair).
// Widths here are sums of character advances (the font is not kerned).
bool GetTextExtentExPoint(HDC hdc, std::u16string_view text, int maxExtent, int* fit, std::vector<int>* partialWidths,
                          SIZE* size);
// Metrics of the selected font (see platform/font.h).
bool GetTextMetrics(HDC hdc, TEXTMETRIC* metrics);

}  // namespace platform
