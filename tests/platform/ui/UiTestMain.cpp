// Runs the platform tests on one Qt application, always on the offscreen platform.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/window.h"

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::testing::InitGoogleTest(&argc, argv);
    platform::Application app(argc, argv);
    return RUN_ALL_TESTS();
}
