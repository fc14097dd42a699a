// Support for tests of the API's data path against a strict simulator: chip sizes set through
// CliSetChipType, image bytes, and what the simulator's memory and transfer log say.
#pragma once

#include "SimulatedApi.h"
#include "chipcfg/ChipConfigWriter.h"
#include "simwire/DataDigest.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace zel::test {

using Bytes = std::vector<uint8_t>;

// A private temporary folder, removed with everything in it.
class TempFolder {
public:
    TempFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "zel-data-XXXXXX").string();
        if (char* made = ::mkdtemp(pattern.data()))
            path_ = made;
    }
    ~TempFolder()
    {
        std::error_code ignored;
        if (!path_.empty())
            std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

// Bytes no two positions of which are likely to repeat a neighbour's pattern, so a shifted or
// misplaced block shows.
inline Bytes patternBytes(size_t count, uint32_t seed)
{
    Bytes bytes(count);
    uint32_t state = seed * 2654435761u + 1;
    for (auto& byte : bytes) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        byte = static_cast<uint8_t>(state);
    }
    return bytes;
}

inline void writeFile(const std::filesystem::path& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline void writeText(const std::filesystem::path& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary);
    out << text;
}

inline uint64_t digestOf(const Bytes& bytes)
{
    return simwire::DataDigest::of(bytes);
}

// A memory frame (opcode 0x40 or 0x41) as the simulator received it.
struct MemoryFrame {
    uint8_t opcode = 0;
    uint32_t address = 0;
    uint32_t length = 0;

    friend bool operator==(const MemoryFrame&, const MemoryFrame&) = default;
    friend std::ostream& operator<<(std::ostream& out, const MemoryFrame& f)
    {
        char text[64];
        std::snprintf(text, sizeof text, "{0x%02x, 0x%08x, 0x%x}", f.opcode, f.address, f.length);
        return out << text;
    }
};

inline constexpr uint8_t kWrite = 0x40;
inline constexpr uint8_t kRead = 0x41;

class DataPathTest : public SimulatedApi {
protected:
    // Strict simulator, API initialised with the large image buffer.
    void start(std::vector<std::string> devices,
               std::chrono::milliseconds transferTimeout = std::chrono::milliseconds(20000))
    {
        startSimulator(std::move(devices), {"--strict"}, transferTimeout);
        CliInitialZelmorProDLL();
        CliDoSetZelmorProType(true, 0);
    }

    // Writes a chip-configuration file for a chip of `size` bytes and applies it.
    void setChip(uint32_t size, bool target2 = false, int index = 0)
    {
        chipcfg::ChipConfigDescription chip;
        chip.vendor = L"Test";
        chip.chipName = L"CHIP" + std::to_wstring(size);
        chip.chipSize = size;
        chip.voltageMillivolts = 3300;
        const auto path = folder / ("chip" + std::to_string(size) + ".cfg");
        auto saved = chipcfg::saveChipConfig(path, chip);
        ASSERT_TRUE(saved.ok()) << saved.error().message;
        CliSetChipType(path.wstring().c_str(), target2, index);
    }

    Bytes memory(int device, uint32_t address, uint32_t length)
    {
        const std::string hex = sim().control("mem " + std::to_string(device) + " " + std::to_string(address) + " " +
                                              std::to_string(length));
        Bytes bytes;
        for (size_t i = 0; i + 1 < hex.size() && hex[i] != '\n'; i += 2)
            bytes.push_back(static_cast<uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
        return bytes;
    }

    uint64_t digest(int device, uint32_t address, uint64_t length)
    {
        return std::stoull(sim().control("digest " + std::to_string(device) + " " + std::to_string(address) + " " +
                                          std::to_string(length)),
                           nullptr, 16);
    }

    void fill(int device, uint32_t address, uint64_t length, uint8_t value)
    {
        sim().control("fill " + std::to_string(device) + " " + std::to_string(address) + " " + std::to_string(length) +
                      " " + std::to_string(value));
    }

    // Bytes [address, address + length) of the simulator hold `expected`.
    void expectMemory(int device, uint32_t address, const Bytes& expected)
    {
        EXPECT_EQ(digest(device, address, expected.size()), digestOf(expected))
            << "memory of device " << device << " at 0x" << std::hex << address;
    }

    std::vector<MemoryFrame> memoryFrames(int device)
    {
        std::vector<MemoryFrame> frames;
        for (const auto& f : sim().commandFrames(device)) {
            if (f[0] != kWrite && f[0] != kRead)
                continue;
            auto number = [&](size_t at) {
                return uint32_t{f[at]} << 24 | uint32_t{f[at + 1]} << 16 | uint32_t{f[at + 2]} << 8 | f[at + 3];
            };
            frames.push_back({f[0], number(1), number(5)});
        }
        return frames;
    }

    void expectNoViolations(int device)
    {
        EXPECT_EQ(sim().control("violations " + std::to_string(device)), "");
    }

    TempFolder folder;
};

}  // namespace zel::test
