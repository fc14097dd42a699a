// Download variants, each compared byte for byte with the simulator's emulation memory.
#include "ZelcmdTestEnv.h"

#include <algorithm>

namespace zel::test {
namespace {

class Download : public ZelcmdTest {
protected:
    void SetUp() override { startSim({"gen=1"}); }

    ChildResult download(const fs::path& image, std::vector<std::string> extra = {}) {
        std::vector<std::string> args{"--set", kChip33, "-d", image.string()};
        args.insert(args.end(), extra.begin(), extra.end());
        return zelcmd(args);
    }

    // The whole chip as the simulator holds it, against the expected bytes.
    void expectChip(const std::vector<uint8_t>& expected, uint32_t base = 0) {
        ASSERT_EQ(expected.size(), kChipSize);
        EXPECT_EQ(simDigest(*sim_, 0, base, kChipSize), digestOf(expected));
    }
};

TEST_F(Download, KeepContentChangesOnlyTheImageBytes) {
    sim_->control("fill 0 0 0x200000 0x5a");
    const auto image = patternBytes(16, 3);
    writeFile(file("small.bin"), image);

    auto r = download(file("small.bin"), {"-a", "0x100010"});
    ASSERT_TRUE(r.exited()) << describe(r);
    EXPECT_EQ(r.status, 0) << describe(r);
    EXPECT_NE(r.out.find("\nDevice 1 : Download Complete\n"), std::string::npos) << describe(r);

    std::vector<uint8_t> expected(kChipSize, 0x5a);
    std::copy(image.begin(), image.end(), expected.begin() + 0x100010);
    expectChip(expected);
    EXPECT_EQ(simMemory(*sim_, 0, 0x100000, 0x30),
              std::vector<uint8_t>(expected.begin() + 0x100000, expected.begin() + 0x100030));
}

TEST_F(Download, FillWritesTheWholeChip) {
    sim_->control("fill 0 0 0x200000 0x5a");
    const auto image = patternBytes(0x1000, 4);
    writeFile(file("part.bin"), image);

    // Hexadecimal values without 0x.
    auto r = download(file("part.bin"), {"-a", "2000", "-x", "aa"});
    ASSERT_TRUE(r.exited()) << describe(r);
    EXPECT_EQ(r.status, 0) << describe(r);

    std::vector<uint8_t> expected(kChipSize, 0xAA);
    std::copy(image.begin(), image.end(), expected.begin() + 0x2000);
    expectChip(expected);
}

TEST_F(Download, LengthLimitsTheDownload) {
    const auto image = patternBytes(0x3000, 5);
    writeFile(file("image.bin"), image);
    auto r = download(file("image.bin"), {"-l", "0x1000", "-a", "0x100"});
    EXPECT_EQ(r.status, 0) << describe(r);
    std::vector<uint8_t> expected(kChipSize, 0xFF);
    std::copy(image.begin(), image.begin() + 0x1000, expected.begin() + 0x100);
    expectChip(expected);
}

TEST_F(Download, IntelHexAndSRecordImagesStartAtTheirLowestAddress) {
    const auto data = patternBytes(0x900, 6);
    // Two runs of data with a gap: the gap is 0xFF in the image.
    std::string hex = intelHex(0x10000, std::span(data).first(0x400));
    hex.resize(hex.size() - std::string(":00000001FF\n").size());
    hex += intelHex(0x10500, std::span(data).subspan(0x500));
    writeText(file("image.hex"), hex);

    auto r = download(file("image.hex"), {"-a", "0x40000"});
    ASSERT_TRUE(r.exited()) << describe(r);
    EXPECT_EQ(r.status, 0) << describe(r);
    std::vector<uint8_t> expected(kChipSize, 0xFF);
    std::copy(data.begin(), data.begin() + 0x400, expected.begin() + 0x40000);
    std::copy(data.begin() + 0x500, data.end(), expected.begin() + 0x40500);
    expectChip(expected);

    writeText(file("image.s19"), srecord(0x20000, data));
    r = download(file("image.s19"), {"-x", "0"});
    EXPECT_EQ(r.status, 0) << describe(r);
    std::vector<uint8_t> filled(kChipSize, 0x00);
    std::copy(data.begin(), data.end(), filled.begin());
    expectChip(filled);
}

TEST_F(Download, ImageLongerThanTheChip) {
    const auto image = patternBytes(kChipSize + 0x1000, 7);
    writeFile(file("big.bin"), image);
    sim_->control("fill 0 0 0x200000 0x33");

    auto r = download(file("big.bin"));
    ASSERT_TRUE(r.exited()) << describe(r);
    EXPECT_EQ(r.status, 4) << describe(r);
    EXPECT_NE(r.out.find("\nDevice 1 : Download Failed\n"), std::string::npos) << describe(r);
    expectChip(std::vector<uint8_t>(kChipSize, 0x33));

    r = download(file("big.bin"), {"-t"});
    EXPECT_EQ(r.status, 0) << describe(r);
    expectChip(std::vector<uint8_t>(image.begin(), image.begin() + kChipSize));

    // A start at the chip end is beyond the chip even with truncation.
    r = download(file("big.bin"), {"-t", "-a", "0x200000"});
    EXPECT_EQ(r.status, 4) << describe(r);
}

TEST_F(Download, SecondChipSlotWithTarget2) {
    const auto image = patternBytes(0x8000, 8);
    writeFile(file("chip2.bin"), image);
    auto r = download(file("chip2.bin"), {"-g", "2", "-a", "0x1000", "-v"});
    ASSERT_TRUE(r.exited()) << describe(r);
    EXPECT_EQ(r.status, 0) << describe(r);
    EXPECT_NE(r.out.find("Chip 2 W25Q16JV is set.\n"), std::string::npos) << describe(r);
    EXPECT_NE(r.out.find("Verify Pass. Checksum is the same.\n"), std::string::npos) << describe(r);
    EXPECT_EQ(simDigest(*sim_, 0, kTarget2 | 0x1000, 0x8000), digestOf(image));
    // Chip 1 untouched.
    EXPECT_EQ(simDigest(*sim_, 0, 0, kChipSize), digestOf(std::vector<uint8_t>(kChipSize, 0xFF)));
}

TEST_F(Download, MissingOrMalformedImageSendsNothing) {
    sim_->control("fill 0 0 0x200000 0x44");
    auto r = download(file("missing.bin"));
    ASSERT_TRUE(r.exited()) << describe(r);
    EXPECT_EQ(r.status, 4) << describe(r);
    EXPECT_NE(r.out.find(file("missing.bin").string() + " is not found.\n"), std::string::npos) << describe(r);

    // A HEX record with a wrong checksum fails the load; the stale buffer is never sent.
    writeFile(file("good.bin"), patternBytes(0x1000, 9));
    ASSERT_EQ(download(file("good.bin")).status, 0);
    sim_->control("fill 0 0 0x200000 0x44");
    writeText(file("bad.hex"), ":0400000001020304F1\n:00000001FF\n");
    r = download(file("bad.hex"));
    EXPECT_EQ(r.status, 4) << describe(r);
    EXPECT_NE(r.out.find("\nDevice 1 : Download Failed\n"), std::string::npos) << describe(r);
    expectChip(std::vector<uint8_t>(kChipSize, 0x44));
}

}  // namespace
}  // namespace zel::test
