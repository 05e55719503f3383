// The read page's pictures from the screen and the camera. Each ends in the page's one read path:
//  - 扫描屏幕: the window steps aside, every screen is grabbed, the window comes back and the
//    screenshot is read;
//  - the region mode (框选屏幕区域): the same grab, frozen over the whole screen, a rectangle
//    dragged over it, and only that part read;
//  - 摄像头: the first camera (a choice when there are several) shown live on the page with
//    every symbol outlined as it is found; the first verified read stops the camera and is read
//    as any picture is. A second press stops the camera.
// Failures are said in one line on the page.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/LiveScanner.h"
#include "app/ScreenGrabber.h"
#include "bkres/bkplatform.h"
#include "decoder/DecodedSymbol.h"
#include "platform/camera.h"
#include "platform/imaging.h"

class CReadPageScan {
public:
    // What the page does for it.
    struct Page {
        std::function<void(platform::RgbImage picture)> read;  // the one read path
        // A camera frame with the outlines of the latest read (of an earlier frame, a moment ago).
        std::function<void(const platform::RgbImage& frame, const std::vector<DecodedSymbol>& outlines)> showLive;
        std::function<void(std::u16string_view line)> say;  // the page's status line
        std::function<void(bool running)> cameraRunning;     // for the button's text
        std::function<void()> bringBack;                     // the window shown, restored, in front
    };

    CReadPageScan(HWND mainWindow, Page page);
    ~CReadPageScan();
    CReadPageScan(const CReadPageScan&) = delete;
    CReadPageScan& operator=(const CReadPageScan&) = delete;

    void ScanScreen();
    void ScanRegion();
    // Starts the camera, or stops it when it runs.
    void ToggleCamera();
    void StopCamera();
    bool CameraRunning() const { return m_scanner.Running(); }
    bool Grabbing() const { return m_grabber.Busy(); }
    const CLiveScanner& Scanner() const { return m_scanner; }

    // Where the camera's frames come from in place of a camera: a video file (merovask
    // --camera-video FILE, for demonstrations and tests). Empty: the cameras.
    static void SetCameraVideo(std::string path);

    // The page's line for a screen grab's failure and for a camera's (before translation).
    static std::u16string_view ScreenFailureLine(platform::ScreenGrabError error);
    static std::u16string_view CameraFailureLine(platform::FrameSourceError error);

private:
    void OnGrab(platform::ScreenGrab grab, bool region);
    std::unique_ptr<platform::FrameSource> ChooseCamera();

    HWND m_mainWindow;
    Page m_page;
    CScreenGrabber m_grabber;
    CLiveScanner m_scanner;
    std::vector<DecodedSymbol> m_liveOutlines;
};
