#include "app/ReadPageScan.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "app/ScreenRegionPicker.h"
#include "platform/shell.h"
#include "platform/translation.h"

namespace {

constexpr std::u16string_view kRegionHint = u"拖动鼠标框选要识别的区域，按 Esc 取消";
constexpr std::u16string_view kCameraLooking = u"摄像头已打开，请将二维码对准摄像头";
constexpr std::u16string_view kCameraStopped = u"摄像头已关闭";

std::string g_cameraVideo;

// The part `r` of `picture`.
platform::RgbImage Crop(const platform::RgbImage& picture, const RECT& r) {
    platform::RgbImage part(r.right - r.left, r.bottom - r.top);
    for (int y = 0; y < part.height; ++y) {
        std::copy_n(picture.pixel(r.left, r.top + y), static_cast<size_t>(part.width) * 3, part.pixel(0, y));
    }
    return part;
}

}  // namespace

void CReadPageScan::SetCameraVideo(std::string path) { g_cameraVideo = std::move(path); }

std::u16string_view CReadPageScan::ScreenFailureLine(platform::ScreenGrabError error) {
    switch (error) {
    case platform::ScreenGrabError::NoDisplay: return u"无法截取屏幕：找不到显示器";
    case platform::ScreenGrabError::NoPortal: return u"无法截取屏幕：需要桌面门户（xdg-desktop-portal）";
    case platform::ScreenGrabError::Refused: return u"截屏已取消";
    default: return u"无法截取屏幕";
    }
}

std::u16string_view CReadPageScan::CameraFailureLine(platform::FrameSourceError error) {
    switch (error) {
    case platform::FrameSourceError::NoCamera: return u"未找到摄像头";
    case platform::FrameSourceError::Busy: return u"摄像头正被其他程序使用";
    case platform::FrameSourceError::PermissionDenied: return u"没有使用摄像头的权限";
    case platform::FrameSourceError::Ended: return u"视频已结束，未找到二维码";
    default: return u"摄像头出错，无法取得画面";
    }
}

CReadPageScan::CReadPageScan(HWND mainWindow, Page page)
    : m_mainWindow(mainWindow),
      m_page(std::move(page)),
      m_scanner({
          .frame = [this](const platform::RgbImage& frame) { m_page.showLive(frame, m_liveOutlines); },
          .read =
              [this](const CLiveScanner::Read& read) {
                  m_liveOutlines = read.reading.symbols;
                  if (!read.finished) return;
                  m_page.cameraRunning(false);
                  // The frame that read goes through the page's one read path, as any picture.
                  m_page.read(read.frame);
              },
          .stopped =
              [this](platform::FrameSourceError error, const std::string& detail) {
                  std::fprintf(stderr, "Merovask: camera: %s\n", detail.c_str());
                  m_page.cameraRunning(false);
                  m_page.say(platform::Tr(CameraFailureLine(error)));
              },
      }) {}

CReadPageScan::~CReadPageScan() = default;

void CReadPageScan::ScanScreen() {
    StopCamera();
    m_grabber.Start(m_mainWindow, [this](platform::ScreenGrab grab) { OnGrab(std::move(grab), false); });
}

void CReadPageScan::ScanRegion() {
    StopCamera();
    m_grabber.Start(m_mainWindow, [this](platform::ScreenGrab grab) { OnGrab(std::move(grab), true); });
}

void CReadPageScan::OnGrab(platform::ScreenGrab grab, bool region) {
    if (grab.error != platform::ScreenGrabError::None) {
        std::fprintf(stderr, "Merovask: screen: %s\n", grab.detail.c_str());
        m_page.bringBack();
        m_page.say(platform::Tr(ScreenFailureLine(grab.error)));
        return;
    }
    if (region) {
        const std::optional<RECT> part = CScreenRegionPicker::Pick(grab.picture, platform::Tr(kRegionHint));
        m_page.bringBack();
        if (part) m_page.read(Crop(grab.picture, *part));
        return;
    }
    m_page.bringBack();
    m_page.read(std::move(grab.picture));
}

void CReadPageScan::ToggleCamera() {
    if (CameraRunning()) {
        StopCamera();
        m_page.say(platform::Tr(kCameraStopped));
        return;
    }
    std::unique_ptr<platform::FrameSource> source = ChooseCamera();
    if (!source) return;
    m_liveOutlines.clear();
    m_page.cameraRunning(true);
    m_page.say(platform::Tr(kCameraLooking));
    m_scanner.Start(std::move(source));
}

void CReadPageScan::StopCamera() {
    if (!CameraRunning()) return;
    m_scanner.Stop();
    m_page.cameraRunning(false);
}

std::unique_ptr<platform::FrameSource> CReadPageScan::ChooseCamera() {
    if (!g_cameraVideo.empty()) return platform::FrameSource::OpenVideoFile(g_cameraVideo);
    const std::vector<platform::CameraInfo> cameras = platform::ListCameras();
    if (cameras.empty()) {
        m_page.say(platform::Tr(CameraFailureLine(platform::FrameSourceError::NoCamera)));
        return nullptr;
    }
    if (cameras.size() == 1) return platform::FrameSource::OpenCamera(cameras[0].id);
    // Several: the user picks one, the system's default first.
    HMENU menu = platform::CreatePopupMenu();
    for (size_t i = 0; i < cameras.size(); ++i) {
        platform::AppendMenu(menu, platform::MF_STRING, i + 1, cameras[i].description);
    }
    POINT at{};
    GetCursorPos(&at);
    const int chosen = platform::TrackPopupMenu(menu, platform::TPM_RETURNCMD | platform::TPM_NONOTIFY, at.x, at.y,
                                                m_mainWindow);
    platform::DestroyMenu(menu);
    if (chosen <= 0 || static_cast<size_t>(chosen) > cameras.size()) return nullptr;
    return platform::FrameSource::OpenCamera(cameras[static_cast<size_t>(chosen) - 1].id);
}
