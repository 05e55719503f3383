// Cameras and video files through Qt Multimedia: a QVideoSink fed by a QCamera or a
// QMediaPlayer, its frames turned into RGB pictures on the interface thread, the newest only.
#include "platform/camera.h"

#include <fcntl.h>
#include <unistd.h>

#include <QCamera>
#include <QCameraDevice>
#include <QCameraFormat>
#include <QFileInfo>
#include <QImage>
#include <QMediaCaptureSession>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QTimer>
#include <QUrl>
#include <QVideoFrame>
#include <QVideoSink>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <mutex>

namespace platform {

namespace {

// The FFmpeg backend reads V4L2 cameras and video files without GStreamer's plugins; a user's
// own QT_MEDIA_BACKEND still wins. Qt reads the variable when multimedia is first used.
void chooseMediaBackend() {
    static const bool chosen = [] {
        if (!qEnvironmentVariableIsSet("QT_MEDIA_BACKEND")) qputenv("QT_MEDIA_BACKEND", "ffmpeg");
        return true;
    }();
    (void)chosen;
}

RgbImage rgbFromFrame(const QVideoFrame& frame) {
    QImage image = frame.toImage();
    if (image.isNull() || image.width() > kMaxImageSide || image.height() > kMaxImageSide) return {};
    if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32)
        image.convertTo(QImage::Format_RGB32);  // premultiplied and other layouts
    RgbImage out(image.width(), image.height());
    for (int y = 0; y < image.height(); ++y) {
        const auto* source = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        uint8_t* target = out.pixel(0, y);
        for (int x = 0; x < image.width(); ++x, target += 3) {
            target[0] = static_cast<uint8_t>(qRed(source[x]));
            target[1] = static_cast<uint8_t>(qGreen(source[x]));
            target[2] = static_cast<uint8_t>(qBlue(source[x]));
        }
    }
    return out;
}

// What a camera's error text says, where Qt gives only "camera error".
FrameSourceError cameraErrorFromText(const QString& text) {
    if (text.contains(QLatin1String("busy"), Qt::CaseInsensitive)) return FrameSourceError::Busy;
    if (text.contains(QLatin1String("permission"), Qt::CaseInsensitive) ||
        text.contains(QLatin1String("denied"), Qt::CaseInsensitive))
        return FrameSourceError::PermissionDenied;
    return FrameSourceError::Failed;
}

// The part every source shares: the sink, the slot holding the newest frame, its hand-over to
// the interface thread, and the one error report.
class SinkSource : public FrameSource {
public:
    SinkSource() {
        // The sink may be fed from a decoding or capture thread: hold the newest frame and ask
        // the interface thread to take it, once per hand-over.
        QObject::connect(
            &sink_, &QVideoSink::videoFrameChanged, &context_,
            [this](const QVideoFrame& frame) { offer(frame); }, Qt::DirectConnection);
    }
    ~SinkSource() override { QObject::disconnect(&sink_, nullptr, &context_, nullptr); }

    void Start(FrameHandler onFrame, ErrorHandler onError) override {
        Stop();
        onFrame_ = std::move(onFrame);
        onError_ = std::move(onError);
        {
            std::lock_guard lock(mutex_);
            active_ = true;
            counts_ = {};
        }
        startDevice();
    }

    void Stop() override {
        {
            std::lock_guard lock(mutex_);
            if (!active_) return;
            active_ = false;
            latest_ = QVideoFrame();
        }
        stopDevice();
    }

    bool Active() const override {
        std::lock_guard lock(mutex_);
        return active_;
    }

    Counts FrameCounts() const override {
        std::lock_guard lock(mutex_);
        return counts_;
    }

protected:
    virtual void startDevice() = 0;
    virtual void stopDevice() = 0;

    // Reports `error` once and stops; later frames and errors are ignored.
    void fail(FrameSourceError error, const std::string& detail) {
        if (!Active()) return;
        Stop();
        if (onError_) onError_(error, detail);
    }
    // The same, from the event loop (for failures found inside Start).
    void failLater(FrameSourceError error, std::string detail) {
        QMetaObject::invokeMethod(
            &context_, [this, error, detail] { fail(error, detail); }, Qt::QueuedConnection);
    }
    uint64_t delivered() const { return FrameCounts().delivered; }

    QVideoSink sink_;
    QObject context_;  // lives on the interface thread; queued hand-overs die with it

private:
    void offer(const QVideoFrame& frame) {
        std::lock_guard lock(mutex_);
        if (!active_ || !frame.isValid()) return;
        if (latest_.isValid()) ++counts_.replaced;
        latest_ = frame;
        if (handOverQueued_) return;
        handOverQueued_ = true;
        QMetaObject::invokeMethod(&context_, [this] { handOver(); }, Qt::QueuedConnection);
    }

    void handOver() {
        QVideoFrame frame;
        {
            std::lock_guard lock(mutex_);
            handOverQueued_ = false;
            if (!active_) return;
            frame = latest_;
            latest_ = QVideoFrame();
        }
        RgbImage picture = rgbFromFrame(frame);
        if (picture.rgb.empty()) return;
        {
            std::lock_guard lock(mutex_);
            if (!active_) return;
            ++counts_.delivered;
        }
        if (onFrame_) onFrame_(std::move(picture));
    }

