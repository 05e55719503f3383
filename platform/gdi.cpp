// Device contexts, bitmaps, pens, brushes, regions, fills, lines and block transfers.
#include "platform/gdi.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QPainterPath>

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/imaging.h"
#include "platform/qt/objects.h"

namespace platform {

namespace {

constexpr int64_t kMaxBitmapPixels = int64_t{1} << 26;

HBITMAP stockMonoBitmap() {
    static HBITMAP b = [] {
        HBITMAP bm = qtdetail::newBitmap(1, 1, true, false);
        bm->stock = true;
        return bm;
    }();
    return b;
}

HBITMAP stockColorBitmap() {
    static HBITMAP b = [] {
        HBITMAP bm = qtdetail::newBitmap(1, 1, false, false);
        bm->stock = true;
        return bm;
    }();
    return b;
}

HBRUSH makeStockBrush(COLORREF c, bool null) {
    auto* b = new HBRUSH__;
    b->color = c;
    b->null = null;
    b->stock = true;
    return b;
}

HPEN makeStockPen(int style, COLORREF c) {
    auto* p = new HPEN__;
    p->style = style;
    p->color = c;
    p->stock = true;
    return p;
}

QImage& image(HDC hdc) { return hdc->bitmap->image; }
bool isMono(HDC hdc) { return hdc->bitmap->mono; }

// The value stored for a colour pixel `p` in the DC's bitmap.
inline uint32_t storeValue(HDC hdc, uint32_t p) {
    if (isMono(hdc)) return qtdetail::monoOf(p);
    if (hdc->bitmap->image.format() == QImage::Format_RGB32) return p | 0xFF000000u;
    return p;
}

template <typename Fn>
void forEachClipRect(HDC hdc, const QRect& area, Fn&& fn) {
    const QRegion region = qtdetail::drawableRegion(hdc).intersected(area);
    for (const QRect& r : region) fn(r);
}

double scaleOf(HDC hdc) { return hdc->bitmap->scale; }
QRect deviceRect(HDC hdc, const QRect& logical) { return qtdetail::toDevice(logical, scaleOf(hdc)); }

// Fills a logical area.
void fillArea(HDC hdc, const QRect& area, COLORREF color) {
    const uint32_t v = storeValue(hdc, qtdetail::pixelOf(color));
    QImage& img = image(hdc);
    forEachClipRect(hdc, deviceRect(hdc, area), [&](const QRect& r) {
        for (int y = r.top(); y <= r.bottom(); ++y) {
            auto* row = reinterpret_cast<uint32_t*>(img.scanLine(y));
            std::fill(row + r.left(), row + r.right() + 1, v);
        }
    });
}

// A painter on the DC's bitmap clipped to its drawable region, in logical pixels.
class ClippedPainter {
public:
    explicit ClippedPainter(HDC hdc) : hdc_(hdc) { qtdetail::beginLogicalPainter(painter_, hdc); }
    ~ClippedPainter() {
        painter_.end();
        if (isMono(hdc_) && !touched_.isEmpty()) qtdetail::requantize(hdc_, touched_);
    }
    QPainter* operator->() { return &painter_; }
    QPainter& get() { return painter_; }
    void touched(const QRect& r) { touched_ = touched_.united(r); }

private:
    HDC hdc_;
    QPainter painter_;
    QRect touched_;
};

QRect rectOf(int l, int t, int r, int b) { return QRect(QPoint(l, t), QPoint(r - 1, b - 1)); }

// Dash patterns of one-pixel pens, in pixels on / off.
const std::vector<int>& dashPattern(int style) {
    static const std::vector<int> solid{};
    static const std::vector<int> dash{18, 6};
    static const std::vector<int> dot{3, 3};
    static const std::vector<int> dashDot{9, 6, 3, 6};
    static const std::vector<int> dashDotDot{9, 3, 3, 3, 3, 3};
    switch (style) {
        case PS_DASH: return dash;
        case PS_DOT: return dot;
        case PS_DASHDOT: return dashDot;
        case PS_DASHDOTDOT: return dashDotDot;
        default: return solid;
    }
}

// Sets logical pixel (x, y): at scale 1 one pixel, otherwise its block of device pixels.
void putPixelClipped(HDC hdc, const QRegion& drawable, int x, int y, uint32_t value) {
    const double s = scaleOf(hdc);
    if (s == 1.0) {
        if (!drawable.contains(QPoint(x, y))) return;
        reinterpret_cast<uint32_t*>(image(hdc).scanLine(y))[x] = value;
        return;
    }
    const QRect block = deviceRect(hdc, QRect(x, y, 1, 1));
    for (int dy = block.top(); dy <= block.bottom(); ++dy) {
        for (int dx = block.left(); dx <= block.right(); ++dx) {
            if (drawable.contains(QPoint(dx, dy))) reinterpret_cast<uint32_t*>(image(hdc).scanLine(dy))[dx] = value;
        }
    }
}

// A one-pixel line from (x0, y0) to (x1, y1) leaving out the end point (Bresenham).
void thinLine(HDC hdc, int x0, int y0, int x1, int y1, const HPEN__& pen) {
    const QRegion drawable = qtdetail::drawableRegion(hdc);
    const uint32_t on = storeValue(hdc, qtdetail::pixelOf(pen.color));
    const uint32_t off = storeValue(hdc, qtdetail::pixelOf(hdc->bkColor));
    const std::vector<int>& pattern = dashPattern(pen.style);
    int patternIndex = 0;
    int patternLeft = pattern.empty() ? 0 : pattern[0];
    const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    int x = x0, y = y0;
    while (!(x == x1 && y == y1)) {
        const bool drawOn = pattern.empty() || patternIndex % 2 == 0;
        if (drawOn) {
            putPixelClipped(hdc, drawable, x, y, on);
        } else if (hdc->bkMode == OPAQUE) {
            putPixelClipped(hdc, drawable, x, y, off);
        }
        if (!pattern.empty() && --patternLeft == 0) {
            patternIndex = (patternIndex + 1) % static_cast<int>(pattern.size());
            patternLeft = pattern[patternIndex];
        }
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
}

void penLine(HDC hdc, int x0, int y0, int x1, int y1) {
    const HPEN__& pen = *hdc->pen;
    if (pen.style == PS_NULL) return;
    if (pen.width <= 1) {
        thinLine(hdc, x0, y0, x1, y1, pen);
        return;
    }
    ClippedPainter p(hdc);
    QPen qpen(QColor::fromRgb(qtdetail::pixelOf(pen.color)));
    qpen.setWidth(pen.width);
    qpen.setCapStyle(Qt::RoundCap);
    p->setPen(qpen);
    p->drawLine(x0, y0, x1, y1);
    p.touched(QRect(QPoint(std::min(x0, x1), std::min(y0, y1)), QPoint(std::max(x0, x1), std::max(y0, y1)))
                  .adjusted(-pen.width, -pen.width, pen.width, pen.width));
}

int regionType(const QRegion& r) {
    if (r.isEmpty()) return NULLREGION;
    return r.rectCount() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

// --- Block transfers ---

uint32_t applyRop(DWORD rop, uint32_t s, uint32_t d) {
    switch (rop) {
        case SRCCOPY: return s;
        case SRCPAINT: return s | d;
        case SRCAND: return s & d;
        case SRCINVERT: return (s ^ d) | (d & 0xFF000000u);
        case NOTSRCCOPY: return (~s & 0x00FFFFFFu) | (s & 0xFF000000u);
        default: return s;
    }
}

bool knownRop(DWORD rop) {
    return rop == SRCCOPY || rop == SRCPAINT || rop == SRCAND || rop == SRCINVERT || rop == NOTSRCCOPY;
}

struct BlitRequest {
    int x, y, w, h;          // destination (w, h may be negative: mirror)
    int sx, sy, sw, sh;      // source (sw, sh may be negative: mirror)
    DWORD rop = SRCCOPY;
    bool keyed = false;
    COLORREF key = 0;
};

// Maps destination offset i (0..n-1) of a span of n onto a source offset of a span of m,
// sampling at pixel centres.
inline int mapSample(int i, int n, int m) {
    return static_cast<int>((static_cast<int64_t>(2 * i + 1) * m) / (2 * static_cast<int64_t>(n)));
}

bool blit(HDC dst, HDC src, BlitRequest s) {
    if (!dst || !src || !dst->bitmap || !src->bitmap) return false;
    if (!knownRop(s.rop)) return false;
    bool mirrorX = false, mirrorY = false;
    if (s.w < 0) { s.x += s.w; s.w = -s.w; mirrorX = !mirrorX; }
    if (s.h < 0) { s.y += s.h; s.h = -s.h; mirrorY = !mirrorY; }
    if (s.sw < 0) { s.sx += s.sw; s.sw = -s.sw; mirrorX = !mirrorX; }
    if (s.sh < 0) { s.sy += s.sh; s.sh = -s.sh; mirrorY = !mirrorY; }
    if (s.w == 0 || s.h == 0 || s.sw == 0 || s.sh == 0) return true;
    // From here on in device pixels of each side.
    const QRect dstDevice = deviceRect(dst, QRect(s.x, s.y, s.w, s.h));
    const QRect srcDevice = deviceRect(src, QRect(s.sx, s.sy, s.sw, s.sh));
    s.x = dstDevice.x(), s.y = dstDevice.y(), s.w = dstDevice.width(), s.h = dstDevice.height();
    s.sx = srcDevice.x(), s.sy = srcDevice.y(), s.sw = srcDevice.width(), s.sh = srcDevice.height();
    if (s.w <= 0 || s.h <= 0 || s.sw <= 0 || s.sh <= 0) return true;

    // Overlapping copies within one bitmap read from a snapshot.
    QImage snapshot;
    const QImage* srcImage = &src->bitmap->image;
    if (src->bitmap == dst->bitmap) {
        snapshot = src->bitmap->image.copy();
        srcImage = &snapshot;
    }
    const int srcW = srcImage->width(), srcH = srcImage->height();
    const bool srcMono = src->bitmap->mono, dstMono = dst->bitmap->mono;
    const uint32_t monoBlack = qtdetail::pixelOf(dst->textColor);
    const uint32_t monoWhite = qtdetail::pixelOf(dst->bkColor);
    const uint32_t srcBk = qtdetail::pixelOf(src->bkColor) & 0x00FFFFFFu;
    const uint32_t keyValue = qtdetail::pixelOf(s.key) & 0x00FFFFFFu;
    const bool forceOpaque = dst->bitmap->image.format() == QImage::Format_RGB32;
    const bool sameSize = s.w == s.sw && s.h == s.sh && !mirrorX && !mirrorY;
    const bool plainCopy = sameSize && s.rop == SRCCOPY && !s.keyed && srcMono == dstMono &&
                           srcImage->format() == dst->bitmap->image.format();

    QImage& dstImage = dst->bitmap->image;
    forEachClipRect(dst, QRect(s.x, s.y, s.w, s.h), [&](const QRect& r) {
        for (int y = r.top(); y <= r.bottom(); ++y) {
            int oy = y - s.y;
            if (mirrorY) oy = s.h - 1 - oy;
            const int syy = s.sy + (sameSize ? oy : mapSample(oy, s.h, s.sh));
            if (syy < 0 || syy >= srcH) continue;
            const auto* srow = reinterpret_cast<const uint32_t*>(srcImage->constScanLine(syy));
            auto* drow = reinterpret_cast<uint32_t*>(dstImage.scanLine(y));
            if (plainCopy) {
                int x0 = r.left(), x1 = r.right() + 1;
                int sx0 = s.sx + (x0 - s.x);
                if (sx0 < 0) { x0 -= sx0; sx0 = 0; }
                if (sx0 + (x1 - x0) > srcW) x1 = x0 + std::max(0, srcW - sx0);
                if (x1 > x0) std::memcpy(drow + x0, srow + sx0, static_cast<size_t>(x1 - x0) * 4);
                continue;
            }
            for (int x = r.left(); x <= r.right(); ++x) {
                int ox = x - s.x;
                if (mirrorX) ox = s.w - 1 - ox;
                const int sxx = s.sx + (sameSize ? ox : mapSample(ox, s.w, s.sw));
                if (sxx < 0 || sxx >= srcW) continue;
                uint32_t sp = srow[sxx];
                if (s.keyed && (sp & 0x00FFFFFFu) == keyValue) continue;
                if (srcMono && !dstMono) {
                    sp = (sp & 0x00FFFFFFu) ? monoWhite : monoBlack;
                } else if (!srcMono && dstMono) {
                    sp = (sp & 0x00FFFFFFu) == srcBk ? 0xFFFFFFFFu : 0xFF000000u;
                }
                uint32_t v = applyRop(s.rop, sp, drow[x]);
                if (dstMono) {
                    v = qtdetail::monoOf(v);
                } else if (forceOpaque) {
                    v |= 0xFF000000u;
                }
                drow[x] = v;
            }
        }
    });
    return true;
}

}  // namespace

namespace qtdetail {

HBITMAP newBitmap(int width, int height, bool mono, bool alpha, double scale) {
    if (width <= 0 || height <= 0) return nullptr;
    if (static_cast<int64_t>(width) * height > kMaxBitmapPixels) return nullptr;
    if (!(scale >= 1.0 && scale <= 8.0)) scale = 1.0;
    const int deviceWidth = toDevice(width, scale), deviceHeight = toDevice(height, scale);
    if (static_cast<int64_t>(deviceWidth) * deviceHeight > 4 * kMaxBitmapPixels) return nullptr;
    auto* b = new HBITMAP__;
    b->logical = QSize(width, height);
    b->scale = scale;
    b->image = QImage(deviceWidth, deviceHeight, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (b->image.isNull()) {
        delete b;
        return nullptr;
    }
    b->image.fill(alpha ? 0u : 0xFF000000u);
    b->mono = mono;
    b->bpp = mono ? 1 : 32;
    return b;
}

void releaseBitmap(HBITMAP bitmap) {
    if (!bitmap || bitmap->stock) return;
    if (bitmap->owners > 0) --bitmap->owners;
    if (bitmap->owners == 0 && bitmap->selectCount == 0) delete bitmap;
}

void unselectBitmap(HBITMAP bitmap) {
    if (!bitmap || bitmap->stock) return;
    if (bitmap->selectCount > 0) --bitmap->selectCount;
    if (bitmap->owners == 0 && bitmap->selectCount == 0) delete bitmap;
}

QRect toDevice(const QRect& logical, double scale) {
    if (scale == 1.0 || logical.isEmpty()) return logical;
    const int left = toDevice(logical.left(), scale), top = toDevice(logical.top(), scale);
    return QRect(left, top, toDevice(logical.left() + logical.width(), scale) - left,
                 toDevice(logical.top() + logical.height(), scale) - top);
}

QRegion toDevice(const QRegion& logical, double scale) {
    if (scale == 1.0) return logical;
    QRegion out;
    for (const QRect& r : logical) out += toDevice(r, scale);
    return out;
}

double deviceScale(HDC hdc) {
    if (!hdc) return 1.0;
    return hdc->bitmap && !hdc->bitmap->stock ? hdc->bitmap->scale : hdc->scale;
}

QRegion logicalDrawableRegion(HDC hdc) {
    QRegion r(QRect(QPoint(0, 0), hdc->bitmap->logical));
    if (hdc->systemClip) r = r.intersected(*hdc->systemClip);
    if (hdc->clip) r = r.intersected(*hdc->clip);
    return r;
}

QRegion drawableRegion(HDC hdc) {
    const double scale = hdc->bitmap->scale;
    if (scale == 1.0) return logicalDrawableRegion(hdc);
    return toDevice(logicalDrawableRegion(hdc), scale).intersected(hdc->bitmap->image.rect());
}

void beginLogicalPainter(QPainter& painter, HDC hdc, const QRegion& logicalClip) {
    const double scale = hdc->bitmap->scale;
    painter.begin(&hdc->bitmap->image);
    // The clip in device pixels, as every other primitive rounds it; then logical coordinates.
    painter.setClipRegion(scale == 1.0 ? logicalClip
                                       : toDevice(logicalClip, scale).intersected(hdc->bitmap->image.rect()));
    if (scale != 1.0) painter.scale(scale, scale);
}

void beginLogicalPainter(QPainter& painter, HDC hdc) { beginLogicalPainter(painter, hdc, logicalDrawableRegion(hdc)); }

double screenScale() {
    const auto* app = qobject_cast<const QGuiApplication*>(QCoreApplication::instance());
    const QScreen* screen = app ? QGuiApplication::primaryScreen() : nullptr;
    return screen ? screen->devicePixelRatio() : 1.0;
}

void requantize(HDC hdc, const QRect& area) {
    QImage& img = hdc->bitmap->image;
    const QRect r = toDevice(area, hdc->bitmap->scale).intersected(img.rect());
    for (int y = r.top(); y <= r.bottom(); ++y) {
        auto* row = reinterpret_cast<uint32_t*>(img.scanLine(y));
        for (int x = r.left(); x <= r.right(); ++x) row[x] = monoOf(row[x]);
    }
}

HDC newSurfaceDC(HWND hwnd, HBITMAP surface) {
    auto* dc = new HDC__;
    dc->bitmap = surface;
    ++surface->selectCount;
    dc->font = stockGuiFont();
    dc->pen = GetStockPen(BLACK_PEN);
    dc->brush = GetStockBrush(WHITE_BRUSH);
    dc->window = hwnd;
    return dc;
}

}  // namespace qtdetail

// --- Device contexts ---

HDC CreateCompatibleDC(HDC hdc) {
    auto* dc = new HDC__;
    dc->scale = hdc ? qtdetail::deviceScale(hdc) : qtdetail::screenScale();
    dc->bitmap = stockMonoBitmap();
    dc->font = qtdetail::stockGuiFont();
    dc->pen = GetStockPen(BLACK_PEN);
    dc->brush = GetStockBrush(WHITE_BRUSH);
    dc->memory = true;
    return dc;
}

namespace qtdetail {
HDC newScreenDC() {
    HDC dc = CreateCompatibleDC(nullptr);
    dc->bitmap = stockColorBitmap();
    dc->memory = false;
    dc->screen = true;
    dc->scale = screenScale();
    return dc;
}
}  // namespace qtdetail

bool DeleteDC(HDC hdc) {
    if (!hdc) return false;
    if (hdc->bitmap) qtdetail::unselectBitmap(hdc->bitmap);
    if (hdc->font) --hdc->font->selectCount;
    if (hdc->pen) --hdc->pen->selectCount;
    if (hdc->brush) --hdc->brush->selectCount;
    delete hdc;
    return true;
}

int GetDeviceCaps(HDC hdc, int index) {
    if (!hdc) return 0;
    switch (index) {
        case BITSPIXEL: return hdc->bitmap->mono ? 1 : 32;
        case PLANES: return 1;
        case HORZRES: return hdc->bitmap->logical.width();
        case VERTRES: return hdc->bitmap->logical.height();
        case LOGPIXELSX:
        case LOGPIXELSY: return 96;
        default: return 0;
    }
}

// --- Bitmaps ---

HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height) {
    const bool mono = hdc && hdc->bitmap && hdc->bitmap->mono;
    return qtdetail::newBitmap(width, height, mono, false, hdc ? qtdetail::deviceScale(hdc) : 1.0);
}

HBITMAP CreateBitmap(int width, int height, UINT, UINT bitsPerPixel, const void* bits) {
    const bool mono = bitsPerPixel == 1;
    HBITMAP b = qtdetail::newBitmap(width, height, mono, false);
    if (!b || !bits) return b;
    const auto* bytes = static_cast<const uint8_t*>(bits);
    if (mono) {
        const int stride = ((width + 15) / 16) * 2;
        for (int y = 0; y < height; ++y) {
            auto* row = reinterpret_cast<uint32_t*>(b->image.scanLine(y));
            for (int x = 0; x < width; ++x) {
                const bool white = (bytes[y * stride + x / 8] >> (7 - x % 8)) & 1;
                row[x] = white ? 0xFFFFFFFFu : 0xFF000000u;
            }
        }
    } else {
        for (int y = 0; y < height; ++y) {
            auto* row = reinterpret_cast<uint32_t*>(b->image.scanLine(y));
            const uint8_t* src = bytes + static_cast<size_t>(y) * width * 4;
            for (int x = 0; x < width; ++x) {
                row[x] = 0xFF000000u | (uint32_t{src[x * 4 + 2]} << 16) | (uint32_t{src[x * 4 + 1]} << 8) |
                         src[x * 4];
            }
        }
    }
    return b;
}

HBITMAP CreateDIBSection32(int width, int height, void** bits) {
    HBITMAP b = qtdetail::newBitmap(width, height, false, true);
    if (!b) {
        if (bits) *bits = nullptr;
        return nullptr;
    }
    b->dib = true;
    if (bits) *bits = b->image.bits();
    return b;
}

HBITMAP CreateBitmapFromRgb(const RgbImage& img, double scale) {
    if (img.rgb.size() != static_cast<size_t>(img.width) * img.height * 3) return nullptr;
    HBITMAP b = qtdetail::newBitmap(img.width, img.height, false, false);
    if (!b) return nullptr;
    b->bpp = 24;
    if (scale > 1.0 && scale <= 8.0) {
        b->scale = scale;
        b->logical = QSize(std::max(1, static_cast<int>(std::lround(img.width / scale))),
                           std::max(1, static_cast<int>(std::lround(img.height / scale))));
    }
    for (int y = 0; y < img.height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(b->image.scanLine(y));
        for (int x = 0; x < img.width; ++x) {
            const uint8_t* p = img.pixel(x, y);
            row[x] = 0xFF000000u | (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2];
        }
    }
    return b;
}

HBITMAP CreateBitmapFromRgba(const RgbaImage& img) {
    if (img.rgba.size() != static_cast<size_t>(img.width) * img.height * 4) return nullptr;
    HBITMAP b = qtdetail::newBitmap(img.width, img.height, false, true);
    if (!b) return nullptr;
    for (int y = 0; y < img.height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(b->image.scanLine(y));
        const uint8_t* p = img.rgba.data() + static_cast<size_t>(y) * img.width * 4;
        for (int x = 0; x < img.width; ++x, p += 4) {
            row[x] = (uint32_t{p[3]} << 24) | (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2];
        }
    }
    return b;
}

bool BitmapToRgbImage(HBITMAP bitmap, RgbImage& out) {
    if (!bitmap) return false;
    const QImage& img = bitmap->image;
    out = RgbImage(img.width(), img.height());
    for (int y = 0; y < img.height(); ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            uint8_t* p = out.pixel(x, y);
            p[0] = static_cast<uint8_t>(row[x] >> 16);
            p[1] = static_cast<uint8_t>(row[x] >> 8);
            p[2] = static_cast<uint8_t>(row[x]);
        }
    }
    return true;
}

bool GetObject(HBITMAP bitmap, BITMAP* out) {
    if (!bitmap || !out) return false;
    out->bmType = 0;
    out->bmWidth = bitmap->logical.width();
    out->bmHeight = bitmap->logical.height();
    out->bmPlanes = 1;
    out->bmBitsPixel = static_cast<WORD>(bitmap->bpp);
    out->bmWidthBytes = bitmap->mono ? ((out->bmWidth + 15) / 16) * 2 : out->bmWidth * (bitmap->bpp / 8);
    out->bmBits = bitmap->dib ? bitmap->image.bits() : nullptr;
    return true;
}

HBITMAP SelectObject(HDC hdc, HBITMAP bitmap) {
    if (!hdc || !bitmap || !hdc->memory) return nullptr;
    HBITMAP previous = hdc->bitmap;
    if (previous == bitmap) return previous;
    ++bitmap->selectCount;
    if (previous) qtdetail::unselectBitmap(previous);
    hdc->bitmap = bitmap;
    return previous;
}

bool DeleteObject(HBITMAP bitmap) {
    if (!bitmap) return false;
    if (bitmap->stock) return true;
    if (bitmap->selectCount > 0) return false;
    qtdetail::releaseBitmap(bitmap);
    return true;
}

HBITMAP GetCurrentBitmap(HDC hdc) { return hdc ? hdc->bitmap : nullptr; }

// --- Pens, brushes, fonts ---

HPEN CreatePen(int style, int width, COLORREF color) {
    if (style < PS_SOLID || style > PS_NULL) return nullptr;
    auto* p = new HPEN__;
    p->style = style;
    p->width = std::max(1, width);
    p->color = color & 0x00FFFFFF;
    return p;
}

HPEN SelectObject(HDC hdc, HPEN pen) {
    if (!hdc || !pen) return nullptr;
    HPEN previous = hdc->pen;
    ++pen->selectCount;
    if (previous) --previous->selectCount;
    hdc->pen = pen;
    return previous;
}

bool DeleteObject(HPEN pen) {
    if (!pen) return false;
    if (pen->stock) return true;
    if (pen->selectCount > 0) return false;
    delete pen;
    return true;
}

HBRUSH CreateSolidBrush(COLORREF color) {
    auto* b = new HBRUSH__;
    b->color = color & 0x00FFFFFF;
    return b;
}

HBRUSH SelectObject(HDC hdc, HBRUSH brush) {
    if (!hdc || !brush) return nullptr;
    HBRUSH previous = hdc->brush;
    ++brush->selectCount;
    if (previous) --previous->selectCount;
    hdc->brush = brush;
    return previous;
}

bool DeleteObject(HBRUSH brush) {
    if (!brush) return false;
    if (brush->stock) return true;
    if (brush->selectCount > 0) return false;
    delete brush;
    return true;
}

HFONT SelectObject(HDC hdc, HFONT font) {
    if (!hdc || !font) return nullptr;
    HFONT previous = hdc->font;
    ++font->selectCount;
    if (previous) --previous->selectCount;
    hdc->font = font;
    return previous;
}

HFONT GetCurrentFont(HDC hdc) { return hdc ? hdc->font : nullptr; }

HBRUSH GetStockBrush(int index) {
    static HBRUSH brushes[] = {makeStockBrush(RGB(255, 255, 255), false), makeStockBrush(RGB(192, 192, 192), false),
                               makeStockBrush(RGB(128, 128, 128), false), makeStockBrush(RGB(64, 64, 64), false),
                               makeStockBrush(RGB(0, 0, 0), false), makeStockBrush(0, true)};
    if (index < WHITE_BRUSH || index > NULL_BRUSH) return nullptr;
    return brushes[index];
}

HPEN GetStockPen(int index) {
    static HPEN pens[] = {makeStockPen(PS_SOLID, RGB(255, 255, 255)), makeStockPen(PS_SOLID, 0),
                          makeStockPen(PS_NULL, 0)};
    if (index < WHITE_PEN || index > NULL_PEN) return nullptr;
    return pens[index - WHITE_PEN];
}

// --- DC attributes ---

COLORREF SetTextColor(HDC hdc, COLORREF color) {
    if (!hdc) return CLR_INVALID;
    const COLORREF previous = hdc->textColor;
    hdc->textColor = color & 0x00FFFFFF;
    return previous;
}
COLORREF GetTextColor(HDC hdc) { return hdc ? hdc->textColor : CLR_INVALID; }
COLORREF SetBkColor(HDC hdc, COLORREF color) {
    if (!hdc) return CLR_INVALID;
    const COLORREF previous = hdc->bkColor;
    hdc->bkColor = color & 0x00FFFFFF;
    return previous;
}
COLORREF GetBkColor(HDC hdc) { return hdc ? hdc->bkColor : CLR_INVALID; }
int SetBkMode(HDC hdc, int mode) {
    if (!hdc || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
    const int previous = hdc->bkMode;
    hdc->bkMode = mode;
    return previous;
}
int GetBkMode(HDC hdc) { return hdc ? hdc->bkMode : 0; }

// --- Regions ---

HRGN CreateRectRgn(int left, int top, int right, int bottom) {
    auto* r = new HRGN__;
    if (right > left && bottom > top) r->region = QRegion(rectOf(left, top, right, bottom));
    return r;
}
HRGN CreateRectRgnIndirect(const RECT* rect) {
    return rect ? CreateRectRgn(rect->left, rect->top, rect->right, rect->bottom) : nullptr;
}
bool DeleteObject(HRGN region) {
    if (!region) return false;
    delete region;
    return true;
}
bool SetRectRgn(HRGN region, int left, int top, int right, int bottom) {
    if (!region) return false;
    region->region = (right > left && bottom > top) ? QRegion(rectOf(left, top, right, bottom)) : QRegion();
    return true;
}
int CombineRgn(HRGN dst, HRGN src1, HRGN src2, int mode) {
    if (!dst || !src1 || (mode != RGN_COPY && !src2)) return RGN_ERROR;
    QRegion result;
    switch (mode) {
        case RGN_AND: result = src1->region.intersected(src2->region); break;
        case RGN_OR: result = src1->region.united(src2->region); break;
        case RGN_XOR: result = src1->region.xored(src2->region); break;
        case RGN_DIFF: result = src1->region.subtracted(src2->region); break;
        case RGN_COPY: result = src1->region; break;
        default: return RGN_ERROR;
    }
    dst->region = result;
    return regionType(result);
}
int OffsetRgn(HRGN region, int dx, int dy) {
    if (!region) return RGN_ERROR;
    region->region.translate(dx, dy);
    return regionType(region->region);
}
int GetRgnBox(HRGN region, RECT* box) {
    if (!region || !box) return RGN_ERROR;
    const QRect b = region->region.boundingRect();
    *box = region->region.isEmpty() ? RECT{} : RECT{b.left(), b.top(), b.right() + 1, b.bottom() + 1};
    return regionType(region->region);
}
bool PtInRegion(HRGN region, int x, int y) { return region && region->region.contains(QPoint(x, y)); }
bool RectInRegion(HRGN region, const RECT* rect) {
    if (!region || !rect || IsRectEmpty(rect)) return false;
    return region->region.intersects(rectOf(rect->left, rect->top, rect->right, rect->bottom));
}
bool EqualRgn(HRGN a, HRGN b) { return a && b && a->region == b->region; }
std::vector<RECT> GetRegionRects(HRGN region) {
    std::vector<RECT> out;
    if (!region) return out;
    for (const QRect& r : region->region) out.push_back(RECT{r.left(), r.top(), r.right() + 1, r.bottom() + 1});
    return out;
}

int SelectClipRgn(HDC hdc, HRGN region) {
    if (!hdc) return RGN_ERROR;
    if (!region) {
        hdc->clip.reset();
    } else {
        hdc->clip = region->region;
    }
    return regionType(qtdetail::logicalDrawableRegion(hdc));
}
int IntersectClipRect(HDC hdc, int left, int top, int right, int bottom) {
    if (!hdc) return RGN_ERROR;
    const QRegion r = (right > left && bottom > top) ? QRegion(rectOf(left, top, right, bottom)) : QRegion();
    hdc->clip = hdc->clip ? hdc->clip->intersected(r) : r;
    return regionType(qtdetail::logicalDrawableRegion(hdc));
}
int ExcludeClipRect(HDC hdc, int left, int top, int right, int bottom) {
    if (!hdc) return RGN_ERROR;
    const QRegion r = (right > left && bottom > top) ? QRegion(rectOf(left, top, right, bottom)) : QRegion();
    const QRegion base = hdc->clip ? *hdc->clip : QRegion(QRect(QPoint(0, 0), hdc->bitmap->logical));
    hdc->clip = base.subtracted(r);
    return regionType(qtdetail::logicalDrawableRegion(hdc));
}
int GetClipBox(HDC hdc, RECT* box) {
    if (!hdc || !box) return RGN_ERROR;
    const QRegion r = qtdetail::logicalDrawableRegion(hdc);
    const QRect b = r.boundingRect();
    *box = r.isEmpty() ? RECT{} : RECT{b.left(), b.top(), b.right() + 1, b.bottom() + 1};
    return regionType(r);
}
int GetClipRgn(HDC hdc, HRGN region) {
    if (!hdc || !region) return -1;
    if (!hdc->clip) return 0;
    region->region = *hdc->clip;
    return 1;
}

// --- Filling, pixels, lines, shapes ---

bool FillRect(HDC hdc, const RECT* rect, HBRUSH brush) {
    if (!hdc || !rect || !brush) return false;
    if (brush->null || IsRectEmpty(rect)) return true;
    fillArea(hdc, rectOf(rect->left, rect->top, rect->right, rect->bottom), brush->color);
    return true;
}

void FillSolidRect(HDC hdc, const RECT* rect, COLORREF color) {
    if (!hdc || !rect || IsRectEmpty(rect)) return;
    fillArea(hdc, rectOf(rect->left, rect->top, rect->right, rect->bottom), color);
}

bool FillRgn(HDC hdc, HRGN region, HBRUSH brush) {
    if (!hdc || !region || !brush) return false;
    if (brush->null) return true;
    for (const QRect& r : region->region) fillArea(hdc, r, brush->color);
    return true;
}

bool FrameRect(HDC hdc, const RECT* rect, HBRUSH brush) {
    if (!hdc || !rect || !brush) return false;
    if (brush->null || IsRectEmpty(rect)) return true;
    const LONG l = rect->left, t = rect->top, r = rect->right, b = rect->bottom;
    fillArea(hdc, rectOf(l, t, r, t + 1), brush->color);
    fillArea(hdc, rectOf(l, b - 1, r, b), brush->color);
    fillArea(hdc, rectOf(l, t, l + 1, b), brush->color);
    fillArea(hdc, rectOf(r - 1, t, r, b), brush->color);
    return true;
}

COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color) {
    if (!hdc) return CLR_INVALID;
    if (!qtdetail::logicalDrawableRegion(hdc).contains(QPoint(x, y))) return CLR_INVALID;
    const uint32_t v = storeValue(hdc, qtdetail::pixelOf(color));
    putPixelClipped(hdc, qtdetail::drawableRegion(hdc), x, y, v);
    return qtdetail::colorOf(v);
}

COLORREF GetPixel(HDC hdc, int x, int y) {
    if (!hdc) return CLR_INVALID;
    const QImage& img = image(hdc);
    const QSize size = hdc->bitmap->logical;
    if (x < 0 || y < 0 || x >= size.width() || y >= size.height()) return CLR_INVALID;
    // The first device pixel of the logical pixel's block.
    const int dx = std::min(qtdetail::toDevice(x, scaleOf(hdc)), img.width() - 1);
    const int dy = std::min(qtdetail::toDevice(y, scaleOf(hdc)), img.height() - 1);
    return qtdetail::colorOf(reinterpret_cast<const uint32_t*>(img.constScanLine(dy))[dx]);
}

bool MoveToEx(HDC hdc, int x, int y, POINT* previous) {
    if (!hdc) return false;
    if (previous) *previous = hdc->position;
    hdc->position = POINT{x, y};
    return true;
}

bool LineTo(HDC hdc, int x, int y) {
    if (!hdc) return false;
    penLine(hdc, hdc->position.x, hdc->position.y, x, y);
    hdc->position = POINT{x, y};
    return true;
}

bool Rectangle(HDC hdc, int left, int top, int right, int bottom) {
    if (!hdc) return false;
    if (right < left) std::swap(left, right);
    if (bottom < top) std::swap(top, bottom);
    const HPEN__& pen = *hdc->pen;
    const HBRUSH__& brush = *hdc->brush;
    if (pen.style == PS_NULL) {
        if (!brush.null && right - 1 > left && bottom - 1 > top) {
            fillArea(hdc, rectOf(left, top, right - 1, bottom - 1), brush.color);
        }
        return true;
    }
    const int inset = pen.width <= 1 ? 1 : pen.width / 2 + 1;
    if (!brush.null && right - inset > left + inset && bottom - inset > top + inset) {
        fillArea(hdc, rectOf(left + inset, top + inset, right - inset, bottom - inset), brush.color);
    }
    if (pen.width <= 1) {
        thinLine(hdc, left, top, right - 1, top, pen);
        thinLine(hdc, right - 1, top, right - 1, bottom - 1, pen);
        thinLine(hdc, right - 1, bottom - 1, left, bottom - 1, pen);
        thinLine(hdc, left, bottom - 1, left, top, pen);
    } else {
        ClippedPainter p(hdc);
        QPen qpen(QColor::fromRgb(qtdetail::pixelOf(pen.color)));
        qpen.setWidth(pen.width);
        qpen.setJoinStyle(Qt::MiterJoin);
        p->setPen(qpen);
        p->setBrush(Qt::NoBrush);
        const int h = pen.width / 2;
        p->drawRect(QRect(QPoint(left + h, top + h), QPoint(right - 1 - h, bottom - 1 - h)));
        p.touched(rectOf(left, top, right, bottom));
    }
    return true;
}

bool RoundRect(HDC hdc, int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight) {
    if (!hdc) return false;
    if (right < left) std::swap(left, right);
    if (bottom < top) std::swap(top, bottom);
    if (right - left < 2 || bottom - top < 2) return true;
    const HPEN__& pen = *hdc->pen;
    const HBRUSH__& brush = *hdc->brush;
    ClippedPainter p(hdc);
    p->setRenderHint(QPainter::Antialiasing, false);
    if (pen.style == PS_NULL) {
        p->setPen(Qt::NoPen);
    } else {
        QPen qpen(QColor::fromRgb(qtdetail::pixelOf(pen.color)));
        qpen.setWidth(pen.width);
        if (pen.width <= 1 && pen.style != PS_SOLID) {
            QList<qreal> dashes;
            for (int v : dashPattern(pen.style)) dashes.append(v);
            qpen.setDashPattern(dashes);
        }
        p->setPen(qpen);
    }
    p->setBrush(brush.null ? QBrush(Qt::NoBrush) : QBrush(QColor::fromRgb(qtdetail::pixelOf(brush.color))));
    p->drawRoundedRect(QRectF(left, top, right - left - 1, bottom - top - 1), ellipseWidth / 2.0,
                       ellipseHeight / 2.0);
    p.touched(rectOf(left, top, right, bottom));
    return true;
}

// --- Block transfers ---

bool BitBlt(HDC dst, int x, int y, int width, int height, HDC src, int srcX, int srcY, DWORD rop) {
    if (!dst) return false;
    if (rop == BLACKNESS || rop == WHITENESS || rop == PATCOPY || rop == DSTINVERT) {
        return PatBlt(dst, x, y, width, height, rop);
    }
    return blit(dst, src, BlitRequest{x, y, width, height, srcX, srcY, width, height, rop});
}

bool StretchBlt(HDC dst, int x, int y, int width, int height, HDC src, int srcX, int srcY, int srcWidth,
                int srcHeight, DWORD rop) {
    if (!dst) return false;
    if (rop == BLACKNESS || rop == WHITENESS || rop == PATCOPY || rop == DSTINVERT) {
        return PatBlt(dst, x, y, width, height, rop);
    }
    return blit(dst, src, BlitRequest{x, y, width, height, srcX, srcY, srcWidth, srcHeight, rop});
}

bool PatBlt(HDC hdc, int x, int y, int width, int height, DWORD rop) {
    if (!hdc) return false;
    if (width < 0) { x += width; width = -width; }
    if (height < 0) { y += height; height = -height; }
    if (width == 0 || height == 0) return true;
    const QRect area(x, y, width, height);
    switch (rop) {
        case BLACKNESS: fillArea(hdc, area, RGB(0, 0, 0)); return true;
        case WHITENESS: fillArea(hdc, area, RGB(255, 255, 255)); return true;
        case PATCOPY:
            if (!hdc->brush->null) fillArea(hdc, area, hdc->brush->color);
            return true;
        case DSTINVERT: {
            QImage& img = image(hdc);
            forEachClipRect(hdc, deviceRect(hdc, area), [&](const QRect& r) {
                for (int yy = r.top(); yy <= r.bottom(); ++yy) {
                    auto* row = reinterpret_cast<uint32_t*>(img.scanLine(yy));
                    for (int xx = r.left(); xx <= r.right(); ++xx) row[xx] ^= 0x00FFFFFFu;
                }
            });
            return true;
        }
        default: return false;
    }
}

bool TransparentBlt(HDC dst, int x, int y, int width, int height, HDC src, int srcX, int srcY, int srcWidth,
                    int srcHeight, COLORREF transparent) {
    if (width <= 0 || height <= 0 || srcWidth <= 0 || srcHeight <= 0) return false;
    BlitRequest s{x, y, width, height, srcX, srcY, srcWidth, srcHeight, SRCCOPY};
    s.keyed = true;
    s.key = transparent;
    return blit(dst, src, s);
}

bool AlphaBlendStraight(HDC dst, int x, int y, int width, int height, HDC src, int srcX, int srcY) {
    if (!dst || !src || width <= 0 || height <= 0) return false;
    if (src->bitmap->mono || src->bitmap->bpp != 32) return false;
    QImage snapshot;
    const QImage* srcImage = &src->bitmap->image;
    if (src->bitmap == dst->bitmap) {
        snapshot = srcImage->copy();
        srcImage = &snapshot;
    }
    QImage& dstImage = dst->bitmap->image;
    const bool dstMono = dst->bitmap->mono;
    const bool forceOpaque = dstImage.format() == QImage::Format_RGB32;
    // In device pixels of each side; where their sizes differ, nearest source pixel.
    const QRect d = deviceRect(dst, QRect(x, y, width, height));
    const QRect sr = deviceRect(src, QRect(srcX, srcY, width, height));
    if (d.isEmpty() || sr.isEmpty()) return true;
    auto sourceX = [&](int o) { return sr.x() + (d.width() == sr.width() ? o : mapSample(o, d.width(), sr.width())); };
    auto sourceY = [&](int o) {
        return sr.y() + (d.height() == sr.height() ? o : mapSample(o, d.height(), sr.height()));
    };
    forEachClipRect(dst, d, [&](const QRect& r) {
        for (int yy = r.top(); yy <= r.bottom(); ++yy) {
            const int sy = sourceY(yy - d.y());
            if (sy < 0 || sy >= srcImage->height()) continue;
            const auto* srow = reinterpret_cast<const uint32_t*>(srcImage->constScanLine(sy));
            auto* drow = reinterpret_cast<uint32_t*>(dstImage.scanLine(yy));
            for (int xx = r.left(); xx <= r.right(); ++xx) {
                const int sx = sourceX(xx - d.x());
                if (sx < 0 || sx >= srcImage->width()) continue;
                const uint32_t s = srow[sx];
                const uint32_t a = s >> 24;
                if (a == 0) continue;
                const uint32_t d = drow[xx];
                uint32_t out = 0;
                for (int shift = 0; shift <= 16; shift += 8) {
                    const uint32_t sc = (s >> shift) & 0xFF, dc = (d >> shift) & 0xFF;
                    out |= ((dc * (255 - a) + sc * a) / 255) << shift;
                }
                out |= d & 0xFF000000u;
                if (dstMono) {
                    out = qtdetail::monoOf(out);
                } else if (forceOpaque) {
                    out |= 0xFF000000u;
                }
                drow[xx] = out;
            }
        }
    });
    return true;
}

bool GradientFill(HDC hdc, const TRIVERTEX* vertices, UINT vertexCount, const GRADIENT_RECT* rects, UINT rectCount,
                  UINT mode) {
    if (!hdc || !vertices || !rects) return false;
    if (mode != GRADIENT_FILL_RECT_H && mode != GRADIENT_FILL_RECT_V) return false;
    QImage& img = image(hdc);
    for (UINT i = 0; i < rectCount; ++i) {
        if (rects[i].UpperLeft >= vertexCount || rects[i].LowerRight >= vertexCount) return false;
        const TRIVERTEX& a = vertices[rects[i].UpperLeft];
        const TRIVERTEX& b = vertices[rects[i].LowerRight];
        const int left = std::min(a.x, b.x), right = std::max(a.x, b.x);
        const int top = std::min(a.y, b.y), bottom = std::max(a.y, b.y);
        if (right <= left || bottom <= top) continue;
        // The first colour belongs to the vertex on the left (top) side.
        const bool aFirst = mode == GRADIENT_FILL_RECT_H ? a.x <= b.x : a.y <= b.y;
        const TRIVERTEX& c0 = aFirst ? a : b;
        const TRIVERTEX& c1 = aFirst ? b : a;
        // Steps are device pixels, so that the blend is as smooth as the screen allows.
        const QRect area = deviceRect(hdc, rectOf(left, top, right, bottom));
        const int n = mode == GRADIENT_FILL_RECT_H ? area.width() : area.height();
        auto colorAt = [&](int step) {
            auto channel = [&](uint16_t from, uint16_t to) {
                const int f = from >> 8, t = to >> 8;
                return static_cast<uint32_t>(f + (t - f) * step / n);
            };
            return 0xFF000000u | (channel(c0.Red, c1.Red) << 16) | (channel(c0.Green, c1.Green) << 8) |
                   channel(c0.Blue, c1.Blue);
        };
        forEachClipRect(hdc, area, [&](const QRect& r) {
            for (int y = r.top(); y <= r.bottom(); ++y) {
                auto* row = reinterpret_cast<uint32_t*>(img.scanLine(y));
                for (int x = r.left(); x <= r.right(); ++x) {
                    const int step = mode == GRADIENT_FILL_RECT_H ? x - area.left() : y - area.top();
                    row[x] = storeValue(hdc, colorAt(step));
                }
            }
        });
    }
    return true;
}

bool GradientFillRect(HDC hdc, const RECT* rect, COLORREF from, COLORREF to, bool vertical) {
    if (!rect) return false;
    TRIVERTEX v[2];
    v[0].x = rect->left;
    v[0].y = rect->top;
    v[0].Red = static_cast<uint16_t>(GetRValue(from) << 8);
    v[0].Green = static_cast<uint16_t>(GetGValue(from) << 8);
    v[0].Blue = static_cast<uint16_t>(GetBValue(from) << 8);
    v[1].x = rect->right;
    v[1].y = rect->bottom;
    v[1].Red = static_cast<uint16_t>(GetRValue(to) << 8);
    v[1].Green = static_cast<uint16_t>(GetGValue(to) << 8);
    v[1].Blue = static_cast<uint16_t>(GetBValue(to) << 8);
    GRADIENT_RECT g{0, 1};
    return GradientFill(hdc, v, 2, &g, 1, vertical ? GRADIENT_FILL_RECT_V : GRADIENT_FILL_RECT_H);
}

bool StretchRgbImage(HDC dst, int x, int y, int width, int height, const RgbImage& img) {
    if (!dst || width <= 0 || height <= 0) return false;
    if (img.width <= 0 || img.height <= 0 || img.rgb.size() != static_cast<size_t>(img.width) * img.height * 3) {
        return false;
    }
    QImage& dstImage = dst->bitmap->image;
    const bool dstMono = dst->bitmap->mono;
    // Sampled at the device's own pixels: a picture shown smaller keeps its detail on a dense screen.
    const QRect d = deviceRect(dst, QRect(x, y, width, height));
    if (d.isEmpty()) return true;
    forEachClipRect(dst, d, [&](const QRect& r) {
        for (int yy = r.top(); yy <= r.bottom(); ++yy) {
            const int sy = mapSample(yy - d.y(), d.height(), img.height);
            auto* drow = reinterpret_cast<uint32_t*>(dstImage.scanLine(yy));
            for (int xx = r.left(); xx <= r.right(); ++xx) {
                const uint8_t* p = img.pixel(mapSample(xx - d.x(), d.width(), img.width), sy);
                const uint32_t v = 0xFF000000u | (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2];
                drow[xx] = dstMono ? qtdetail::monoOf(v) : v;
            }
        }
    });
    return true;
}

}  // namespace platform
