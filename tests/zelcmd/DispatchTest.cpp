// The fixed order of the steps and the gates between them, on one first-generation emulator
// (serial 1234).
#include "ZelcmdTestEnv.h"

namespace zel::test {
namespace {

class Dispatch : public ZelcmdTest {
protected:
    void SetUp() override { startSim({"gen=1"}); }
};

const std::string kStopIdle = header(1, 1234) + "Emulator is in STOP mode now.\n";
const std::string kSet33 = std::string("Chip 1 ") + kChip33 + " is set.\nVCC 3.3V is applied!\n";

TEST_F(Dispatch, VerifyWithoutDownloadEndsWith99AfterStopAndSet) {
    auto r = zelcmd({"-v", "--set", kChip33, "--stop", "-b", "--start"});
    ASSERT_TRUE(r.exited()) << describe(r);
    EXPECT_EQ(r.status, 99) << describe(r);
    EXPECT_EQ(r.out, kStopIdle + kSet33 + "This command has to work with -d.\n") << describe(r);
    EXPECT_FALSE(simRunning(*sim_, 0));
}

TEST_F(Dispatch, FillOrTruncateWithoutDownloadAndAddressWithoutTransfer) {
    for (const auto& args : {std::vector<std::string>{"-x", "0xAA"}, {"-t"}, {"-a", "0x100"}, {"-l", "0x100"}}) {
        auto r = zelcmd(args);
        ASSERT_TRUE(r.exited()) << describe(r);
        EXPECT_EQ(r.status, 99) << describe(r);
        EXPECT_EQ(r.out, "This command has to work with -d.\n") << describe(r);
    }
}

TEST_F(Dispatch, HoldWithoutStartRunsEverythingElseThenEndsWith13) {
    auto r = zelcmd({"--hold", "2", "--stop", "--set", kChip33, "-b"});
    ASSERT_TRUE(r.exited()) << describe(r);
    EXPECT_EQ(r.status, 13) << describe(r);
    EXPECT_EQ(r.out, kStopIdle + kSet33 + "Device 1 : \nChecking, please wait ...\n\nBlank Check OK\n\n" +
                         "This command has to work with --start.\n")
        << describe(r);
    // The default hold value needs no --start.
    r = zelcmd({"--hold", "3", "--stop"});
    EXPECT_EQ(r.status, 0) << describe(r);
    EXPECT_EQ(r.out, kStopIdle) << describe(r);
}

TEST_F(Dispatch, StartWrittenBeforeStopStillStopsFirst) {
    auto r = zelcmd({"--start", "--stop"});
    ASSERT_TRUE(r.exited()) << describe(r);
    EXPECT_EQ(r.status, 0) << describe(r);
    EXPECT_EQ(r.out, kStopIdle + header(1, 1234) + "Hold pin is in Floating by default mode\n" +
                         "Start Emulator. \nEmulator is in Emulation mode.\nReady to boot your system now.\n")
        << describe(r);
    EXPECT_TRUE(simRunning(*sim_, 0));

    // Now emulating: stop stops it, start reports the running state.
    r = zelcmd({"--start"});
    EXPECT_EQ(r.out, header(1, 1234) + "Hold pin is in Floating by default mode\nEmulator is in Emulation mode now.\n")
        << describe(r);
    r = zelcmd({"--stop"});
    EXPECT_EQ(r.status, 0) << describe(r);
    EXPECT_EQ(r.out, header(1, 1234) + "Stop Emulator. \nEmulator is in STOP mode now.\n\n") << describe(r);
    EXPECT_FALSE(simRunning(*sim_, 0));
}

TEST_F(Dispatch, HoldValuesPrintTheirMode) {
    auto r = zelcmd({"--start", "--hold", "1"});
    EXPECT_EQ(r.status, 0) << describe(r);
    EXPECT_NE(r.out.find("Hold pin is in Default low mode\n"), std::string::npos) << describe(r);
    r = zelcmd({"--start", "--hold", "2"});
    EXPECT_NE(r.out.find("Hold pin is in Input by default mode\n"), std::string::npos) << describe(r);
}

TEST_F(Dispatch, ResetRunsBeforeTheChipIsSelected) {
    auto r = zelcmd({"--set", kChip33, "--reset", "1"});
    ASSERT_TRUE(r.exited()) << describe(r);
    EXPECT_EQ(r.status, 0) << describe(r);
    EXPECT_EQ(r.out, "Disable reset function now.\nReset function is always disabled until enable the reset funtion \n" +
                         kSet33)
        << describe(r);
    r = zelcmd({"--reset", "2"});
    EXPECT_EQ(r.out, "Enable reset function now. \nReset function is always enabled until ZelmorPro un-plug.\n")
        << describe(r);
}

TEST_F(Dispatch, StepsThatNeedAChipWithoutSet) {
    writeFile(file("image.bin"), patternBytes(4096, 1));
    auto r = zelcmd({"-d", file("image.bin").string()});
    EXPECT_EQ(r.status, 4) << describe(r);
    EXPECT_EQ(r.out, "Chip is not selected. This command has to work with --set.\n") << describe(r);
    r = zelcmd({"-b"});
    EXPECT_EQ(r.status, 9) << describe(r);
    EXPECT_EQ(r.out, "Device 1 : \nChip is not selected. This command has to work with --set.\n") << describe(r);
    r = zelcmd({"-r", file("out.bin").string()});
    EXPECT_EQ(r.status, 5) << describe(r);
    EXPECT_EQ(r.out, "Chip is not selected. This command has to work with --set.\n") << describe(r);
    EXPECT_FALSE(fs::exists(file("out.bin")));
    r = zelcmd({"-s"});
    EXPECT_EQ(r.status, 7) << describe(r);
    EXPECT_EQ(r.out, "Chip is not selected. This command has to work with --set.\n") << describe(r);
    // Nothing reached the emulation memory.
    EXPECT_EQ(simDigest(*sim_, 0, 0, 4096), digestOf(std::vector<uint8_t>(4096, 0xFF)));
}

TEST_F(Dispatch, DeviceNumberOutsideTheAttachedEmulatorsIsAnOptionError) {
    for (const char* number : {"0", "2", "9"}) {
        auto r = zelcmd({"--device", number, "--start"});
        ASSERT_TRUE(r.exited()) << describe(r);
        EXPECT_EQ(r.status, 99) << number << describe(r);
        EXPECT_EQ(r.out.find("Start Emulator"), std::string::npos) << describe(r);
        EXPECT_FALSE(simRunning(*sim_, 0));
    }
}

TEST_F(Dispatch, UnsupportedChipFailsWith3) {
    for (const char* chip : {"NO_SUCH_CHIP", "../ZelmorPro/W25Q16JV", "ZelmorPro/W25Q16JV"}) {
        auto r = zelcmd({"--set", chip, "--start"});
        ASSERT_TRUE(r.exited()) << describe(r);
        EXPECT_EQ(r.status, 3) << chip << describe(r);
        EXPECT_EQ(r.out, "Error: the chip is not supported now ...\n") << describe(r);
        EXPECT_FALSE(simRunning(*sim_, 0));
    }
    // A near miss is answered with the catalogue's closest names, on stderr only.
    auto r = zelcmd({"--set", "w25q16jx"});
    EXPECT_EQ(r.status, 3) << describe(r);
    EXPECT_EQ(r.out, "Error: the chip is not supported now ...\n") << describe(r);
    EXPECT_EQ(r.err.rfind("  Reason: no chip configuration is named w25q16jx; closest: W25Q16JV", 0), 0u) << describe(r);
}

TEST_F(Dispatch, BlankAndChecksums) {
    // Fresh memory is erased.
    auto r = zelcmd({"--set", kChip33, "-b", "-s"});
    ASSERT_TRUE(r.exited()) << describe(r);
    EXPECT_EQ(r.status, 0) << describe(r);
    EXPECT_EQ(r.out, kSet33 + "Device 1 : \nChecking, please wait ...\n\nBlank Check OK\n\n" +
                         "Memory checksum\nChecking, please wait ...\n\nThe Memory Checksum 0x1fe00000\n")
        << describe(r);

    // One programmed byte: the blank check says so but the run still succeeds.
    sim_->control("fill 0 0x1ffff0 1 0x12");
    r = zelcmd({"--set", kChip33, "-b", "-s"});
    EXPECT_EQ(r.status, 0) << describe(r);
    EXPECT_EQ(r.out, kSet33 + "Device 1 : \nChecking, please wait ...\n\nBlank Check failed\n\n" +
                         "Memory checksum\nChecking, please wait ...\n\nThe Memory Checksum 0x1fdfff13\n")
        << describe(r);

    writeFile(file("three.bin"), std::vector<uint8_t>{0x01, 0x02, 0x03});
    r = zelcmd({"-f", file("three.bin").string()});
    EXPECT_EQ(r.status, 0) << describe(r);
    EXPECT_EQ(r.out, "\nChecksum(file): 0x6") << describe(r);
    r = zelcmd({"--fsum", file("missing.bin").string()});
    EXPECT_EQ(r.status, 7) << describe(r);
}

TEST_F(Dispatch, EmulatingDeviceIsNeverWritten) {
    writeFile(file("image.bin"), patternBytes(4096, 2));
    ASSERT_EQ(zelcmd({"--start"}).status, 0);
    auto r = zelcmd({"--set", kChip33, "-d", file("image.bin").string()});
    ASSERT_TRUE(r.exited()) << describe(r);
    EXPECT_EQ(r.status, 4) << describe(r);
    EXPECT_NE(r.out.find("The command can't be executed\nEmulator is in Emulation mode now.\n"), std::string::npos)
        << describe(r);
    EXPECT_NE(r.out.find("\nDevice 1 : Download Failed\n"), std::string::npos) << describe(r);
    EXPECT_EQ(simDigest(*sim_, 0, 0, 4096), digestOf(std::vector<uint8_t>(4096, 0xFF)));
}

TEST_F(Dispatch, FirmwareUpdateThatCannotReadItsFileFailsWith12) {
    const auto flashBefore = sim_->control("flash 0 0 0x1000");
    auto r = zelcmd({"--update-fw", file("missing.fw").string(), "--start"});
    ASSERT_TRUE(r.exited()) << describe(r);
    EXPECT_EQ(r.status, 12) << describe(r);
    EXPECT_NE(r.out.find("Device 1 (VK001234) :  Firmware updating .....\n"), std::string::npos) << describe(r);
    EXPECT_NE(r.out.find("\nDevice 1 : Firmware Update Fail!"), std::string::npos) << describe(r);
    EXPECT_NE(r.out.find("Please replug ZelmorPro..."), std::string::npos) << describe(r);
    EXPECT_EQ(sim_->control("flash 0 0 0x1000"), flashBefore);
    EXPECT_FALSE(simRunning(*sim_, 0));

    // An emulating device named with --device fails the step before any worker starts.
    ASSERT_EQ(zelcmd({"--start"}).status, 0);
    r = zelcmd({"--device", "1", "--update-fw", file("missing.fw").string()});
    EXPECT_EQ(r.status, 12) << describe(r);
    EXPECT_EQ(r.out, "The command can't be executed\nEmulator is in Emulation mode now.\n") << describe(r);
}

TEST_F(Dispatch, EmulatorHeldByAnotherProcess) {
    // The only emulator is held elsewhere: it is found, so it is reported and its step fails;
    // "No device is connected!" would send the user looking for a cable.
    sim_->control("hold 0");
    auto r = zelcmd({"--stop"});
    ASSERT_TRUE(r.exited()) << describe(r);
    EXPECT_EQ(r.status, 1) << describe(r);
    EXPECT_EQ(r.out, "Device 1 (N.A) : \nError: Emulator can not be detected\n\n") << describe(r);
    sim_->control("release 0");
}

TEST(DispatchHeld, FirstSlotHeldElsewhereFailsEachStepAndTheSecondIsServed) {
    SimProcess sim({"gen=1", "gen=1,serial=2222"});
    ZelcmdProcess env(&sim);
    sim.control("hold 0");
    const std::string notDetected = "Error: Emulator can not be detected\n";
    auto r = env.run({"--stop"});
    ASSERT_TRUE(r.exited()) << describe(r);
    EXPECT_EQ(r.status, 1) << describe(r);
    EXPECT_NE(r.out.find(notDetected), std::string::npos) << describe(r);
    r = env.run({"--start"});
    EXPECT_EQ(r.status, 2) << describe(r);
    EXPECT_NE(r.out.find(notDetected), std::string::npos) << describe(r);
    EXPECT_FALSE(simRunning(sim, 0));
    EXPECT_TRUE(simRunning(sim, 1));
    r = env.run({"--device", "1", "--set", kChip33});
    EXPECT_EQ(r.status, 3) << describe(r);
    EXPECT_EQ(r.out, notDetected + "\n") << describe(r);
    sim.control("release 0");
}

}  // namespace
}  // namespace zel::test