    mutable std::mutex mutex_;
    bool active_ = false;
    bool handOverQueued_ = false;
    QVideoFrame latest_;
    Counts counts_;
    FrameHandler onFrame_;
    ErrorHandler onError_;
};

// The format closest to 1280 x 720 that gives at least 15 frames a second: enough detail for
// small symbols, little enough to read every frame.
QCameraFormat preferredFormat(const QCameraDevice& device) {
    QCameraFormat best;
    double bestScore = 0;
    for (const QCameraFormat& format : device.videoFormats()) {
        if (format.maxFrameRate() < 15) continue;
        const double pixels = double(format.resolution().width()) * format.resolution().height();
        double score = std::abs(std::log(pixels / (1280.0 * 720.0)));
        if (pixels > 1280.0 * 720.0) score += 0.5;  // rather smaller than larger
        if (best.isNull() || score < bestScore) {
            best = format;
            bestScore = score;
        }
    }
    return best;
}

class CameraSource final : public SinkSource {
public:
    explicit CameraSource(QCameraDevice device) : device_(std::move(device)) {
        noFrames_.setSingleShot(true);
        noFrames_.setInterval(8000);
        QObject::connect(&noFrames_, &QTimer::timeout, &context_, [this] {
            if (delivered() == 0)
                fail(FrameSourceError::Failed, "the camera sends no pictures (another program may be using it)");
        });
    }
    ~CameraSource() override { Stop(); }

private:
    void startDevice() override {
        if (device_.isNull()) {
            failLater(FrameSourceError::NoCamera, "no camera");
            return;
        }
        // V4L2 devices say plainly why they cannot be opened; Qt's error does not.
        const QByteArray id = device_.id();
        if (id.startsWith("/dev/")) {
            const int fd = ::open(id.constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
            if (fd < 0) {
                const int error = errno;
                failLater(CameraErrorFromErrno(error), id.toStdString() + ": " + std::strerror(error));
                return;
            }
            ::close(fd);
        }
        camera_ = std::make_unique<QCamera>(device_);
        QObject::connect(camera_.get(), &QCamera::errorOccurred, &context_,
                         [this](QCamera::Error, const QString& text) { fail(cameraErrorFromText(text), text.toStdString()); });
        const QCameraFormat format = preferredFormat(device_);
        if (!format.isNull()) camera_->setCameraFormat(format);
        session_.setCamera(camera_.get());
        session_.setVideoSink(&sink_);
        camera_->start();
        noFrames_.start();
    }

    void stopDevice() override {
        noFrames_.stop();
        if (!camera_) return;
        camera_->stop();
        session_.setCamera(nullptr);
        camera_.reset();
    }

    QCameraDevice device_;
    QMediaCaptureSession session_;
    std::unique_ptr<QCamera> camera_;
    QTimer noFrames_;
};

class VideoFileSource final : public SinkSource {
public:
    explicit VideoFileSource(QString path) : path_(std::move(path)) {
        player_.setVideoSink(&sink_);
        QObject::connect(&player_, &QMediaPlayer::errorOccurred, &context_,
                         [this](QMediaPlayer::Error, const QString& text) {
                             fail(FrameSourceError::Failed, "cannot play the video: " + text.toStdString());
                         });
        QObject::connect(&player_, &QMediaPlayer::mediaStatusChanged, &context_,
                         [this](QMediaPlayer::MediaStatus status) {
                             if (status == QMediaPlayer::EndOfMedia) fail(FrameSourceError::Ended, "end of the video");
                             if (status == QMediaPlayer::InvalidMedia)
                                 fail(FrameSourceError::Failed, "not a video that can be played");
                         });
    }
    ~VideoFileSource() override { Stop(); }

private:
    void startDevice() override {
        const QFileInfo file(path_);
        if (!file.isFile() || !file.isReadable()) {
            failLater(FrameSourceError::Failed, "cannot open the video file " + path_.toStdString());
            return;
        }
        player_.setSource(QUrl::fromLocalFile(file.absoluteFilePath()));
        player_.play();
    }

    void stopDevice() override {
        player_.stop();
        player_.setSource(QUrl());
    }

    QString path_;
    QMediaPlayer player_;
};

}  // namespace

FrameSourceError CameraErrorFromErrno(int error) {
    switch (error) {
        case EACCES:
        case EPERM: return FrameSourceError::PermissionDenied;
        case EBUSY: return FrameSourceError::Busy;
        case ENOENT:
        case ENXIO:
        case ENODEV: return FrameSourceError::NoCamera;
        default: return FrameSourceError::Failed;
    }
}

std::vector<CameraInfo> ListCameras() {
    chooseMediaBackend();
    std::vector<CameraInfo> cameras;
    const QCameraDevice preferred = QMediaDevices::defaultVideoInput();
    for (const QCameraDevice& device : QMediaDevices::videoInputs()) {
        CameraInfo info;
        info.id = device.id().toStdString();
        info.description = device.description().toStdU16String();
        info.isDefault = device == preferred;
        cameras.insert(info.isDefault ? cameras.begin() : cameras.end(), std::move(info));
    }
    return cameras;
}

std::unique_ptr<FrameSource> FrameSource::OpenCamera(const std::string& id) {
    chooseMediaBackend();
    QCameraDevice device;
    if (id.empty()) {
        device = QMediaDevices::defaultVideoInput();
    } else {
        for (const QCameraDevice& candidate : QMediaDevices::videoInputs()) {
            if (candidate.id().toStdString() == id) device = candidate;
        }
    }
    return std::make_unique<CameraSource>(device);
}

std::unique_ptr<FrameSource> FrameSource::OpenVideoFile(const std::string& path) {
    chooseMediaBackend();
    return std::make_unique<VideoFileSource>(QString::fromStdString(path));
}

}  // namespace platform
