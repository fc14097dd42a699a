// The bridge tests' main: the process runs under umockdev's preload (and the denial shim ahead
// of it), re-executing itself when started without. Its own children (zelsim) then start
// without the preload; zelcmd children get it back through UsbBridge::childEnvironment().
#include "UsbBridge.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

int main(int argc, char** argv) {
    // umockdev_in_mock_environment() says so only once a testbed exists, hence a marker.
    if (std::getenv("ZEL_USB_BRIDGE_PRELOADED") == nullptr) {
        ::setenv("ZEL_USB_BRIDGE_PRELOADED", "1", 1);
        ::setenv("LD_PRELOAD", zel::test::usbbridge::preloadList().c_str(), 1);
        ::execv("/proc/self/exe", argv);
        std::perror("re-executing under umockdev's preload");
        return 1;
    }
    ::unsetenv("ZEL_USB_BRIDGE_PRELOADED");
    ::unsetenv("LD_PRELOAD");
    ::unsetenv("ZELMOR_SIM");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
