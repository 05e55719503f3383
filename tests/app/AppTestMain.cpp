// The program's windows need the platform's application for the whole run, and a runtime
// directory of their own, so that the single-instance lock never meets a copy the user runs.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "platform/window.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    std::string runtime = (std::filesystem::temp_directory_path() / "merovask-app-tests-XXXXXX").string();
    if (!mkdtemp(runtime.data())) return 1;
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    int result = 0;
    {
        platform::Application app(argc, argv);
        result = RUN_ALL_TESTS();
    }
    std::error_code ignored;
    std::filesystem::remove_all(runtime, ignored);
    return result;
}
