// What the zelcmd end-to-end tests share: a simulator plus a private world for zelcmd, image
// files, and readers for the simulator's memory and the settings document.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "SimProcess.h"
#include "ZelcmdProcess.h"

namespace zel::test {

namespace fs = std::filesystem;

// Catalogue chips the tests use (data/catalogue/chips.txt).
inline constexpr const char* kChip33 = "W25Q16JV";   // Winbond, 2 MiB, 3300 mV
inline constexpr const char* kChip18 = "W25Q16JW";   // Winbond, 2 MiB, 1800 mV
inline constexpr const char* kChip25 = "W25X40CL";   // Winbond, 512 KiB, 2500 mV
inline constexpr uint32_t kChipSize = 2u << 20;      // of kChip33 and kChip18
inline constexpr uint32_t kTarget2 = 0x80000000u;    // chip slot 1 in simulator addresses

std::vector<uint8_t> patternBytes(size_t size, uint32_t seed);
void writeFile(const fs::path& path, std::span<const uint8_t> bytes);
void writeText(const fs::path& path, const std::string& text);
std::vector<uint8_t> readFile(const fs::path& path);
uint64_t digestOf(std::span<const uint8_t> bytes);

// The simulator's view of emulation memory.
uint64_t simDigest(const SimProcess& sim, int device, uint32_t address, uint32_t length);
std::vector<uint8_t> simMemory(const SimProcess& sim, int device, uint32_t address, uint32_t length);
// True when device's run state is on (the `status` line says running).
bool simRunning(const SimProcess& sim, int device);
// True when no client holds the device.
bool simFree(const SimProcess& sim, int device);
// The RPMC block the device stored (empty when none).
std::vector<uint8_t> simRpmc(const SimProcess& sim, int device);

// Intel HEX / S-record text of bytes at address, written independently of the program under test.
std::string intelHex(uint32_t address, std::span<const uint8_t> bytes);
std::string srecord(uint32_t address, std::span<const uint8_t> bytes);
// objcopy's reading of an Intel HEX or S-record file as the bytes from its lowest address.
std::vector<uint8_t> decodeWithObjcopy(const fs::path& file, const std::string& format);

// The settings document as the desktop program reads it.
struct SettingsFile {
    bool utf16leWithBom = false;
    std::string rootName;
    std::vector<std::pair<std::string, std::string>> attributes;  // GUI_USERS, in order
    std::string value(const std::string& key) const;              // "<missing>" when absent
};
SettingsFile readSettings(const fs::path& path);
fs::path settingsTemplate();

// Expected device header lines ("Device 1 (VK001234) : \n").
std::string header(int number, int serial);

// A simulator with the given devices and a zelcmd world that uses it.
class ZelcmdTest : public ::testing::Test {
protected:
    void startSim(std::vector<std::string> devices, std::vector<std::string> options = {});
    ChildResult zelcmd(const std::vector<std::string>& args, ChildInput input = ChildInput::devNull());
    // A file in zelcmd's working folder.
    fs::path file(const std::string& name) const { return env_->workDir() / name; }

    std::unique_ptr<SimProcess> sim_;
    std::unique_ptr<ZelcmdProcess> env_;
};

// Prints the child's outputs when a check fails.
std::string describe(const ChildResult& r);

}  // namespace zel::test
