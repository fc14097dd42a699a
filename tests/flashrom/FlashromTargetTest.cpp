// flashrom, an independent SPI master, acts as the target board of a simulated emulator: the
// API impersonates catalogue chips, downloads random images and starts emulation; flashrom
// must then find each chip by its JEDEC ID, read back exactly the image, and its writes must
// land in the emulation memory where the API reads them back.
#include "SimProcess.h"
#include "zelapi.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;
namespace fs = std::filesystem;

struct Chip {
    const char* catalogueName;
    const char* flashromName;
    const char* flashromVendor;
    uint32_t size;
};

// Different makers, sizes and erase sets; all within 16 MiB so whole reads stay quick.
const std::array<Chip, 6> kChips = {{
    {"W25Q80DV", "W25Q80.V", "Winbond", 1u << 20},
    {"MX25L1606E", "MX25L1605A/MX25L1606E/MX25L1608E", "Macronix", 2u << 20},
    {"S25FL116K", "S25FL116K/S25FL216K", "Spansion", 2u << 20},
    {"M25P16", "M25P16", "Micron/Numonyx/ST", 2u << 20},
    {"GD25Q64C", "GD25Q64(B)", "GigaDevice", 8u << 20},
    {"IS25LP128F", "IS25LP128", "ISSI", 16u << 20},
}};
// 32 MiB, 3-byte at power-up, switchable, with 4-byte opcodes.
const Chip kFourByteChip{"W25Q256JV-IQ", "W25Q256JV_Q", "Winbond", 32u << 20};

struct RunResult {
    int status = -1;
    std::string output;
};

