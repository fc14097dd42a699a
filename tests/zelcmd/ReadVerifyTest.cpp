// Read-back to files and the console, and verify, against memory the simulator holds.
#include "ZelcmdTestEnv.h"

namespace zel::test {
namespace {

class ReadVerify : public ZelcmdTest {
protected:
    void SetUp() override {
        startSim({"gen=1"});
        image_ = patternBytes(kChipSize, 11);
        writeFile(file("image.bin"), image_);
        auto r = zelcmd({"--set", kChip33, "-d", file("image.bin").string()});
        ASSERT_EQ(r.status, 0) << describe(r);
        ASSERT_EQ(simDigest(*sim_, 0, 0, kChipSize), digestOf(image_));
    }
    std::vector<uint8_t> image_;
};

std::string readTranscript(const std::string& path) {
    return "Device 1 : Read\nReading, please wait ...\n\nSaving, please wait...\nSuccessfully saved into file: " + path +
           "\n";
}

TEST_F(ReadVerify, RoundTripsThroughEveryFileFormat) {
    const auto bin = file("out.bin").string();
    auto r = zelcmd({"--set", kChip33, "-r", bin});
    ASSERT_TRUE(r.exited()) << describe(r);
    EXPECT_EQ(r.status, 0) << describe(r);
    EXPECT_EQ(r.out, std::string("Chip 1 ") + kChip33 + " is set.\nVCC 3.3V is applied!\n" + readTranscript(bin));
    EXPECT_EQ(readFile(bin), image_);

    const std::vector<uint8_t> window(image_.begin() + 0x10000, image_.begin() + 0x30000);
    const auto hex = file("out.hex").string();
    r = zelcmd({"--set", kChip33, "-r", hex, "-a", "0x10000", "-l", "0x20000"});
    EXPECT_EQ(r.status, 0) << describe(r);
    EXPECT_EQ(decodeWithObjcopy(hex, "ihex"), window);

    const auto s19 = file("out.s19").string();
    r = zelcmd({"--set", kChip33, "-r", s19, "-a", "10000", "-l", "20000"});
    EXPECT_EQ(r.status, 0) << describe(r);
    EXPECT_EQ(decodeWithObjcopy(s19, "srec"), window);
}

TEST_F(ReadVerify, AddressWithoutLengthReadsToTheChipEnd) {
    const auto path = file("tail.bin").string();
    auto r = zelcmd({"--set", kChip33, "-r", path, "-a", "0x1000"});
    EXPECT_EQ(r.status, 0) << describe(r);
    EXPECT_EQ(readFile(path), std::vector<uint8_t>(image_.begin() + 0x1000, image_.end()));
}

TEST_F(ReadVerify, RangeBeyondTheChipFailsWith5) {
    const auto path = file("beyond.bin").string();
    auto r = zelcmd({"--set", kChip33, "-r", path, "-a", "0x1ff000", "-l", "0x2000"});
    ASSERT_TRUE(r.exited()) << describe(r);
    EXPECT_EQ(r.status, 5) << describe(r);
    EXPECT_FALSE(fs::exists(path));
}

TEST_F(ReadVerify, ConsoleDumpLayout) {
    auto r = zelcmd({"--set", kChip33, "-r", "STDOUT", "-l", "0x14", "-a", "0x20"});
    ASSERT_TRUE(r.exited()) << describe(r);
    EXPECT_EQ(r.status, 0) << describe(r);
    std::string dump;
    char byte[8];
    for (int i = 0; i < 0x14; ++i) {
        if (i != 0 && i % 16 == 0) dump += "\r\n";
        std::snprintf(byte, sizeof byte, "%02X ", image_[0x20 + i]);
        dump += byte;
    }
    EXPECT_EQ(r.out, std::string("Chip 1 ") + kChip33 + " is set.\nVCC 3.3V is applied!\n" +
                         "Device 1 : Read\nReading, please wait ...\n\n" + dump);
    // "stdout" in other letters is a file name.
    r = zelcmd({"--set", kChip33, "-r", "stdout", "-l", "0x10"});
    EXPECT_EQ(r.status, 0) << describe(r);
    EXPECT_EQ(readFile(file("stdout")), std::vector<uint8_t>(image_.begin(), image_.begin() + 0x10));
}

TEST_F(ReadVerify, VerifyPassesAndCatchesACorruptedWrite) {
    auto r = zelcmd({"--set", kChip33, "-d", file("image.bin").string(), "-v"});
    EXPECT_EQ(r.status, 0) << describe(r);
    EXPECT_NE(r.out.find("Device 1 : Verify\nChecking, please wait ...\n\nVerify Pass. Checksum is the same.\n\n"),
              std::string::npos)
        << describe(r);

    sim_->control("corrupt 0 5");
    r = zelcmd({"--set", kChip33, "-d", file("image.bin").string(), "-v", "--start"});
    ASSERT_TRUE(r.exited()) << describe(r);
    EXPECT_EQ(r.status, 6) << describe(r);
    EXPECT_NE(r.out.find("\nDevice 1 : Download Complete\n"), std::string::npos) << describe(r);
    EXPECT_NE(r.out.find("Device 1 : Verify\nChecking, please wait ...\n\nVerify Fail. Checksum is different.\n\n"),
              std::string::npos)
        << describe(r);
    // The run ends at the failed verify: no start.
    EXPECT_EQ(r.out.find("Start Emulator"), std::string::npos) << describe(r);
    EXPECT_FALSE(simRunning(*sim_, 0));
}

TEST_F(ReadVerify, TruncatedDownloadVerifies) {
    const auto big = patternBytes(kChipSize + 0x800, 12);
    writeFile(file("big.bin"), big);
    auto r = zelcmd({"--set", kChip33, "-d", file("big.bin").string(), "-t", "-a", "0x1000", "-v"});
    ASSERT_TRUE(r.exited()) << describe(r);
    EXPECT_EQ(r.status, 0) << describe(r);
    EXPECT_NE(r.out.find("Verify Pass. Checksum is the same.\n"), std::string::npos) << describe(r);
    EXPECT_EQ(simDigest(*sim_, 0, 0x1000, kChipSize - 0x1000),
              digestOf(std::span(big).first(kChipSize - 0x1000)));
}

}  // namespace
}  // namespace zel::test
