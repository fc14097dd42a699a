// The flashrom column names chips flashrom knows, so that tests which make flashrom the target's
// SPI master can pass the name with -c where several chips share a JEDEC ID.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <optional>
#include <cstdio>
#include <set>

#include "CatalogueData.h"

namespace zel::catalogue {
namespace {

// flashrom's output for the dummy programmer asked to probe one named chip; nullopt when
// flashrom cannot be run. The dummy programmer finds nothing, so a known name ends in "No
// EEPROM/flash device found" and an unknown one in "Unknown chip".
std::optional<std::string> probeNamed(const std::string& name) {
    const std::string command = "timeout 20 flashrom -p dummy -c '" + name + "' 2>&1";
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return std::nullopt;
    std::string output;
    std::array<char, 512> chunk;
    while (auto n = std::fread(chunk.data(), 1, chunk.size(), pipe)) output.append(chunk.data(), n);
    ::pclose(pipe);
    return output;
}

bool flashromInstalled() { return std::system("command -v flashrom >/dev/null 2>&1") == 0; }

TEST(FlashromNames, EveryNameIsOneFlashromKnows) {
    if (!flashromInstalled()) GTEST_SKIP() << "flashrom is not installed";
    std::set<std::string> names;
    for (const auto& chip : test::shippedChips())
        if (!chip.flashromName.empty()) names.insert(chip.flashromName);
    ASSERT_FALSE(names.empty());
    for (const auto& name : names) {
        ASSERT_EQ(name.find('\''), std::string::npos) << name;
        auto output = probeNamed(name);
        ASSERT_TRUE(output) << "cannot run flashrom";
        EXPECT_EQ(output->find("Unknown chip"), std::string::npos) << name << ":\n" << *output;
        EXPECT_NE(output->find("No EEPROM/flash device found"), std::string::npos) << name << ":\n" << *output;
    }
}

}  // namespace
}  // namespace zel::catalogue
