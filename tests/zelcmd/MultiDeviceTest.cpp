// Two emulators: every operation on both in order, or on the one --device names.
#include "ZelcmdTestEnv.h"

namespace zel::test {
namespace {

class MultiDevice : public ZelcmdTest {
protected:
    void SetUp() override {
        startSim({"gen=1,serial=1111", "gen=1,serial=2222"});
        image_ = patternBytes(0x40000, 21);
        writeFile(file("image.bin"), image_);
    }
    std::vector<uint8_t> image_;
    const std::vector<uint8_t> erased_ = std::vector<uint8_t>(0x40000, 0xFF);
};

TEST_F(MultiDevice, WithoutDeviceEveryEmulatorRunsInOrder) {
    const auto path = file("image.bin").string();
    auto r = zelcmd({"--stop", "--set", kChip33, "-d", path, "-v", "--start"});
    ASSERT_TRUE(r.exited()) << describe(r);
    EXPECT_EQ(r.status, 0) << describe(r);
    const std::string set = std::string("Chip 1 ") + kChip33 + " is set.\nVCC 3.3V is applied!\n";
    const std::string downloading = " to emulator.\nDownloading, please wait ...\n\n";
    const std::string verify = "Checking, please wait ...\n\nVerify Pass. Checksum is the same.\n\n";
    const std::string start = "Hold pin is in Floating by default mode\n"
                              "Start Emulator. \nEmulator is in Emulation mode.\nReady to boot your system now.\n";
    EXPECT_EQ(r.out, header(1, 1111) + "Emulator is in STOP mode now.\n" + header(2, 2222) +
                         "Emulator is in STOP mode now.\n" + set + set +
                         "Device 1 : \nDownload " + path + downloading + "Device 2 : \nDownload " + path + downloading +
                         "\nDevice 1 : Download Complete\n\nDevice 2 : Download Complete\n" +
                         "Device 1 : Verify\n" + verify + "Device 2 : Verify\n" + verify +
                         header(1, 1111) + start + header(2, 2222) + start);
    for (int device : {0, 1}) {
        EXPECT_EQ(simDigest(*sim_, device, 0, 0x40000), digestOf(image_)) << device;
        EXPECT_TRUE(simRunning(*sim_, device)) << device;
    }
}

TEST_F(MultiDevice, DeviceSelectsOneEmulator) {
    const auto path = file("image.bin").string();
    auto r = zelcmd({"--device", "2", "--stop", "--set", kChip33, "-d", path, "-v", "--start"});
    ASSERT_TRUE(r.exited()) << describe(r);
    EXPECT_EQ(r.status, 0) << describe(r);
    EXPECT_EQ(r.out.find("Device 1"), std::string::npos) << describe(r);
    EXPECT_NE(r.out.find("\nDevice 2 : Download Complete\n"), std::string::npos) << describe(r);
    EXPECT_EQ(simDigest(*sim_, 1, 0, 0x40000), digestOf(image_));
    EXPECT_EQ(simDigest(*sim_, 0, 0, 0x40000), digestOf(erased_));
    EXPECT_TRUE(simRunning(*sim_, 1));
    EXPECT_FALSE(simRunning(*sim_, 0));

    r = zelcmd({"--device", "1", "--set", kChip33, "-b"});
    EXPECT_EQ(r.status, 0) << describe(r);
    EXPECT_EQ(r.out, std::string("Chip 1 ") + kChip33 +
                         " is set.\nVCC 3.3V is applied!\nDevice 1 : \nChecking, please wait ...\n\nBlank Check OK\n\n");
}

TEST_F(MultiDevice, AStepFailsWhenAnyDeviceFails) {
    // Device 2 emulates: its download is refused, device 1 still gets the image.
    ASSERT_EQ(zelcmd({"--device", "2", "--start"}).status, 0);
    auto r = zelcmd({"--set", kChip33, "-d", file("image.bin").string()});
    ASSERT_TRUE(r.exited()) << describe(r);
    EXPECT_EQ(r.status, 4) << describe(r);
    EXPECT_NE(r.out.find("\nDevice 1 : Download Complete\n\nDevice 2 : Download Failed\n"), std::string::npos)
        << describe(r);
    EXPECT_EQ(simDigest(*sim_, 0, 0, 0x40000), digestOf(image_));
    EXPECT_EQ(simDigest(*sim_, 1, 0, 0x40000), digestOf(erased_));
}

TEST_F(MultiDevice, ListDeviceId) {
    auto r = zelcmd({"--list-device-id", "0"});
    ASSERT_TRUE(r.exited()) << describe(r);
    EXPECT_EQ(r.status, 0) << describe(r);
    EXPECT_EQ(r.out, "Device 1 : VK001111\nDevice 2 : VK002222\n");
    r = zelcmd({"--list-device-id", "2"});
    EXPECT_EQ(r.status, 0) << describe(r);
    EXPECT_EQ(r.out, "Device 2 : VK002222 \n");

    // An emulating device is skipped with the two messages.
    ASSERT_EQ(zelcmd({"--device", "1", "--start"}).status, 0);
    r = zelcmd({"--list-device-id", "0"});
    EXPECT_EQ(r.out, "The command can't be executed\nEmulator is in Emulation mode now.\nDevice 2 : VK002222\n")
        << describe(r);
    r = zelcmd({"--list-device-id", "1"});
    EXPECT_EQ(r.status, 10) << describe(r);
    EXPECT_EQ(r.out, "The command can't be executed\nEmulator is in Emulation mode now.\n") << describe(r);
}


// --serial picks the emulator by its serial number wherever enumeration puts it: the same
// command reaches the same emulator in either order, as --device would by position.
TEST(SerialSelection, PicksTheSameEmulatorInEitherOrder) {
    for (const auto& devices : {std::vector<std::string>{"gen=1,serial=1111", "gen=1,serial=204711"},
                                std::vector<std::string>{"gen=1,serial=204711", "gen=1,serial=1111"}}) {
        struct Run : ZelcmdTest {
            void TestBody() override {}
            using ZelcmdTest::startSim;
            using ZelcmdTest::zelcmd;
            using ZelcmdTest::sim_;
        } world;
        world.startSim(devices);
        const int position = devices[0].find("204711") != std::string::npos ? 0 : 1;
        for (const char* typed : {"ZL204711", "(zl204711)", "204711"}) {
            auto r = world.zelcmd({"--serial", typed, "--start"});
            ASSERT_TRUE(r.exited()) << describe(r);
            EXPECT_EQ(r.status, 0) << typed << describe(r);
            EXPECT_EQ(r.out.rfind(header(position + 1, 204711), 0), 0u) << typed << describe(r);
            EXPECT_TRUE(simRunning(*world.sim_, position));
            EXPECT_FALSE(simRunning(*world.sim_, 1 - position)) << "the other emulator is left alone";
            EXPECT_EQ(world.zelcmd({"--serial", typed, "--stop"}).status, 0);
        }
        // A serial nobody reports, or --serial with --device, is an option error: nothing runs.
        for (const auto& args : {std::vector<std::string>{"--serial", "999", "--start"},
                                 std::vector<std::string>{"--serial", "1111", "--device", "1", "--start"}}) {
            auto r = world.zelcmd(args);
            EXPECT_EQ(r.status, 99) << describe(r);
            EXPECT_EQ(r.out, "") << describe(r);
            EXPECT_EQ(r.err.rfind("error: ", 0), 0u) << describe(r);
            EXPECT_FALSE(simRunning(*world.sim_, 0) || simRunning(*world.sim_, 1));
        }
    }
}

}  // namespace
}  // namespace zel::test
