#include <gtest/gtest.h>

#include "harness/win.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Coordinates and DPI as the screen has them, whatever DPI the run sets.
    SetProcessDPIAware();
    WSADATA wsa;
    if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0) return 2;
    int result = RUN_ALL_TESTS();
    WSACleanup();
    return result;
}