RunResult runCommand(const std::string& command) {
    RunResult result;
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return result;
    std::array<char, 4096> buffer;
    for (size_t n; (n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0;) result.output.append(buffer.data(), n);
    const int status = ::pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

Bytes readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void writeFile(const fs::path& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Bytes randomBytes(size_t n, uint32_t seed) {
    std::mt19937 random(seed);
    Bytes bytes(n);
    for (auto& b : bytes) b = static_cast<uint8_t>(random());
    return bytes;
}

std::wstring configPath(const Chip& chip) {
    const std::string path = std::string(ZEL_PROGRAM_FOLDER) + "/config/ZelmorPro/" + chip.catalogueName + ".cfg";
    return std::wstring(path.begin(), path.end());
}

bool flashromRuns() { return runCommand(std::string(ZEL_FLASHROM_PATH) + " --version").status == 0; }

class FlashromAsTarget : public ::testing::Test {
protected:
    void SetUp() override {
        if (!flashromRuns()) GTEST_SKIP() << "flashrom is not installed";
        sim_.emplace(std::vector<std::string>{"gen=2"});
        sim_->exportEnvironment(std::chrono::milliseconds(20000));
        CliInitialZelmorProDLL();
        ASSERT_EQ(CliCheckUSBDeviceNum(), 1);
        port_ = std::stoi(sim_->control("serprog 0"));
        work_ = sim_->dir() / "flashrom";
        fs::create_directories(work_);
    }
    void TearDown() override {
        CliCloseUSBDevice();
        CliCloseZelmorProDLL();
        sim_.reset();
    }

    // The chip on target 1 of device 0, holding `image` from address 0, emulation running.
    void emulate(const Chip& chip, const Bytes& image) {
        CliStopEmulation(0);
        CliSetChipType(configPath(chip).c_str(), false, 0);
        ASSERT_LE(image.size(), chip.size);
        std::copy(image.begin(), image.end(), CliGetDLLBuffer());
        uint8_t result = 0;
        CliDownloadDLLBufferToZelmorPro(false, 0xFF, 0, static_cast<uint32_t>(image.size()), 0, false, &result, true, 0);
        ASSERT_EQ(result, 1) << "download of " << chip.catalogueName;
        CliStartEmulation(0);
        ASSERT_EQ(CliIsMemoryEmulationRunning(0), 1);
    }

    RunResult flashrom(const Chip& chip, const std::string& arguments) {
        return runCommand("timeout 60 " + std::string(ZEL_FLASHROM_PATH) + " -p serprog:ip=127.0.0.1:" +
                          std::to_string(port_) + " -c '" + chip.flashromName + "' " + arguments);
    }

    static void expectFound(const Chip& chip, const RunResult& run) {
        const std::string found = std::string("Found ") + chip.flashromVendor + " flash chip \"" + chip.flashromName + "\"";
        EXPECT_NE(run.output.find(found), std::string::npos) << run.output;
    }

    Bytes readBack(uint32_t length) {
        uint8_t result = 0;
        const auto* bytes = CliReadFromZelmorProvector(0, length, &result, true, 0);
        EXPECT_EQ(result, 1);
        return bytes ? *bytes : Bytes{};
    }

    std::optional<zel::test::SimProcess> sim_;
    int port_ = 0;
    fs::path work_;
};

TEST_F(FlashromAsTarget, FindsAndReadsChipsOfEveryMaker) {
    uint32_t seed = 1;
    for (const auto& chip : kChips) {
        SCOPED_TRACE(chip.catalogueName);
        const auto image = randomBytes(chip.size, seed++);
        emulate(chip, image);
        const auto file = work_ / (std::string(chip.catalogueName) + ".bin");
        const auto run = flashrom(chip, "-r '" + file.string() + "'");
        EXPECT_EQ(run.status, 0) << run.output;
        expectFound(chip, run);
        EXPECT_TRUE(readFile(file) == image) << "flashrom read another image than the one downloaded";
    }
}

TEST_F(FlashromAsTarget, WritesReachTheEmulationMemory) {
    const auto& chip = kChips[0];  // 1 MiB
    const auto image = randomBytes(chip.size, 100);
    emulate(chip, image);
    // Half the chip changes: flashrom erases and programs only what differs.
    auto other = image;
    const auto changed = randomBytes(chip.size / 2, 200);
    std::copy(changed.begin(), changed.end(), other.begin() + chip.size / 4);
    const auto file = work_ / "other.bin";
    writeFile(file, other);

    const auto run = flashrom(chip, "-w '" + file.string() + "'");
    EXPECT_EQ(run.status, 0) << run.output;
    expectFound(chip, run);
    EXPECT_NE(run.output.find("VERIFIED"), std::string::npos) << run.output;
    EXPECT_TRUE(readBack(chip.size) == other) << "the API reads back what flashrom wrote";

    // And a later connection reads it again (flashrom connects once per run).
    const auto again = work_ / "again.bin";
    EXPECT_EQ(flashrom(chip, "-r '" + again.string() + "'").status, 0);
    EXPECT_TRUE(readFile(again) == other);
}

TEST_F(FlashromAsTarget, ReadsAWholeFourByteChip) {
    // A whole 32 MiB read takes flashrom a second or two here; the upper half needs 4-byte
    // addresses (flashrom enters 4-byte mode and uses the 4-byte read opcode).
    const auto& chip = kFourByteChip;
    const auto image = randomBytes(chip.size, 300);
    emulate(chip, image);
    const auto file = work_ / "whole.bin";
    const auto run = flashrom(chip, "-r '" + file.string() + "'");
    EXPECT_EQ(run.status, 0) << run.output;
    expectFound(chip, run);
    const auto bytes = readFile(file);
    ASSERT_EQ(bytes.size(), chip.size) << run.output;
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.begin() + (16 << 20), image.begin())) << "lower 16 MiB";
    EXPECT_TRUE(std::equal(bytes.begin() + (16 << 20), bytes.end(), image.begin() + (16 << 20))) << "upper 16 MiB";
}

// The transactions in captured trace records: each starts with a time stamp record; its command
// and continuation records carry the bus bytes (valid bits in the low six bits of byte 1).
std::vector<Bytes> transactions(const uint8_t* records, size_t length) {
    std::vector<Bytes> all;
    for (size_t at = 0; at + 8 <= length; at += 8) {
        const uint8_t* r = records + at;
        if (r[0] == 0xFF && r[1] == 0xFF) {
            all.emplace_back();
            continue;
        }
        if (all.empty()) continue;
        all.back().insert(all.back().end(), r + 2, r + 2 + std::min(6, (r[1] & 0x3F) / 8));
    }
    return all;
}

uint32_t address3(const Bytes& t) { return uint32_t{t[1]} << 16 | uint32_t{t[2]} << 8 | t[3]; }

TEST_F(FlashromAsTarget, ACaptureHoldsFlashromsProbeReadsAndWrite) {
    const auto& chip = kChips[0];  // 1 MiB, 4 KiB sectors
    const auto image = randomBytes(chip.size, 400);
    emulate(chip, image);
    CliResetLogCounter();
    auto capture = std::make_unique_for_overwrite<uint8_t[]>(0x8000000);
    uint32_t length = 0;
    std::atomic<bool> capturing{true};
    std::atomic<int> failures{0};
    std::thread reader([&] {
        do {
            int result = 0;
            CliGetSPITraceData(&result, capture.get(), &length);
            failures += result != 1;
        } while (capturing);
        int result = 0;
        CliGetSPITraceData(&result, capture.get(), &length);  // what came last
    });
    auto other = image;
    for (uint32_t i = 0x10100; i < 0x11F00; ++i) other[i] ^= 0x5A;  // two sectors change
    const auto file = work_ / "capture.bin";
    writeFile(file, other);
    const auto run = flashrom(chip, "-r '" + (work_ / "before.bin").string() + "'");
    const auto write = flashrom(chip, "-w '" + file.string() + "'");
    capturing = false;
    reader.join();
    ASSERT_EQ(run.status, 0) << run.output;
    ASSERT_EQ(write.status, 0) << write.output;
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(sim_->control("trace-counters 0").find("overflows=0"), sim_->control("trace-counters 0").find("overflows="));

    const auto all = transactions(capture.get(), length);
    ASSERT_FALSE(all.empty());
    EXPECT_TRUE(std::any_of(all.begin(), all.end(), [](const Bytes& t) { return t.size() == 4 && t[0] == 0x9F && t[1] == 0xEF; }))
        << "the JEDEC ID read and its answer";

    // The read run: its reads start at 0 and step through the whole chip in address order.
    std::vector<uint32_t> starts;
    for (const auto& t : all) {
        if (t.size() >= 4 && t[0] == 0x03) starts.push_back(address3(t));
        if (!starts.empty() && starts.back() + (starts.size() > 1 ? starts[1] - starts[0] : 0) >= chip.size) break;
    }
    ASSERT_GE(starts.size(), 2u);
    const uint32_t step = starts[1] - starts[0];
    EXPECT_EQ(starts.front(), 0u);
    for (size_t i = 1; i < starts.size(); ++i) EXPECT_EQ(starts[i], starts[i - 1] + step);
    EXPECT_EQ(starts.back() + step, chip.size);

    // The write: each changed sector is erased and then programmed page by page, every erase
    // and program right after a write enable; nothing outside the two sectors is touched.
    std::vector<uint32_t> erased, programmed;
    for (size_t i = 1; i < all.size(); ++i) {
        const auto& t = all[i];
        if (t.size() < 4 || (t[0] != 0x20 && t[0] != 0x02)) continue;
        EXPECT_EQ(all[i - 1], Bytes{0x06}) << "write enable before " << int(t[0]);
        (t[0] == 0x20 ? erased : programmed).push_back(address3(t));
    }
    EXPECT_EQ(erased, (std::vector<uint32_t>{0x10000, 0x11000}));
    ASSERT_FALSE(programmed.empty());
    EXPECT_TRUE(std::is_sorted(programmed.begin(), programmed.end()));
    EXPECT_GE(programmed.front(), 0x10000u);
    EXPECT_LT(programmed.back(), 0x12000u);
    EXPECT_TRUE(readBack(chip.size) == other);
}

}  // namespace
