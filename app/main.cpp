// The process entry of the desktop program.
#include <string_view>

#include "app/ReadPageScan.h"
#include "app/TALVORINEXModule.h"
#include "platform/screen_scale.h"
#include "platform/shell.h"
#include "platform/window.h"

int main(int argc, char** argv) {
    platform::Application application(argc, argv);
    // The main window (layer 103, 800 x 600) always fits the screen: on a screen too small for it
    // at the screen's scale, the scale steps down.
    platform::FitScaleToScreen(argc, argv, platform::SIZE{800, 600});
    platform::Application::setDesktopFileName(MEROVASK_APP_ID);
    if (platform::CoInitialize() != platform::S_OK) return -1;
    {
        // The main window's result (2 on every normal end) is not the process's exit code.
        CTALVORINEXModule module;
        for (int i = 1; i < argc; ++i) {
            const std::string_view argument = argv[i];
            if (argument == "--scan-screen") module.ScanScreenOnStart();
            // The camera's frames from a video file (demonstrations, tests).
            if (argument == "--camera-video" && i + 1 < argc) CReadPageScan::SetCameraVideo(argv[++i]);
        }
        module.Run();
        if (module.RequestUnanswered()) return 1;
    }
    platform::CoUninitialize();
    return 0;
}
