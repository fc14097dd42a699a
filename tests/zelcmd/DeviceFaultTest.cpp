// Emulators that do not answer, refuse a transfer midway or are held by another process: every
// such step fails with its exit status and says why; nothing is reported that did not happen.
#include "ZelcmdTestEnv.h"

namespace zel::test {
namespace {

constexpr const char* kNoAnswer = "Error: Emulator does not answer\n";

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class DeviceFault : public ZelcmdTest {
protected:
    void SetUp() override { startSim({"gen=2,serial=204711"}, {"--time-scale", "0.01"}); }
};

TEST_F(DeviceFault, ChipConfigurationThatFailsMidwayIsNotReportedAsSet) {
    // A register write (0x23) of the configuration, then a level frame (0x11) fail once each.
    for (const char* frame : {"23", "11"}) {
        sim_->control(std::string("fail 0 1 ") + frame);
        auto r = zelcmd({"--set", kChip33, "--sum"});
        ASSERT_TRUE(r.exited()) << describe(r);
        EXPECT_EQ(r.status, 3) << frame << describe(r);
        EXPECT_FALSE(contains(r.out, "is set.")) << frame << describe(r);
        EXPECT_TRUE(contains(r.out, std::string("Error: Chip 1 ") + kChip33 + " is not set.")) << describe(r);
        EXPECT_FALSE(contains(r.out, "Memory checksum")) << "later steps do not run";
    }
    // With the device answering again the same command works.
    EXPECT_EQ(zelcmd({"--set", kChip33, "--sum"}).status, 0);
}

TEST_F(DeviceFault, FailedVersionReadNeverMakesAG2EmulatorFirstGeneration) {
    sim_->control("fail 0 1 10");
    auto r = zelcmd({"--set", kChip33});
    EXPECT_EQ(r.status, 3) << describe(r);
    EXPECT_EQ(r.out, kNoAnswer);
    EXPECT_FALSE(contains(sim_->control("slot 0 0"), "0x40=")) << "no chip identity was configured";
}

TEST_F(DeviceFault, StalledEmulatorIsNeverReportedStartedStoppedOrAtVersionZero) {
    sim_->control("stall 0 on");
    auto r = zelcmd({"--start"});
    EXPECT_EQ(r.status, 2) << describe(r);
    EXPECT_FALSE(contains(r.out, "Ready to boot")) << describe(r);
    EXPECT_TRUE(contains(r.out, kNoAnswer)) << describe(r);

    r = zelcmd({"--stop"});
    EXPECT_EQ(r.status, 1) << describe(r);
    EXPECT_FALSE(contains(r.out, "STOP mode")) << describe(r);
    EXPECT_TRUE(contains(r.out, kNoAnswer)) << describe(r);

    r = zelcmd({"-c"});
    EXPECT_EQ(r.status, 8) << describe(r);
    EXPECT_FALSE(contains(r.out, "MCU firmware version")) << describe(r);
    EXPECT_TRUE(contains(r.out, kNoAnswer)) << describe(r);
    // stderr says how it failed; stdout above is unchanged.
    EXPECT_TRUE(contains(r.err, "  Reason: the emulator did not answer in time\n")) << describe(r);
    sim_->control("stall 0 off");
}

TEST_F(DeviceFault, FailedRunOrStopFrameFailsItsStepAndNothingFollowsAFailedStop) {
    // The run register written by --start (0x23 0x28) is refused.
    sim_->control("fail 0 1 2328");
    auto r = zelcmd({"--start"});
    EXPECT_EQ(r.status, 2) << describe(r);
    EXPECT_TRUE(contains(r.out, kNoAnswer)) << describe(r);
    EXPECT_FALSE(simRunning(*sim_, 0));

    ASSERT_EQ(zelcmd({"--start"}).status, 0);
    sim_->control("fail 0 1 2328");
    r = zelcmd({"--stop", "--set", kChip33});
    EXPECT_EQ(r.status, 1) << describe(r);
    EXPECT_FALSE(contains(r.out, "STOP mode")) << describe(r);
    EXPECT_FALSE(contains(r.out, "Chip 1")) << "no chip configuration goes into a running emulator";
    EXPECT_TRUE(simRunning(*sim_, 0));
}

TEST_F(DeviceFault, VerifyWhoseReadFailsSaysSo) {
    const auto image = patternBytes(kChipSize, 3);
    writeFile(file("image.bin"), image);
    // A whole-chip download reads nothing, so the first memory read (0x41) is the verify's.
    sim_->control("fail 0 1 41");
    auto r = zelcmd({"--set", kChip33, "-d", file("image.bin").string(), "-v"});
    EXPECT_EQ(r.status, 6) << describe(r);
    EXPECT_TRUE(contains(r.out, "Error: The emulator memory can not be read.\nVerify Fail. Checksum is different.\n"))
        << describe(r);
}

TEST_F(DeviceFault, ChipNamesAreFoundWithoutRegardToCase) {
    auto r = zelcmd({"--set", "w25q16jv"});
    EXPECT_EQ(r.status, 0) << describe(r);
    EXPECT_TRUE(contains(r.out, "Chip 1 w25q16jv is set.")) << describe(r);
}

TEST_F(DeviceFault, ZeroLengthReadAtTheChipEndSavesAnEmptyFile) {
    auto r = zelcmd({"--set", kChip33, "-r", file("end.bin").string(), "--addr", "0x200000"});
    EXPECT_EQ(r.status, 0) << describe(r);
    EXPECT_TRUE(fs::exists(file("end.bin")));
    EXPECT_EQ(fs::file_size(file("end.bin")), 0u);
}

// ---- emulators held by another process ----

class HeldEmulator : public ZelcmdTest {
protected:
    void SetUp() override { startSim({"gen=1,serial=1111", "gen=1,serial=2222"}); }
};

TEST_F(HeldEmulator, HeldFirstEmulatorNeverHidesAFreeSecondOne) {
    sim_->control("hold 0");
    auto r = zelcmd({"-c"});
    EXPECT_EQ(r.status, 8) << describe(r);
    EXPECT_FALSE(contains(r.out, "No device is connected!")) << describe(r);
    EXPECT_TRUE(contains(r.out, "Device 1 (N.A) :  \r\nError: Emulator can not be detected\n")) << describe(r);
    EXPECT_TRUE(contains(r.out, "Device 2 (VK002222) :  \r\nEmulator is in STOP mode now.")) << describe(r);
    EXPECT_TRUE(contains(r.err, "  Reason: ")) << describe(r);
    EXPECT_TRUE(contains(r.err, "dev00.usb is held by another process\n")) << describe(r);

    r = zelcmd({"--device", "2", "--start"});
    EXPECT_EQ(r.status, 0) << describe(r);
    EXPECT_TRUE(simRunning(*sim_, 1));
    sim_->control("release 0");
}

TEST_F(HeldEmulator, HeldSecondEmulatorIsReportedNotSkipped) {
    sim_->control("hold 1");
    auto r = zelcmd({"--start"});
    EXPECT_EQ(r.status, 2) << describe(r);
    EXPECT_TRUE(contains(r.out, "Device 2 (N.A) : \nHold pin is in Floating by default mode\n"
                                "Error: Emulator can not be detected\n"))
        << describe(r);
    EXPECT_TRUE(simRunning(*sim_, 0));
    sim_->control("release 1");
}

}  // namespace
}  // namespace zel::test
