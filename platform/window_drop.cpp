// Drops: windows that accept them, the data a drag offers, and WM_DROPFILES.
#include <QBuffer>
#include <QDropEvent>
#include <QImage>
#include <QMimeData>
#include <QUrl>

#include "platform/qt/window_internal.h"

namespace platform {

using qtdetail::WindowPtr;

namespace {

// The nearest window at or above `hwnd` that accepts drops, or null.
HWND dropTarget(HWND hwnd) {
    for (WindowPtr w = qtdetail::lookup(hwnd); w; w = w->child ? qtdetail::lookup(w->parent) : nullptr) {
        if (w->acceptDrops) return w->hwnd;
        if (!w->child) break;
    }
    return nullptr;
}

bool isImageType(const QString& type) { return type.startsWith(QLatin1String("image/")); }

// Image data, or at least one local file (a link dragged from a browser is text for a field).
bool offersPicture(const QMimeData* data) {
    if (!data) return false;
    if (data->hasImage()) return true;
    for (const QString& type : data->formats()) {
        if (isImageType(type)) return true;
    }
    if (data->hasUrls()) {
        for (const QUrl& url : data->urls()) {
            if (url.isLocalFile()) return true;
        }
    }
    return false;
}

std::string bytesOf(const QByteArray& a) { return std::string(a.constData(), static_cast<size_t>(a.size())); }

}  // namespace

const std::string* MimeData::find(std::string_view type) const {
    for (const auto& [t, bytes] : formats) {
        if (t == type) return &bytes;
    }
    return nullptr;
}

void DragAcceptFiles(HWND hwnd, bool accept) {
    WindowPtr w = qtdetail::lookup(hwnd);
    if (!w) return;
    w->acceptDrops = accept;
    // Controls take text drops of their own; a plain window must ask Qt for drags.
    if (w->widget && !w->control) w->widget->setAcceptDrops(accept);
}

namespace qtdetail {

MimeData mimeDataOf(const QMimeData* data) {
    MimeData out;
    if (!data) return out;
    // One image format is fetched, PNG when offered: each fetch from another program is a round
    // trip, and the rest are the same picture.
    const QStringList types = data->formats();
    QString imageType;
    if (types.contains(QStringLiteral("image/png"))) {
        imageType = QStringLiteral("image/png");
    } else {
        for (const QString& type : types) {
            if (isImageType(type)) {
                imageType = type;
                break;
            }
        }
    }
    if (!imageType.isEmpty()) {
        out.formats.emplace_back(imageType.toStdString(), bytesOf(data->data(imageType)));
    } else if (data->hasImage()) {
        // A picture this program put there itself is held as an image, not as bytes.
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        if (qvariant_cast<QImage>(data->imageData()).save(&buffer, "PNG")) out.formats.emplace_back("image/png", bytesOf(png));
    }
    if (data->hasUrls()) out.formats.emplace_back("text/uri-list", bytesOf(data->data(QStringLiteral("text/uri-list"))));
    return out;
}

bool handleDragEvent(HWND hwnd, QDropEvent* e) {
    EntryGuard guard;
    const HWND target = dropTarget(hwnd);
    if (!target || inputBlocked(target) || !offersPicture(e->mimeData())) {
        e->ignore();
        return false;
    }
    e->setDropAction(Qt::CopyAction);
    e->accept();
    if (e->type() == QEvent::Drop) {
        const MimeData dropped = mimeDataOf(e->mimeData());
        SendMessage(target, WM_DROPFILES, reinterpret_cast<WPARAM>(&dropped), 0);
    }
    return true;
}

}  // namespace qtdetail
}  // namespace platform
