// Windows need the platform's application for the whole run.
#include <gtest/gtest.h>

#include "platform/window.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    platform::Application app(argc, argv);
    return RUN_ALL_TESTS();
}
