// Files that are no regular files (a FIFO nobody writes, a device that never ends, a folder) are
// refused by name before anything reads or writes them, and chip configurations stay within what
// an emulator can impersonate. Every run is bound by a time-out, so a run that blocks or reads
// without end fails instead of hanging the suite.
#include <sys/stat.h>

#include <fcntl.h>
#include <unistd.h>

#include "ZelcmdTestEnv.h"

namespace zel::test {
namespace {

const std::string kSet33 = std::string("Chip 1 ") + kChip33 + " is set.\nVCC 3.3V is applied!\n";
const std::string kNotSupported = "Error: the chip is not supported now ...\n";

std::string refused(const std::string& path) { return "Error: " + path + " is not a regular file\n"; }

class InputFiles : public ZelcmdTest {
protected:
    void start(const std::string& device) {
        startSim({device});
        ASSERT_EQ(::mkfifo(fifo().c_str(), 0600), 0);
        fs::create_directory(file("folder"));
    }
    fs::path fifo() const { return file("fifo"); }
    std::vector<std::string> nonRegular() const { return {fifo().string(), "/dev/zero", file("folder").string()}; }

    ChildResult run(const std::vector<std::string>& args) {
        return env_->run(args, ChildInput::devNull(), std::chrono::seconds(30));
    }

