// The typical production-line run: stop, select the chip, download, verify, start.
#include "ZelcmdTestEnv.h"

namespace zel::test {
namespace {

class TypicalRun : public ZelcmdTest {
protected:
    void SetUp() override { startSim({"gen=1"}); }
};

std::string typicalTranscript(const std::string& image) {
    return header(1, 1234) + "Emulator is in STOP mode now.\n" +
           "Chip 1 W25Q16JV is set.\nVCC 3.3V is applied!\n" +
           "Device 1 : \nDownload " + image + " to emulator.\nDownloading, please wait ...\n\n" +
           "\nDevice 1 : Download Complete\n" +
           "Device 1 : Verify\nChecking, please wait ...\n\nVerify Pass. Checksum is the same.\n\n" +
           header(1, 1234) + "Hold pin is in Floating by default mode\n" +
           "Start Emulator. \nEmulator is in Emulation mode.\nReady to boot your system now.\n";
}

TEST_F(TypicalRun, StopSetDownloadVerifyStart) {
    const auto image = patternBytes(kChipSize, 7);
    const auto path = file("firmware.bin").string();
    writeFile(path, image);

    auto r = zelcmd({"--stop", "--set", kChip33, "-d", path, "-v", "--start"});
    ASSERT_TRUE(r.exited()) << describe(r);
    EXPECT_EQ(r.status, 0) << describe(r);
    EXPECT_EQ(r.out, typicalTranscript(path));
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(simDigest(*sim_, 0, 0, kChipSize), digestOf(image));
    EXPECT_TRUE(simRunning(*sim_, 0));
}

TEST_F(TypicalRun, OptionOrderDoesNotMatter) {
    const auto image = patternBytes(kChipSize, 8);
    const auto path = file("firmware.bin").string();
    writeFile(path, image);
    ASSERT_EQ(zelcmd({"--stop"}).status, 0);

    auto r = zelcmd({"--start", "-v", "-d", path, "--set", kChip33, "--stop"});
    ASSERT_TRUE(r.exited()) << describe(r);
    EXPECT_EQ(r.status, 0) << describe(r);
    EXPECT_EQ(r.out, typicalTranscript(path));
    EXPECT_EQ(simDigest(*sim_, 0, 0, kChipSize), digestOf(image));

    // Run again while emulating: stop first, the same memory afterwards, started again.
    r = zelcmd({"--download", path, "--verify", "--start", "--set", kChip33, "--stop"});
    EXPECT_EQ(r.status, 0) << describe(r);
    EXPECT_EQ(r.out.rfind(header(1, 1234) + "Stop Emulator. \nEmulator is in STOP mode now.\n\n", 0), 0u) << describe(r);
    EXPECT_TRUE(simRunning(*sim_, 0));
}

TEST(TypicalRunG2, SameRoadOnASecondGenerationEmulator) {
    SimProcess sim({"gen=2"}, {"--time-scale", "0.01"});
    ZelcmdProcess env(&sim);
    const auto image = patternBytes(kChipSize, 9);
    const auto path = (env.workDir() / "firmware.bin").string();
    writeFile(path, image);
    // The chip matches the 3.3 V image: nothing is asked, so input that never ends is harmless.
    auto r = env.run({"--stop", "--set", kChip33, "-d", path, "-v", "--start"}, ChildInput::keptOpen());
    ASSERT_TRUE(r.exited()) << describe(r);
    EXPECT_EQ(r.status, 0) << describe(r);
    std::string expected = typicalTranscript(path);
    for (auto at = expected.find("(VK001234)"); at != std::string::npos; at = expected.find("(VK001234)"))
        expected.replace(at, 10, "(ZL123456)");
    EXPECT_EQ(r.out, expected);
    EXPECT_EQ(simDigest(sim, 0, 0, kChipSize), digestOf(image));
    EXPECT_TRUE(simRunning(sim, 0));
}

}  // namespace
}  // namespace zel::test
