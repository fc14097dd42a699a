// Every built file through the API calls the front ends use to list chips: CliGetConfigFileInfo
// and CliGetConfigFileSFDP agree with the catalogue. No emulator is needed: the simulator
// transport is pointed at an empty folder, so the API initialises without devices.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <unistd.h>

#include "CatalogueData.h"
#include "chipcfg/ConfigFolder.h"
#include "text/TextCodec.h"
#include "zelapi.h"

namespace zel::catalogue {
namespace {

namespace fs = std::filesystem;
using chipcfg::ProductLine;

class ApiConfigInfo : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "catalogue-api-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        emptySimFolder_ = pattern;
        ::setenv("ZELMOR_SIM", emptySimFolder_.c_str(), 1);
        CliInitialZelmorProDLL();
    }
    void TearDown() override {
        CliCloseZelmorProDLL();
        std::error_code ignored;
        fs::remove_all(emptySimFolder_, ignored);
    }

private:
    fs::path emptySimFolder_;
};

struct Info {
    std::array<wchar_t, kZelVendorNameChars> vendor{};
    std::array<wchar_t, kZelChipNameChars> chip{};
    uint32_t size = 0xDEADBEEF;
    uint32_t voltage = 0xDEADBEEF;
    uint8_t fixedAddressMode = 0x77;
};

Info infoOf(const std::wstring& path) {
    Info info;
    CliGetConfigFileInfo(path.c_str(), info.vendor.data(), info.chip.data(), &info.size, &info.voltage,
                         &info.fixedAddressMode);
    return info;
}

TEST_F(ApiConfigInfo, EveryBuiltFileTellsTheCataloguesChip) {
    for (const auto& chip : test::shippedChips())
        for (auto line : {ProductLine::ZelmorPro, ProductLine::EarlierModel}) {
            auto path = chipcfg::configFilePath(test::kProgramFolder, line, text::utf8ToWide(chip.chip));
            ASSERT_TRUE(path);
            SCOPED_TRACE(path->string());
            const auto widePath = text::utf8ToWide(path->string());
            const auto info = infoOf(widePath);
            EXPECT_EQ(std::wstring(info.vendor.data()), text::utf8ToWide(chip.maker));
            EXPECT_EQ(std::wstring(info.chip.data()), text::utf8ToWide(chip.chip));
            EXPECT_EQ(info.size, chip.size);
            EXPECT_EQ(info.voltage, chip.millivolts);
            EXPECT_EQ(info.fixedAddressMode, chip.fixedAddressMode ? 1 : 0);
            EXPECT_EQ(CliGetConfigFileSFDP(widePath.c_str()), chip.hasSfdp() ? 1 : 0);
        }
}

}  // namespace
}  // namespace zel::catalogue
