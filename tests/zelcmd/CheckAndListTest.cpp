// --check lines per device generation and --list-device-id serial formats.
#include "ZelcmdTestEnv.h"

namespace zel::test {
namespace {

const std::string kVersionLine = std::string("\r\nZelmorPro software veriosn: ") + ZEL_VERSION + "\r\n\r\n";

class CheckAndList : public ZelcmdTest {};

TEST_F(CheckAndList, FirstGenerationWith33VImage) {
    startSim({"gen=1"});
    auto r = zelcmd({"--check"});
    ASSERT_TRUE(r.exited()) << describe(r);
    EXPECT_EQ(r.status, 0) << describe(r);
    EXPECT_EQ(r.out, kVersionLine + "Device 1 (VK001234) :  \r\nEmulator is in STOP mode now.\n"
                                    "MCU firmware version: 2.30\nFPGA firmware version: 2.095 (3.3V)\n\r\n");
}

TEST_F(CheckAndList, G2And18VImageAndOldFpga) {
    startSim({"gen=2", "gen=1,serial=42,fw=0x021F825F", "gen=1,serial=7,fw=0x021E0240"});
    auto r = zelcmd({"-c"});
    ASSERT_TRUE(r.exited()) << describe(r);
    EXPECT_EQ(r.status, 0) << describe(r);
    EXPECT_EQ(r.out, kVersionLine +
                         "Device 1 (ZL123456) : \r\nEmulator is in STOP mode now.\n"
                         "MCU firmware version: 3.5\nFPGA firmware version: 2.095 (3.3V)\n\r\n"
                         "Device 2 (VK000042) :  \r\nEmulator is in STOP mode now.\n"
                         "MCU firmware version: 2.31\nFPGA firmware version: 2.095 (1.8V)\n\r\n"
                         "Device 3 (VK000007) :  \r\nEmulator is in STOP mode now.\n"
                         "MCU firmware version: 2.30\nFPGA firmware version: 2.064\n\n\r\n");
}

TEST_F(CheckAndList, EmulatingDeviceFailsTheCheck) {
    startSim({"gen=1"});
    ASSERT_EQ(zelcmd({"--start"}).status, 0);
    auto r = zelcmd({"--check"});
    ASSERT_TRUE(r.exited()) << describe(r);
    EXPECT_EQ(r.status, 8) << describe(r);
    EXPECT_EQ(r.out, kVersionLine + "Device 1 (VK001234) :  \r\n"
                                    "The command can't be executed\nEmulator is in Emulation mode now.\n\n");
}

TEST_F(CheckAndList, SerialNumberPrefixes) {
    startSim({"gen=1,serial=99999", "gen=2,serial=100000"});
    auto r = zelcmd({"--list-device-id", "0"});
    ASSERT_TRUE(r.exited()) << describe(r);
    EXPECT_EQ(r.status, 0) << describe(r);
    EXPECT_EQ(r.out, "Device 1 : VK099999\nDevice 2 : ZL100000\n");
    r = zelcmd({"--list-device-id", "1"});
    EXPECT_EQ(r.out, "Device 1 : VK099999 \n");
    r = zelcmd({"--list-device-id", "2"});
    EXPECT_EQ(r.out, "Device 2 : ZL100000\n");
    r = zelcmd({"--start"});
    EXPECT_EQ(r.status, 0) << describe(r);
    EXPECT_EQ(r.out.find("Device 2 (ZL100000) : \n"), r.out.find("Device 2")) << describe(r);
    EXPECT_EQ(r.out.rfind(header(1, 99999), 0), 0u) << describe(r);
}

TEST_F(CheckAndList, BlankIdentityHasNoSerialNumber) {
    startSim({"gen=1,blank=1"});
    auto r = zelcmd({"--list-device-id", "0"});
    ASSERT_TRUE(r.exited()) << describe(r);
    EXPECT_EQ(r.out, "Device 1  : N.A\n") << describe(r);
    r = zelcmd({"--list-device-id", "1"});
    EXPECT_EQ(r.out, "Device 1 : N.A\n") << describe(r);
    r = zelcmd({"--stop"});
    EXPECT_EQ(r.out, "Device 1 (N.A) : \nEmulator is in STOP mode now.\n") << describe(r);
}

}  // namespace
}  // namespace zel::test
