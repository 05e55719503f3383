// The pools draw and create fonts through the platform layer, which needs its application.
#include <gtest/gtest.h>

#include "platform/window.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    platform::Application app(argc, argv);
    return RUN_ALL_TESTS();
}
