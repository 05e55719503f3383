// Images with alpha, icons and the check-box and radio marks.
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/gdi.h"
#include "platform/imaging.h"
#include "platform/qt/objects.h"

namespace platform {

namespace {

QImage premultipliedFromRgba(const RgbaImage& img) {
    if (img.width <= 0 || img.height <= 0 || img.rgba.size() != static_cast<size_t>(img.width) * img.height * 4) {
        return QImage();
    }
    QImage out(img.width, img.height, QImage::Format_ARGB32);
    if (out.isNull()) return out;
    for (int y = 0; y < img.height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(out.scanLine(y));
        const uint8_t* p = img.rgba.data() + static_cast<size_t>(y) * img.width * 4;
        for (int x = 0; x < img.width; ++x, p += 4) {
            row[x] = (uint32_t{p[3]} << 24) | (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2];
        }
    }
    return out.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// Draws `source` (premultiplied) onto the DC's bitmap with source-over, within its clip.
void composite(HDC hdc, const QRect& target, const QImage& source, const QRect& sourceRect, bool smooth) {
    {
        QPainter p;
        qtdetail::beginLogicalPainter(p, hdc);
        p.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
        p.drawImage(target, source, sourceRect);
    }
    if (hdc->bitmap->mono) qtdetail::requantize(hdc, target);
}

QImage systemIconImage(int id, int size) {
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, true);
    const qreal s = size;
    const QRectF circle(s * 0.04, s * 0.04, s * 0.92, s * 0.92);
    auto glyph = [&](const QString& text, const QColor& color, qreal scale) {
        QFont f;
        f.setFamilies({QStringLiteral("DejaVu Sans")});
        f.setBold(true);
        f.setPixelSize(std::max(1, static_cast<int>(s * scale)));
        p.setFont(f);
        p.setPen(color);
        p.drawText(QRectF(0, 0, s, s), Qt::AlignCenter, text);
    };
    switch (id) {
        case IDI_HAND: {
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(0xD9, 0x3B, 0x3B));
            p.drawEllipse(circle);
            QPen pen(Qt::white, std::max(1.5, s * 0.11), Qt::SolidLine, Qt::RoundCap);
            p.setPen(pen);
            p.drawLine(QPointF(s * 0.33, s * 0.33), QPointF(s * 0.67, s * 0.67));
            p.drawLine(QPointF(s * 0.67, s * 0.33), QPointF(s * 0.33, s * 0.67));
            break;
        }
        case IDI_QUESTION:
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(0x2F, 0x7B, 0xD6));
            p.drawEllipse(circle);
            glyph(QStringLiteral("?"), Qt::white, 0.66);
            break;
        case IDI_EXCLAMATION: {
            QPainterPath tri;
            tri.moveTo(s * 0.5, s * 0.06);
            tri.lineTo(s * 0.96, s * 0.92);
            tri.lineTo(s * 0.04, s * 0.92);
            tri.closeSubpath();
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(0xF2, 0xC2, 0x1B));
            p.drawPath(tri);
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(0x20, 0x20, 0x20));
            p.drawRoundedRect(QRectF(s * 0.45, s * 0.32, s * 0.10, s * 0.36), s * 0.04, s * 0.04);
            p.drawEllipse(QRectF(s * 0.445, s * 0.74, s * 0.11, s * 0.11));
            break;
        }
        case IDI_ASTERISK:
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(0x2F, 0x7B, 0xD6));
            p.drawEllipse(circle);
            p.setBrush(Qt::white);
            p.drawEllipse(QRectF(s * 0.44, s * 0.20, s * 0.12, s * 0.12));
            p.drawRoundedRect(QRectF(s * 0.44, s * 0.40, s * 0.12, s * 0.38), s * 0.03, s * 0.03);
            break;
        case IDI_APPLICATION:
            p.setPen(QPen(QColor(0x4A, 0x6F, 0x99), std::max(1.0, s / 32)));
            p.setBrush(Qt::white);
            p.drawRect(QRectF(s * 0.08, s * 0.14, s * 0.84, s * 0.72));
            p.setBrush(QColor(0x4A, 0x8F, 0xD9));
            p.drawRect(QRectF(s * 0.08, s * 0.14, s * 0.84, s * 0.16));
            break;
        default:
            return QImage();
    }
    return img;
}

}  // namespace

