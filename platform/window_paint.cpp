// Painting surfaces: every window's kept surface, its invalid region, WM_PAINT, BeginPaint and
// EndPaint, and the device contexts that draw on it.
#include <QPainter>
#include <QWidget>

#include <algorithm>
#include <cmath>

#include "platform/qt/objects.h"
#include "platform/qt/window_internal.h"

namespace platform {

using qtdetail::WindowKind;
using qtdetail::WindowPtr;
using qtdetail::WindowRecord;

namespace qtdetail {

double surfaceScale(const WindowRecord& w) {
    return w.widget ? w.widget->devicePixelRatioF() : screenScale();
}

void resizeSurface(WindowRecord& w) {
    const int width = std::max<LONG>(1, RectWidth(w.rect));
    const int height = std::max<LONG>(1, RectHeight(w.rect));
    const double scale = surfaceScale(w);
    if (w.surface && w.surface->logical == QSize(width, height) && w.surface->scale == scale) return;
    HBITMAP fresh = qtdetail::newBitmap(width, height, false, false, scale);
    if (!fresh) return;
    fresh->image.fill(w.kind == WindowKind::Static ? 0xFFF0F0F0u : 0xFFFFFFFFu);
    if (w.surface && w.surface->scale == fresh->scale) {
        QPainter p(&fresh->image);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(0, 0, w.surface->image);
        p.end();
    }
    if (w.surface) qtdetail::releaseBitmap(w.surface);
    w.surface = fresh;
    w.invalid = QRegion(0, 0, width, height);
}

void followPixelRatio(HWND hwnd) {
    WindowPtr w = lookup(hwnd);
    if (!w || !w->surface || w->surface->scale == surfaceScale(*w)) return;
    resizeSurface(*w);
    const auto dpi = static_cast<WORD>(std::lround(96 * w->surface->scale));
    callProc(w, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), 0);
    if (w->widget) w->widget->update();
}

void surfaceChanged(HWND hwnd, const QRect& area) {
    WindowPtr w = lookup(hwnd);
    if (w && w->widget) w->widget->update(area);
}

}  // namespace qtdetail

// --- Painting ---

bool InvalidateRect(HWND hwnd, const RECT* rect, bool) {
    WindowPtr w = qtdetail::lookup(hwnd);
    if (!w || !w->surface) return false;
    const QRect client(QPoint(0, 0), w->surface->logical);
    const QRect r = rect ? qtdetail::toQRect(*rect).intersected(client) : client;
    if (r.isEmpty()) return true;
    w->invalid = w->invalid.united(r);
    if (w->widget) w->widget->update(r);
    return true;
}

bool InvalidateRgn(HWND hwnd, HRGN region, bool erase) {
    if (!region) return InvalidateRect(hwnd, nullptr, erase);
    WindowPtr w = qtdetail::lookup(hwnd);
    if (!w || !w->surface) return false;
    const QRegion r = region->region.intersected(QRect(QPoint(0, 0), w->surface->logical));
    w->invalid = w->invalid.united(r);
    if (w->widget) w->widget->update(r);
    return true;
}

bool ValidateRect(HWND hwnd, const RECT* rect) {
    WindowPtr w = qtdetail::lookup(hwnd);
    if (!w) return false;
    w->invalid = rect ? w->invalid.subtracted(qtdetail::toQRect(*rect)) : QRegion();
    return true;
}

bool GetUpdateRect(HWND hwnd, RECT* rect, bool) {
    WindowPtr w = qtdetail::lookup(hwnd);
    if (!w) return false;
    const QRect b = w->invalid.boundingRect();
    if (rect) *rect = w->invalid.isEmpty() ? RECT{} : RECT{b.left(), b.top(), b.right() + 1, b.bottom() + 1};
    return !w->invalid.isEmpty();
}

bool UpdateWindow(HWND hwnd) {
    WindowPtr w = qtdetail::lookup(hwnd);
    if (!w) return false;
    if (w->invalid.isEmpty()) return true;
    w->beganPaint = false;
    qtdetail::callProc(w, WM_PAINT, 0, 0);
    if (!w->beganPaint) w->invalid = QRegion();
    return true;
}

bool RedrawWindow(HWND hwnd) {
    if (!UpdateWindow(hwnd)) return false;
    WindowPtr w = qtdetail::lookup(hwnd);
    if (w && w->widget && w->widget->isVisible()) w->widget->repaint();
    return true;
}

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps) {
    WindowPtr w = qtdetail::lookup(hwnd);
    if (!w || !ps || !w->surface) return nullptr;
    HDC dc = qtdetail::newSurfaceDC(hwnd, w->surface);
    const QRegion region = w->invalid;
    dc->systemClip = region;
    const QRect b = region.boundingRect();
    ps->hdc = dc;
    ps->fErase = false;
    ps->rcPaint = region.isEmpty() ? RECT{} : RECT{b.left(), b.top(), b.right() + 1, b.bottom() + 1};
    w->invalid = QRegion();
    w->beganPaint = true;
    return dc;
}

bool EndPaint(HWND hwnd, const PAINTSTRUCT* ps) {
    if (!ps || !ps->hdc) return false;
    ReleaseDC(hwnd, ps->hdc);
    return true;
}

HDC GetDC(HWND hwnd) {
    if (!hwnd) return qtdetail::newScreenDC();
    WindowPtr w = qtdetail::lookup(hwnd);
    if (!w || !w->surface) return nullptr;
    return qtdetail::newSurfaceDC(hwnd, w->surface);
}

int ReleaseDC(HWND hwnd, HDC hdc) {
    if (!hdc) return 0;
    if (hdc->window && hdc->window == hwnd) {
        WindowPtr w = qtdetail::lookup(hwnd);
        // Drawing on a surface the window has since replaced shows nothing.
        if (w && w->widget && w->surface == hdc->bitmap) w->widget->update();
    }
    DeleteDC(hdc);
    return 1;
}

}  // namespace platform
