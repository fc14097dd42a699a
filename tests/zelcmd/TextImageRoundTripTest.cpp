// Chips larger than the 16-bit and 24-bit text addresses reach, read into Intel HEX and S-record
// files by zelcmd and downloaded from them into a second emulator: both must then hold the same
// memory. Text files without data, or with data spread wider than an image, stop the download.
#include "ZelcmdTestEnv.h"

#include <chrono>
#include <ostream>

namespace zel::test {
namespace {

struct Chip {
    const char* name;
    uint32_t size;
};
void PrintTo(const Chip& chip, std::ostream* out) { *out << chip.name; }

class TextImageRoundTrip : public ZelcmdTest, public ::testing::WithParamInterface<Chip> {
protected:
    void SetUp() override { startSim({"gen=2,serial=1", "gen=2,serial=2"}, {"--time-scale", "0.01"}); }
    // Hundreds of MB of text take longer than the default allowance under the sanitizers.
    ChildResult run(const std::vector<std::string>& args) {
        return env_->run(args, ChildInput::devNull(), std::chrono::minutes(10));
    }
};

TEST_P(TextImageRoundTrip, HexAndS19ReadFromOneEmulatorLoadIntoAnother) {
    const auto [chip, size] = GetParam();
    const auto path = file("chip.bin").string();
    {
        const auto image = patternBytes(size, size >> 20);
        writeFile(path, image);
        auto r = run({"--device", "1", "--set", chip, "-d", path});
        ASSERT_EQ(r.status, 0) << describe(r);
        ASSERT_EQ(simDigest(*sim_, 0, 0, size), digestOf(image));
        fs::remove(path);
    }
    const uint64_t original = simDigest(*sim_, 0, 0, size);
    for (const char* name : {"chip.hex", "chip.s19"}) {
        SCOPED_TRACE(name);
        const auto text = file(name).string();
        auto r = run({"--device", "1", "--set", chip, "-r", text});
        ASSERT_EQ(r.status, 0) << describe(r);
        // Every byte of the second emulator must come from the file.
        sim_->control("fill 1 0 " + std::to_string(size) + " 0");
        r = run({"--device", "2", "--set", chip, "-d", text, "-v"});
        EXPECT_EQ(r.status, 0) << describe(r);
        EXPECT_NE(r.out.find("Verify Pass"), std::string::npos) << describe(r);
        EXPECT_EQ(simDigest(*sim_, 1, 0, size), original);
        fs::remove(text);
    }
}

INSTANTIATE_TEST_SUITE_P(Chips, TextImageRoundTrip,
                         ::testing::Values(Chip{"W25Q256JV-IQ", 32u << 20}, Chip{"W25Q01JV", 128u << 20}),
                         [](const auto& info) { return std::to_string(info.param.size >> 20) + "MiB"; });

class RefusedTextImage : public ZelcmdTest {
protected:
    void SetUp() override {
        startSim({"gen=1"});
        sim_->control("fill 0 0 " + std::to_string(kChipSize) + " 0x5a");
        before_ = simDigest(*sim_, 0, 0, kChipSize);
    }
    // Downloads the text; the load must fail with message and exit 4, the memory untouched.
    void expectRefused(const std::string& name, const std::string& text, const std::string& message,
                       const std::vector<std::string>& more = {}) {
        SCOPED_TRACE(name);
        const auto path = file(name).string();
        writeText(path, text);
        std::vector<std::string> arguments = {"--set", kChip33, "-d", path, "-v"};
        arguments.insert(arguments.end(), more.begin(), more.end());
        auto r = zelcmd(arguments);
        ASSERT_TRUE(r.exited()) << describe(r);
        EXPECT_EQ(r.status, 4) << describe(r);
        EXPECT_NE(r.out.find("Error: " + path + ": " + message), std::string::npos) << describe(r);
        EXPECT_NE(r.out.find("Device 1 : Download Failed\n"), std::string::npos) << describe(r);
        EXPECT_EQ(r.out.find("Verify"), std::string::npos) << describe(r);
        EXPECT_EQ(simDigest(*sim_, 0, 0, kChipSize), before_);
    }
    uint64_t before_ = 0;
};

TEST_F(RefusedTextImage, FilesWithoutDataFailTheDownload) {
    expectRefused("empty.hex", "", "the file holds no data\n");
    expectRefused("end-only.hex", ":00000001FF\r\n", "the file holds no data\n");
    expectRefused("header-only.s19", "S00600004844521B\nS9030000FC\n", "the file holds no data\n");
    expectRefused("length-zero.bin", "data", "the length is 0, nothing to download\n", {"-l", "0"});
}

TEST_F(RefusedTextImage, DataSpreadWiderThanAnImageFailTheDownload) {
    const std::vector<uint8_t> bytes = {1, 2, 3, 4};
    std::string low = intelHex(0, bytes);
    low.resize(low.size() - std::string(":00000001FF\n").size());
    expectRefused("wide.hex", low + intelHex(0xFFFFFFF0, bytes),
                  "line 4: data at FFFFFFF0 would make the image span 00000000 to FFFFFFF3");
    expectRefused("wide.s19", srecord(0x10000000, bytes) + srecord(0, bytes),
                  "line 5: data at 00000000 would make the image span 00000000 to 10000003");
}

}  // namespace
}  // namespace zel::test
