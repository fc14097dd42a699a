// CliSetChipType's effect on the API object, which no export shows directly: the chip size of
// each target and the read-back vector. Built from the API's own sources against the device
// link and a running zelsim.
#include "CProject.h"
#include "ChipConfigFiles.h"
#include "ChipConfigOperations.h"
#include "SimProcess.h"
#include "ZelmorProDll.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

using zel::api::CProject;
using zel::test::chipFile;
using zel::test::ConfigFolder;
using zel::test::SimProcess;
using Sizes = std::array<uint32_t, 2>;

class ChipSizeTable : public ::testing::Test {
protected:
    void SetUp() override
    {
        sim_.emplace(std::vector<std::string>{"gen=1"});
        sim_->exportEnvironment();
        InitZelmorPro();
    }
    void TearDown() override
    {
        CloseZelmorProUSB();
        ExitZelmorPro();
    }
    void setChipType(const std::wstring& path, bool target2) { zel::api::setChipType(api, path.c_str(), target2, 0); }

    CProject api;
    ConfigFolder files;

private:
    std::optional<SimProcess> sim_;
};

TEST_F(ChipSizeTable, EachTargetKeepsItsOwnSize)
{
    EXPECT_EQ(api.chipSizes(), (Sizes{0, 0}));
    setChipType(files.save(chipFile("Acme", "AC25Q16", {0, 0, 0}, 3300, 0x200000), "16.cfg"), true);
    EXPECT_EQ(api.chipSizes(), (Sizes{0, 0x200000})) << "target 2 only";
    setChipType(files.save(chipFile("Acme", "AC25Q64", {0, 0, 0}, 3300, 0x800000), "64.cfg"), false);
    EXPECT_EQ(api.chipSizes(), (Sizes{0x800000, 0x200000}));
    setChipType(files.pathOf("64.cfg"), true);
    EXPECT_EQ(api.chipSizes(), (Sizes{0x800000, 0x800000}));
}

TEST_F(ChipSizeTable, TheReadBackVectorIsEmptiedWithRoomForTheChip)
{
    api.byteVector().assign({1, 2, 3});
    setChipType(files.save(chipFile("Acme", "AC25Q16", {0, 0, 0}, 3300, 0x200000), "16.cfg"), false);
    EXPECT_TRUE(api.byteVector().empty());
    EXPECT_GE(api.byteVector().capacity(), 0x200000u);
}

TEST_F(ChipSizeTable, RefusedFilesLeaveSizesVectorAndChipInformationAlone)
{
    setChipType(files.save(chipFile("Acme", "AC25Q16", {0, 1, 0}, 3300, 0x200000), "16.cfg"), false);
    api.byteVector().assign({7});
    setChipType(files.save(chipFile("Acme", "AC25Q16", {0, 0, 0}, 3300, 0x400000).truncate(20), "short.cfg"), false);
    setChipType(files.save(chipFile("Acme", "../AC25Q32", {0, 0, 0}, 1800, 0x400000), "escape.cfg"), false);
    setChipType(files.save(chipFile("Acme", "Huge", {0, 0, 0}, 3300, 0xFFFFFFFF), "huge.cfg"), false);
    setChipType(files.save(chipFile("Acme", "AC25Q32", {0, 0, 0}, 5000, 0x400000), "5v.cfg"), true);
    setChipType(files.pathOf("missing.cfg"), true);
    EXPECT_EQ(api.chipSizes(), (Sizes{0x200000, 0}));
    EXPECT_EQ(api.byteVector(), std::vector<uint8_t>{7});
    EXPECT_EQ(std::wstring(api.chip().chipName.data()), L"AC25Q16");
    EXPECT_EQ(api.chip().voltageMillivolts, 3300u);
    EXPECT_EQ(api.chip().qeFlag, 1);
}

TEST_F(ChipSizeTable, FileWithoutTheMagicStillRecordsItsHeaderSize)
{
    setChipType(files.save(chipFile("Acme", "AC25Q16", {1, 1, 1}, 3300, 0x200000), "16.cfg"), false);
    auto noMagic = chipFile("Other", "OT25Q32", {0, 0, 0}, 1800, 0x400000);
    noMagic.patch32(0, 0);
    setChipType(files.save(noMagic, "nomagic.cfg"), false);
    EXPECT_EQ(api.chipSizes()[0], 0x400000u);
    EXPECT_EQ(std::wstring(api.chip().chipName.data()), L"AC25Q16") << "chip information unchanged";
}

}  // namespace
