// The process entry of the desktop program.
#include "app/TALVORINEXModule.h"
#include "platform/shell.h"
#include "platform/window.h"

int main(int argc, char** argv) {
    platform::Application application(argc, argv);
    platform::Application::setDesktopFileName(MEROVASK_APP_ID);
    if (platform::CoInitialize() != platform::S_OK) return -1;
    {
        // The main window's result (2 on every normal end) is not the process's exit code.
        CTALVORINEXModule module;
        module.Run();
    }
    platform::CoUninitialize();
    return 0;
}