    // Register writes and level frames: what configuring a chip sends.
    size_t configurationFrames() const {
        size_t count = 0;
        for (const auto& frame : sim_->commandFrames(0)) count += frame[0] == 0x23 || frame[0] == 0x11;
        return count;
    }
};

TEST_F(InputFiles, Images) {
    start("gen=1");
    for (const auto& path : nonRegular()) {
        auto r = run({"--set", kChip33, "-d", path});
        ASSERT_TRUE(r.exited()) << path << "\n" << describe(r);
        EXPECT_EQ(r.status, 4) << describe(r);
        EXPECT_EQ(r.out, kSet33 + refused(path)) << describe(r);
    }
}

// A folder is a first-generation release, handed to the device library as before.
TEST_F(InputFiles, FirmwareContainers) {
    start("gen=2");
    for (const auto& path : {fifo().string(), std::string("/dev/zero")}) {
        auto r = run({"--update-fw", path});
        ASSERT_TRUE(r.exited()) << path << "\n" << describe(r);
        EXPECT_EQ(r.status, 12) << describe(r);
        EXPECT_EQ(r.out, refused(path)) << describe(r);
    }
}

TEST_F(InputFiles, RpmcSettings) {
    start("gen=1");
    for (const auto& path : nonRegular()) {
        auto r = run({"--download-RPMC", path});
        ASSERT_TRUE(r.exited()) << path << "\n" << describe(r);
        EXPECT_EQ(r.status, 4) << describe(r);
        EXPECT_EQ(r.out, refused(path)) << describe(r);
    }
    EXPECT_TRUE(simRpmc(*sim_, 0).empty());
}

TEST_F(InputFiles, FileChecksums) {
    start("gen=1");
    for (const auto& path : nonRegular()) {
        auto r = run({"--fsum", path});
        ASSERT_TRUE(r.exited()) << path << "\n" << describe(r);
        EXPECT_EQ(r.status, 7) << describe(r);
        EXPECT_EQ(r.out, refused(path)) << describe(r);
    }
}

// Also a FIFO that has a reader, which an open for writing would not wait for: it gets nothing.
TEST_F(InputFiles, ReadTargets) {
    start("gen=1");
    const int reader = ::open(fifo().c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    for (const auto& path : {fifo().string(), std::string("/dev/null"), file("folder").string()}) {
        auto r = run({"--set", kChip33, "-r", path});
        ASSERT_TRUE(r.exited()) << path << "\n" << describe(r);
        EXPECT_EQ(r.status, 5) << describe(r);
        EXPECT_EQ(r.out, kSet33 + refused(path)) << describe(r);
    }
    char byte = 0;
    EXPECT_EQ(::read(reader, &byte, 1), 0) << "the FIFO received bytes";
    ::close(reader);
}

TEST_F(InputFiles, ChipConfigurations) {
    start("gen=1");
    const auto chips = env_->useOwnConfigFolder() / "ZelmorPro";
    ASSERT_EQ(::mkfifo((chips / "FIFO.cfg").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", chips / "ZERO.cfg");
    fs::create_directory(chips / "FOLDER.cfg");
    for (const std::string chip : {"FIFO", "ZERO", "FOLDER"}) {
        auto r = run({"--set", chip});
        ASSERT_TRUE(r.exited()) << chip << "\n" << describe(r);
        EXPECT_EQ(r.status, 3) << describe(r);
        EXPECT_EQ(r.out, refused((fs::canonical(chips) / (chip + ".cfg")).string()) + kNotSupported) << describe(r);
    }
}

// Variants of the catalogue's file for kChip33 with another chip size or supply voltage. Each
// refused one fails --set with the not-supported text and configures nothing, so --sum never
// reads the chip the file claims.
TEST_F(InputFiles, ChipSizesAndVoltagesNoEmulatorTakes) {
    start("gen=1");
    const auto chips = env_->useOwnConfigFolder() / "ZelmorPro";
    const auto catalogue = ZelcmdProcess::zelcmdPath().parent_path() / "config" / "ZelmorPro";
    const auto original = readFile(catalogue / (std::string(kChip33) + ".cfg"));
    auto variant = [&](const std::string& chip, uint32_t size, uint16_t millivolts) {
        auto bytes = original;
        auto put = [&](size_t at, uint32_t value, size_t count) {
            for (size_t i = 0; i < count; ++i) bytes.at(at + i) = static_cast<uint8_t>(value >> (8 * i));
        };
        const size_t voltageAt = bytes[24] | bytes[25] << 8 | bytes[26] << 16 | bytes[27] << 24;
        put(12, size, 4);
        put(voltageAt, millivolts, 2);
        writeFile(chips / (chip + ".cfg"), bytes);
    };
    struct Case {
        const char* chip;
        uint32_t size;
        uint16_t millivolts;
    };
    // Voltages first: an old reader that takes them fails here fast, before any huge read-back.
    for (const Case c : {Case{"MV0", kChipSize, 0}, Case{"MV5000", kChipSize, 5000}, Case{"SIZE0", 0, 3300},
                         Case{"SIZE256M1", 0x10000001, 3300}, Case{"SIZE512M", 0x20000000, 3300},
                         Case{"SIZE4G", 0xFFFFFFFF, 3300}}) {
        variant(c.chip, c.size, c.millivolts);
        sim_->clearLog(0);
        auto r = run({"--set", c.chip, "--sum"});
        ASSERT_TRUE(r.exited()) << c.chip << "\n" << describe(r);
        ASSERT_EQ(r.status, 3) << c.chip << "\n" << describe(r);
        EXPECT_EQ(r.out, kNotSupported) << describe(r);
        EXPECT_EQ(configurationFrames(), 0u) << c.chip;
    }
    // Every other size up to the emulation memory is taken, a power of two or not.
    variant("ODD", 0x300000, 2500);
    auto r = run({"--set", "ODD", "--sum"});
    EXPECT_EQ(r.status, 0) << describe(r);
    EXPECT_NE(r.out.find("The Memory Checksum 0x2fd00000\n"), std::string::npos) << describe(r);
    variant("WHOLE", 0x10000000, 3300);
    r = run({"--set", "WHOLE"});
    EXPECT_EQ(r.status, 0) << describe(r);
    EXPECT_EQ(r.out, "Chip 1 WHOLE is set.\nVCC 3.3V is applied!\n") << describe(r);
}

}  // namespace
}  // namespace zel::test
