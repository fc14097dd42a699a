// The settings document before and after a run: which keys change, and that the file keeps its
// UTF-16LE encoding, byte-order mark, order and every other attribute.
#include "ZelcmdTestEnv.h"

#include <map>

namespace zel::test {
namespace {

class Settings : public ZelcmdTest {
protected:
    void SetUp() override {
        startSim({"gen=1"});
        env_->installSettings(settingsTemplate());
        before_ = readSettings(env_->settingsPath());
        ASSERT_TRUE(before_.utf16leWithBom);
        writeFile(file("image.bin"), patternBytes(0x1000, 31));
    }

    // Every attribute of the document after the run, checked against `before_` with `changes`.
    void expectOnly(const std::map<std::string, std::string>& changes) {
        const auto after = readSettings(env_->settingsPath());
        EXPECT_TRUE(after.utf16leWithBom);
        EXPECT_EQ(after.rootName, "Preferences");
        ASSERT_EQ(after.attributes.size(), before_.attributes.size());
        for (size_t i = 0; i < after.attributes.size(); ++i) {
            const auto& [name, value] = after.attributes[i];
            EXPECT_EQ(name, before_.attributes[i].first) << "attribute order at " << i;
            auto change = changes.find(name);
            EXPECT_EQ(value, change != changes.end() ? change->second : before_.attributes[i].second) << name;
        }
        for (const auto& [name, value] : changes) EXPECT_NE(after.value(name), "<missing>") << name;
    }

    SettingsFile before_;
};

TEST_F(Settings, ChipFileResetAndHoldAreRecorded) {
    const auto hex = file("Image.Hex");
    writeText(hex, intelHex(0, patternBytes(0x100, 32)));
    auto r = zelcmd({"--set", kChip33, "-d", hex.string(), "--reset", "2", "--start", "--hold", "2"});
    ASSERT_EQ(r.status, 0) << describe(r);
    expectOnly({{"LastSetManufacturer", "Winbond"},
                {"LastSetChipType", kChip33},
                {"LastLoadedFile", hex.string()},
                {"LastLoadedFileFormat", "IntelHex"},
                {"Truncate_File", "No"},
                {"EnableResetPin", "Yes"},
                {"HoldPinSetting", "3"}});
}

TEST_F(Settings, SecondChipKeysOnly) {
    const auto rom = file("boot.Rom");
    writeFile(rom, patternBytes(0x100, 33));
    auto r = zelcmd({"--set", kChip33, "-g", "2", "-d", rom.string(), "-t"});
    ASSERT_EQ(r.status, 0) << describe(r);
    expectOnly({{"LastSetManufacturer_2", "Winbond"},
                {"LastSetChipType_2", kChip33},
                {"LastLoadedFile_2", rom.string()},
                {"LastLoadedFileFormat_2", "ROM"},
                {"Truncate_File", "Yes"},
                {"HoldPinSetting", "2"}});
}

TEST_F(Settings, FormatNamesAndHoldCodes) {
    const auto s19 = file("app.S19");
    writeText(s19, srecord(0, patternBytes(0x40, 34)));
    auto r = zelcmd({"--set", kChip33, "-d", s19.string(), "--reset", "1", "--start", "--hold", "1"});
    ASSERT_EQ(r.status, 0) << describe(r);
    auto after = readSettings(env_->settingsPath());
    EXPECT_EQ(after.value("LastLoadedFileFormat"), "MotorolaS19");
    EXPECT_EQ(after.value("EnableResetPin"), "No");
    EXPECT_EQ(after.value("HoldPinSetting"), "0");

    r = zelcmd({"--stop", "--set", kChip33, "-d", file("image.bin").string()});
    ASSERT_EQ(r.status, 0) << describe(r);
    after = readSettings(env_->settingsPath());
    EXPECT_EQ(after.value("LastLoadedFileFormat"), "RawBin");
    EXPECT_EQ(after.value("LastLoadedFile"), file("image.bin").string());
    EXPECT_EQ(after.value("HoldPinSetting"), "2");
}

TEST_F(Settings, StepsThatFailOrDoNotRunRecordNothing) {
    // The chip is unknown: neither the chip nor the file (whose step never ran) is recorded.
    auto r = zelcmd({"--set", "NO_SUCH_CHIP", "-d", file("image.bin").string()});
    ASSERT_EQ(r.status, 3) << describe(r);
    expectOnly({{"HoldPinSetting", "2"}});
}

TEST_F(Settings, NoDocumentNoFile) {
    std::filesystem::remove(env_->settingsPath());
    auto r = zelcmd({"--set", kChip33, "-d", file("image.bin").string(), "--start"});
    ASSERT_EQ(r.status, 0) << describe(r);
    EXPECT_FALSE(fs::exists(env_->settingsPath()));
}

TEST_F(Settings, UnknownAttributesAndForeignRootAreKept) {
    // zelcmd takes the first element whatever its name; unknown attributes stay in place.
    const std::u16string text =
        u"\xFEFF<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n<Other>\r\n\t<GUI_USERS Custom=\"\x00E9t\x00E9\" "
        u"LastSetChipType=\"old\"/>\r\n</Other>\r\n";
    std::vector<uint8_t> bytes;
    for (char16_t c : text) {
        bytes.push_back(static_cast<uint8_t>(c));
        bytes.push_back(static_cast<uint8_t>(c >> 8));
    }
    writeFile(env_->settingsPath(), bytes);
    auto r = zelcmd({"--set", kChip33});
    ASSERT_EQ(r.status, 0) << describe(r);
    const auto after = readSettings(env_->settingsPath());
    EXPECT_TRUE(after.utf16leWithBom);
    EXPECT_EQ(after.rootName, "Other");
    ASSERT_GE(after.attributes.size(), 3u);
    EXPECT_EQ(after.attributes[0], (std::pair<std::string, std::string>("Custom", "\xC3\xA9t\xC3\xA9")));
    EXPECT_EQ(after.attributes[1], (std::pair<std::string, std::string>("LastSetChipType", kChip33)));
    EXPECT_EQ(after.value("LastSetManufacturer"), "Winbond");
    EXPECT_EQ(after.value("HoldPinSetting"), "2");
}

}  // namespace
}  // namespace zel::test