HIMAGE CreateImageFromPng(const uint8_t* data, size_t size) {
    if (!data || size == 0) return nullptr;
    RgbaImage decoded;
    if (!decodePngBytes(data, size, decoded).empty()) return nullptr;
    return CreateImageFromRgba(decoded);
}

HIMAGE CreateImageFromRgba(const RgbaImage& image, double scale) {
    QImage img = premultipliedFromRgba(image);
    if (img.isNull()) return nullptr;
    auto* h = new HIMAGE__;
    h->logical = img.size();
    if (scale > 1.0 && scale <= 8.0) {
        h->scale = scale;
        h->logical = QSize(std::max(1, static_cast<int>(std::lround(img.width() / scale))),
                           std::max(1, static_cast<int>(std::lround(img.height() / scale))));
    }
    h->image = std::move(img);
    return h;
}

void DeleteImage(HIMAGE image) { delete image; }
int GetImageWidth(HIMAGE image) { return image ? image->logical.width() : 0; }
int GetImageHeight(HIMAGE image) { return image ? image->logical.height() : 0; }

bool DrawImage(HDC hdc, HIMAGE image, int x, int y, int srcX, int srcY, int srcWidth, int srcHeight) {
    if (!hdc || !image || srcWidth <= 0 || srcHeight <= 0) return false;
    const QRect source = QRect(srcX, srcY, srcWidth, srcHeight).intersected(QRect(QPoint(0, 0), image->logical));
    if (source.isEmpty()) return true;
    const QRect target(x + (source.left() - srcX), y + (source.top() - srcY), source.width(), source.height());
    const double dstScale = hdc->bitmap->scale;
    if (dstScale == 1.0 && image->scale == 1.0) {
        composite(hdc, target, image->image, source, false);
        return true;
    }
    // Device pixels on both sides: art made for this density lands pixel for pixel.
    const QRect deviceSource = qtdetail::toDevice(source, image->scale).intersected(image->image.rect());
    const QRect deviceTarget = qtdetail::toDevice(target, dstScale);
    if (deviceSource.isEmpty() || deviceTarget.isEmpty()) return true;
    {
        QPainter p(&hdc->bitmap->image);
        p.setClipRegion(qtdetail::drawableRegion(hdc).intersected(deviceTarget));
        const QSize gap = deviceTarget.size() - deviceSource.size();
        if (image->scale == dstScale && std::abs(gap.width()) <= 1 && std::abs(gap.height()) <= 1) {
            // Art made for this density, off by the rounding of odd positions at 1.25 or 1.5 at
            // most: pixel for pixel.
            p.drawImage(deviceTarget.topLeft(), image->image, deviceSource);
        } else {
            // Smoothed when made smaller; enlarged (1x art on a dense screen) by nearest
            // neighbour, as the block transfers do.
            p.setRenderHint(QPainter::SmoothPixmapTransform, gap.width() < 0 || gap.height() < 0);
            p.drawImage(deviceTarget, image->image, deviceSource);
        }
    }
    if (hdc->bitmap->mono) qtdetail::requantize(hdc, target);
    return true;
}

bool DrawImage(HDC hdc, HIMAGE image, int x, int y) {
    if (!image) return false;
    return DrawImage(hdc, image, x, y, 0, 0, image->logical.width(), image->logical.height());
}

double GetScreenScale() { return qtdetail::screenScale(); }

HICON LoadSystemIcon(int id, int size) {
    if (size <= 0 || size > 1024) return nullptr;
    // Drawn at the screen's own resolution, so that it is as sharp there as at scale 1.
    const int deviceSize = qtdetail::toDevice(size, qtdetail::screenScale());
    QImage img = systemIconImage(id, deviceSize);
    if (img.isNull()) return nullptr;
    auto* icon = new HICON__;
    icon->image = std::move(img);
    icon->scale = static_cast<double>(deviceSize) / size;
    return icon;
}

