// Console texts of the sequential flows, byte for byte, and the per-device outcomes.
#include <gtest/gtest.h>

#include "Harness.h"

namespace zel::test {
namespace {

const std::string kSet = "Chip 1 W25Q32JV is set.\nVCC 3.3V is applied!\n";

TEST(FlowMessages, StopAndStartPrintTheHeaderAndDriveTheHoldPin) {
    Harness h(2);
    h.api.devices[0].emulating = true;
    h.api.devices[1].serial = 1234;
    auto r = h.dispatch({"--stop"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out,
              "Device 1 (ZL123456) : \nStop Emulator. \nEmulator is in STOP mode now.\n\n"
              "Device 2 (VK001234) : \nEmulator is in STOP mode now.\n");
    EXPECT_TRUE(h.api.called("hold 2 0"));
    EXPECT_TRUE(h.api.called("hold 2 1"));

    r = h.dispatch({"--start", "--hold", "2", "--device", "2"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out,
              "Device 2 (VK001234) : \nHold pin is in Input by default mode\n"
              "Start Emulator. \nEmulator is in Emulation mode.\nReady to boot your system now.\n");
    EXPECT_TRUE(h.api.called("hold 3 1"));
}

TEST(FlowMessages, AnUndetectedEmulatorFailsStopAndStart) {
    Harness h;
    h.api.devices[0].opened = false;
    h.api.devices[0].serial = zel::cmd::kSerialNotAvailable;
    auto r = h.dispatch({"--start", "--hold", "1"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "Device 1 (N.A) : \nHold pin is in Default low mode\nError: Emulator can not be detected\n\n");
}

TEST(FlowMessages, WithoutDeviceOneFailingDeviceFailsTheStep) {
    Harness h(2);
    h.api.devices[1].opened = false;
    auto r = h.dispatch({"--stop"});
    EXPECT_EQ(r.status, 1);
    // Every device still ran.
    EXPECT_TRUE(h.api.called("hold 2 0"));
    EXPECT_TRUE(h.api.called("hold 2 1"));
    EXPECT_EQ(h.dispatch({"--stop", "--device", "1"}).status, 0);
}

TEST(FlowMessages, ResetMessagesAndEmulatingDevices) {
    Harness h(2);
    h.api.devices[1].emulating = true;
    auto r = h.dispatch({"--reset", "2"});
    EXPECT_EQ(r.status, 11);
    EXPECT_EQ(r.out,
              "Enable reset function now. \nReset function is always enabled until ZelmorPro un-plug.\n"
              "The command can't be executed\nEmulator is in Emulation mode now.\n");
    r = h.dispatch({"--reset", "7", "--device", "1"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Disable reset function now.\nReset function is always disabled until enable the reset funtion \n");
    EXPECT_TRUE(h.api.called("reset 0 0"));
}

TEST(FlowMessages, ReadToTheConsoleIsAHexDumpWithoutFinalLineBreak) {
    Harness h;
    for (int i = 0; i < 20; ++i) h.api.devices[0].memory[0x100 + i] = static_cast<std::uint8_t>(i * 13);
    auto r = h.dispatch({"--set", "W25Q32JV", "-r", "STDOUT", "-a", "100", "-l", "14"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, kSet + "Device 1 : Read\nReading, please wait ...\n\n"
                            "00 0D 1A 27 34 41 4E 5B 68 75 82 8F 9C A9 B6 C3 \r\nD0 DD EA F7 ");
}

TEST(FlowMessages, ReadWithoutLengthReadsToTheChipEndOfTheSelectedTarget) {
    Harness h;
    h.dispatch({"--set", "W25Q32JV", "-r", (h.folder / "out.bin").string(), "-a", "0x800", "-g", "2"});
    EXPECT_TRUE(h.api.called("read " + std::to_string(0x80000800u) + " 2048 0"));
    EXPECT_TRUE(h.api.called("save 2048"));
}

TEST(FlowMessages, ReadThatFailsEndsWith5) {
    Harness h;
    h.api.devices[0].readFails = true;
    auto r = h.dispatch({"--set", "W25Q32JV", "-r", "STDOUT"});
    EXPECT_EQ(r.status, 5);
    EXPECT_TRUE(r.out.ends_with("Error: The emulator memory can not be read.\n")) << r.out;
}

TEST(FlowMessages, BlankCheckReportsByMessageAndFailsOnlyWhenItCannotRead) {
    Harness h;
    auto r = h.dispatch({"--set", "W25Q32JV", "-b"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, kSet + "Device 1 : \nChecking, please wait ...\n\nBlank Check OK\n\n");
    h.api.devices[0].memory[0xFFF] = 0xFE;
    r = h.dispatch({"--set", "W25Q32JV", "-b"});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.out.ends_with("Blank Check failed\n\n"));
    h.api.devices[0].readFails = true;
    r = h.dispatch({"--set", "W25Q32JV", "-b"});
    EXPECT_EQ(r.status, 9);
    EXPECT_TRUE(r.out.ends_with("Error: The emulator memory can not be read.\n")) << r.out;
}

TEST(FlowMessages, MemoryAndFileChecksums) {
    Harness h;
    h.api.devices[0].memory.assign(0x1000, 0);
    h.api.devices[0].memory[5] = 0x12;
    auto r = h.dispatch({"--set", "W25Q32JV", "-s"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, kSet + "Memory checksum\nChecking, please wait ...\n\nThe Memory Checksum 0x12\n");
    h.api.devices[0].readFails = true;
    EXPECT_EQ(h.dispatch({"--set", "W25Q32JV", "-s"}).status, 7);

    const auto three = h.file("three.bin", std::string("\x01\x02\x03", 3));
    r = h.dispatch({"-f", three.string()});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "\nChecksum(file): 0x6");
    EXPECT_EQ(h.dispatch({"-f", (h.folder / "missing.bin").string()}).status, 7);
}

TEST(FlowMessages, CommandsThatNeedAChipSaySo) {
    Harness h;
    auto r = h.dispatch({"-b"});
    EXPECT_EQ(r.status, 9);
    EXPECT_EQ(r.out, "Device 1 : \nChip is not selected. This command has to work with --set.\n");
    EXPECT_EQ(h.dispatch({"-s"}).status, 7);
    EXPECT_EQ(h.dispatch({"-r", "STDOUT"}).status, 5);
}

TEST(FlowMessages, CheckPrintsVersionsAndHeadersWithTheirBlanks) {
    Harness h(3);
    h.api.devices[1].serial = 42;
    h.api.devices[1].firmware = 0x021E0243;  // first generation, FPGA minor 67: no voltage
    h.api.devices[2].emulating = true;
    auto r = h.dispatch({"-c"});
    EXPECT_EQ(r.status, 8);
    const std::string version = std::string("\r\nZelmorPro software veriosn: ") + ZEL_VERSION + "\r\n\r\n";
    EXPECT_EQ(r.out, version +
                         "Device 1 (ZL123456) : \r\nEmulator is in STOP mode now.\nMCU firmware version: 3.5\n"
                         "FPGA firmware version: 2.095 (3.3V)\n\r\n"
                         "Device 2 (VK000042) :  \r\nEmulator is in STOP mode now.\nMCU firmware version: 2.30\n"
                         "FPGA firmware version: 2.067\n\n\r\n"
                         "Device 3 (ZL123456) :  \r\nThe command can't be executed\nEmulator is in Emulation mode "
                         "now.\n\n");
}

TEST(FlowMessages, DeviceListLineFormats) {
    Harness h(3);
    h.api.devices[0].serial = zel::cmd::kSerialNotAvailable;
    h.api.devices[1].serial = 1234;
    h.api.devices[2].serial = 3000000000u;  // above 2^31: never negative
    auto r = h.dispatch({"--list-device-id", "0"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Device 1  : N.A\nDevice 2 : VK001234\nDevice 3 : ZL3000000000\n");
    r = h.dispatch({"--device", "3", "--stop"});
    EXPECT_EQ(r.out.rfind("Device 3 (ZL3000000000) : \n", 0), 0u) << r.out;
    r = h.dispatch({"--list-device-id", "2"});
    EXPECT_EQ(r.out, "Device 2 : VK001234 \n");
    r = h.dispatch({"--list-device-id", "1"});
    EXPECT_EQ(r.out, "Device 1 : N.A\n");
    h.api.devices[2].emulating = true;
    r = h.dispatch({"--list-device-id", "0"});
    EXPECT_EQ(r.status, 10);
    EXPECT_EQ(r.out, "Device 1  : N.A\nDevice 2 : VK001234\nThe command can't be executed\nEmulator is in Emulation "
                     "mode now.\n");
}

}  // namespace
}  // namespace zel::test
