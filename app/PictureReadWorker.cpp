#include "app/PictureReadWorker.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "platform/window.h"

CPictureReadWorker::CPictureReadWorker(HWND notify, UINT message, int previewSide)
    : m_notify(notify), m_message(message), m_previewSide(previewSide), m_thread([this] { Run(); }) {}

CPictureReadWorker::~CPictureReadWorker() {
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
        m_pending.reset();
        m_stop = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

unsigned CPictureReadWorker::Read(platform::RgbImage picture) {
    Request request;
    request.picture = std::move(picture);
    return Submit(std::move(request));
}

unsigned CPictureReadWorker::ReadFile(std::string utf8Path) {
    Request request;
    request.path = std::move(utf8Path);
    return Submit(std::move(request));
}

unsigned CPictureReadWorker::Submit(Request request) {
    unsigned ticket;
    {
        std::lock_guard lock(m_mutex);
        ticket = request.ticket = ++m_newest;
        m_pending = std::move(request);
        m_done.reset();
        m_stop = true;  // whatever runs now is superseded
    }
    m_wake.notify_all();
    return ticket;
}

std::optional<CPictureReadWorker::Result> CPictureReadWorker::Take(WPARAM ticket) {
    std::lock_guard lock(m_mutex);
    if (!m_done || m_done->ticket != ticket || ticket != m_newest) return std::nullopt;
    std::optional<Result> result = std::move(m_done);
    m_done.reset();
    m_taken = static_cast<unsigned>(ticket);
    return result;
}

bool CPictureReadWorker::Busy() const {
    std::lock_guard lock(m_mutex);
    return m_taken != m_newest;
}

void CPictureReadWorker::WaitIdle() {
    std::unique_lock lock(m_mutex);
    m_posted.wait(lock, [this] { return m_lastPosted == m_newest; });
}

void CPictureReadWorker::Run() {
    std::unique_lock lock(m_mutex);
    while (true) {
        m_wake.wait(lock, [this] { return m_quit || m_pending; });
        if (m_quit) return;
        Request request = std::move(*m_pending);
        m_pending.reset();
        m_stop = false;
        lock.unlock();
        Result result = Work(request);
        lock.lock();
        // A result of a superseded request is dropped here; its successor is already pending.
        if (m_quit || request.ticket != m_newest) continue;
        m_done = std::move(result);
        m_lastPosted = request.ticket;
        platform::PostMessageFromAnyThread(m_notify, m_message, request.ticket, 0);
        m_posted.notify_all();
    }
}

CPictureReadWorker::Result CPictureReadWorker::Work(Request& request) {
    Result result;
    result.ticket = request.ticket;
    if (!request.path.empty()) {
        result.loadError = platform::decodeImageFile(request.path, request.picture);
        if (!result.loadError.empty()) return result;
    }
    const platform::RgbImage& picture = request.picture;
    result.pictureWidth = picture.width;
    result.pictureHeight = picture.height;
    result.preview = FitPicture(picture, m_previewSide);
    if (m_stop) return result;
    result.reading = readPicture(picture, nullptr, &m_stop);
    return result;
}

platform::RgbImage CPictureReadWorker::FitPicture(const platform::RgbImage& picture, int side) {
    if (picture.width <= 0 || picture.height <= 0 || side <= 0) return {};
    const double scale = std::min(static_cast<double>(side) / picture.width, static_cast<double>(side) / picture.height);
    const int width = std::clamp(static_cast<int>(std::lround(picture.width * scale)), 1, side);
    const int height = std::clamp(static_cast<int>(std::lround(picture.height * scale)), 1, side);
    platform::RgbImage fitted(width, height);
    for (int y = 0; y < height; ++y) {
        // The source rows and columns that fall on this pixel: one when enlarging, a block when reducing.
        const int y0 = static_cast<int>(static_cast<int64_t>(y) * picture.height / height);
        const int y1 = std::max(y0 + 1, static_cast<int>(static_cast<int64_t>(y + 1) * picture.height / height));
        for (int x = 0; x < width; ++x) {
            const int x0 = static_cast<int>(static_cast<int64_t>(x) * picture.width / width);
            const int x1 = std::max(x0 + 1, static_cast<int>(static_cast<int64_t>(x + 1) * picture.width / width));
            uint64_t sum[3] = {0, 0, 0};
            for (int sy = y0; sy < y1; ++sy) {
                const uint8_t* p = picture.pixel(x0, sy);
                for (int sx = x0; sx < x1; ++sx, p += 3) {
                    sum[0] += p[0];
                    sum[1] += p[1];
                    sum[2] += p[2];
                }
            }
            const uint64_t count = static_cast<uint64_t>(y1 - y0) * (x1 - x0);
            uint8_t* out = fitted.pixel(x, y);
            for (int c = 0; c < 3; ++c) out[c] = static_cast<uint8_t>((sum[c] + count / 2) / count);
        }
    }
    return fitted;
}