HICON CreateIconFromRgba(const RgbaImage& image, double scale) {
    QImage img = premultipliedFromRgba(image);
    if (img.isNull()) return nullptr;
    auto* icon = new HICON__;
    icon->image = std::move(img);
    icon->scale = scale >= 1.0 && scale <= 8.0 ? scale : 1.0;
    return icon;
}

HICON CreateIconFromPng(const uint8_t* data, size_t size) {
    if (!data || size == 0) return nullptr;
    RgbaImage decoded;
    if (!decodePngBytes(data, size, decoded).empty()) return nullptr;
    return CreateIconFromRgba(decoded);
}

bool DestroyIcon(HICON icon) {
    if (!icon) return false;
    delete icon;
    return true;
}

SIZE GetIconSize(HICON icon) {
    if (!icon) return SIZE{};
    return SIZE{static_cast<LONG>(std::lround(icon->image.width() / icon->scale)),
                static_cast<LONG>(std::lround(icon->image.height() / icon->scale))};
}

bool DrawIconEx(HDC hdc, int x, int y, HICON icon, int width, int height) {
    if (!hdc || !icon) return false;
    const SIZE own = GetIconSize(icon);
    if (width <= 0) width = own.cx;
    if (height <= 0) height = own.cy;
    composite(hdc, QRect(x, y, width, height), icon->image, icon->image.rect(), true);
    return true;
}

bool DrawButtonMark(HDC hdc, int part, int state, const RECT* rect) {
    if (!hdc || !rect || state < 1 || state > 8) return false;
    if (part != BP_CHECKBOX && part != BP_RADIOBUTTON) return false;
    const int look = (state - 1) % 4;  // 0 normal, 1 hot, 2 pressed, 3 disabled
    const bool checked = state >= 5;
    const int side = part == BP_CHECKBOX ? 13 : 12;
    const int x = rect->left + (RectWidth(*rect) - side) / 2;
    const int y = rect->top + (RectHeight(*rect) - side) / 2;
    const QColor frame = look == 3 ? QColor(0xBC, 0xBC, 0xBC) : look == 0 ? QColor(0x70, 0x8C, 0xA8)
                                                                          : QColor(0x33, 0x8F, 0xE6);
    const QColor fill = look == 3 ? QColor(0xF0, 0xF0, 0xF0) : look == 2 ? QColor(0xCC, 0xE4, 0xF7)
                                                                         : QColor(0xFF, 0xFF, 0xFF);
    const QColor mark = look == 3 ? QColor(0xA0, 0xA0, 0xA0) : QColor(0x1F, 0x4E, 0x8C);
    {
        QPainter p;
        qtdetail::beginLogicalPainter(p, hdc);
        if (part == BP_CHECKBOX) {
            p.setPen(Qt::NoPen);
            p.setBrush(frame);
            p.drawRect(x, y, side, side);
            p.setBrush(fill);
            p.drawRect(x + 1, y + 1, side - 2, side - 2);
            if (checked) {
                p.setRenderHint(QPainter::Antialiasing, true);
                QPen pen(mark, 2.0, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
                p.setPen(pen);
                p.setBrush(Qt::NoBrush);
                QPainterPath tick;
                tick.moveTo(x + 3.0, y + 6.5);
                tick.lineTo(x + 5.5, y + 9.0);
                tick.lineTo(x + 10.0, y + 3.5);
                p.drawPath(tick);
            }
        } else {
            p.setRenderHint(QPainter::Antialiasing, true);
            p.setPen(QPen(frame, 1.0));
            p.setBrush(fill);
            p.drawEllipse(QRectF(x + 0.5, y + 0.5, side - 1.0, side - 1.0));
            if (checked) {
                p.setPen(Qt::NoPen);
                p.setBrush(mark);
                p.drawEllipse(QRectF(x + 3.0, y + 3.0, side - 6.0, side - 6.0));
            }
        }
    }
    if (hdc->bitmap->mono) qtdetail::requantize(hdc, QRect(x, y, side, side));
    return true;
}

}  // namespace platform
