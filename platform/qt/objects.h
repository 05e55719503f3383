// The objects behind the drawing handles of platform/gdi.h and platform/font.h, shared by the
// Qt side of the platform layer. Not for use outside platform/.
#pragma once

#include <QFont>
#include <QImage>
#include <QRegion>

class QPainter;

#include <cmath>
#include <optional>
#include <vector>

#include "platform/font.h"
#include "platform/gdi.h"
#include "platform/window.h"

namespace platform {

// A bitmap: a QImage of Format_RGB32 (compatible bitmaps, alpha kept 0xFF) or Format_ARGB32
// (straight alpha: DIB sections and bitmaps from RGBA pictures). Monochrome bitmaps are
// Format_RGB32 holding only black and white.
//
// A bitmap may hold more device pixels than its logical size: a window surface, and the bitmaps
// made compatible with it, carry the screen's device pixel ratio (`scale`), so that text,
// lines and pictures are drawn at the screen's own resolution. Callers always work in logical
// pixels; logical edge e lies at device pixel round(e * scale). At scale 1 both are the same.
struct HBITMAP__ {
    QImage image;     // device pixels
    QSize logical;    // the size callers see
    double scale = 1.0;
    bool mono = false;
    bool stock = false;
    bool dib = false;
    int bpp = 32;         // 1, 24 (from RGB pictures) or 32, as GetObject reports
    int owners = 1;       // the handle's owner (user or window) until released
    int selectCount = 0;  // DCs it is selected into
};

struct HPEN__ {
    int style = PS_SOLID;
    int width = 1;
    COLORREF color = 0;
    bool stock = false;
    int selectCount = 0;
};

struct HBRUSH__ {
    COLORREF color = 0;
    bool null = false;
    bool stock = false;
    int selectCount = 0;
};

struct HFONT__ {
    LOGFONTW lf;
    QFont font;
    int ascent = 0;
    int descent = 0;
    int height = 0;
    int averageCharWidth = 0;
    int maxCharWidth = 0;
    bool stock = false;
    int selectCount = 0;
};

struct HRGN__ {
    QRegion region;
};

struct HICON__ {
    QImage image;        // ARGB32_Premultiplied, device pixels
    double scale = 1.0;  // device pixels per logical pixel
};

struct HIMAGE__ {
    QImage image;      // ARGB32_Premultiplied, device pixels
    QSize logical;     // the size callers see
    double scale = 1.0;
};

struct HDC__ {
    HBITMAP bitmap = nullptr;
    HFONT font = nullptr;
    HPEN pen = nullptr;
    HBRUSH brush = nullptr;
    COLORREF textColor = 0;
    COLORREF bkColor = 0xFFFFFF;
    int bkMode = OPAQUE;
    std::optional<QRegion> clip;        // SelectClipRgn and friends
    std::optional<QRegion> systemClip;  // BeginPaint's invalid region
    POINT position;
    HWND window = nullptr;  // for window DCs
    bool memory = false;
    bool screen = false;
    // The device pixel ratio of bitmaps made compatible with this DC while it holds a stock
    // bitmap (a fresh memory DC, the screen DC).
    double scale = 1.0;
};

namespace qtdetail {

// 0xAARRGGBB pixel of a COLORREF (alpha 0xFF).
inline uint32_t pixelOf(COLORREF c) {
    return 0xFF000000u | (static_cast<uint32_t>(GetRValue(c)) << 16) | (static_cast<uint32_t>(GetGValue(c)) << 8) |
           GetBValue(c);
}
inline COLORREF colorOf(uint32_t pixel) {
    return RGB(static_cast<BYTE>(pixel >> 16), static_cast<BYTE>(pixel >> 8), static_cast<BYTE>(pixel));
}
// Black or white, whichever is nearer (monochrome bitmaps).
inline uint32_t monoOf(uint32_t pixel) {
    const int r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF, b = pixel & 0xFF;
    return (r * 299 + g * 587 + b * 114) >= 128 * 1000 ? 0xFFFFFFFFu : 0xFF000000u;
}

// Makes a bitmap object of width x height logical pixels at `scale` device pixels per logical
// pixel; null when a side is <= 0 or the area is too large.
HBITMAP newBitmap(int width, int height, bool mono, bool alpha, double scale = 1.0);

// Logical to device pixels: an edge, a rectangle (its edges mapped, so that neighbours stay
// neighbours) and a region.
inline int toDevice(int edge, double scale) { return DeviceEdge(edge, scale); }
QRect toDevice(const QRect& logical, double scale);
QRegion toDevice(const QRegion& logical, double scale);
// The device pixel ratio of what is drawn through `hdc`: its bitmap's, or for a stock bitmap
// the DC's own.
double deviceScale(HDC hdc);
// The device pixel ratio of the application's screen (1 without a GUI application).
double screenScale();
// Drops one owner; frees the bitmap when neither an owner nor a DC holds it.
void releaseBitmap(HBITMAP bitmap);
// Drops one DC selection; frees the bitmap when neither an owner nor a DC holds it.
void unselectBitmap(HBITMAP bitmap);
// The DC of GetDC(nullptr): a 1 x 1 colour bitmap, for compatible bitmaps.
HDC newScreenDC();
// A DC drawing on a window surface (window DCs).
HDC newSurfaceDC(HWND hwnd, HBITMAP surface);

// The region of the DC's bitmap that drawing may touch (bitmap bounds, system clip, clip), in
// logical pixels, and the same in device pixels of the bitmap.
QRegion logicalDrawableRegion(HDC hdc);
QRegion drawableRegion(HDC hdc);
// After QPainter drew on a monochrome bitmap: turns the pixels in `area` (logical pixels) to
// black or white.
void requantize(HDC hdc, const QRect& area);

// The Qt font of a font handle (the stock font for null).
const HFONT__& fontOf(HFONT font);
HFONT stockGuiFont();

// A painter on the DC's bitmap, clipped to its drawable region and working in logical pixels.
void beginLogicalPainter(QPainter& painter, HDC hdc);
// The same clipped to `logicalClip` (logical pixels) instead.
void beginLogicalPainter(QPainter& painter, HDC hdc, const QRegion& logicalClip);

// Called by window DCs when drawing finished (ReleaseDC / EndPaint).
void surfaceChanged(HWND hwnd, const QRect& area);

}  // namespace qtdetail
}  // namespace platform
