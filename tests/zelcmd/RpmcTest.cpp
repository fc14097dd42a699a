// --download-RPMC: the table bytes the emulator stores, the firmware gate and the settings keys.
#include "ZelcmdTestEnv.h"

namespace zel::test {
namespace {

const std::string kKey2 = "00112233445566778899AABBCCDDEEFF0123456789abcdef0F1E2D3C4B5A6978";

// One 37-byte counter record as the table carries it.
std::vector<uint8_t> record(uint8_t flag, uint32_t count, const std::vector<uint8_t>& key) {
    std::vector<uint8_t> bytes{flag, static_cast<uint8_t>(count >> 24), static_cast<uint8_t>(count >> 16),
                               static_cast<uint8_t>(count >> 8), static_cast<uint8_t>(count)};
    bytes.insert(bytes.end(), key.begin(), key.end());
    return bytes;
}

std::vector<uint8_t> keyBytes(const std::string& hex) {
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i < 64; i += 2) bytes.push_back(static_cast<uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

// What the emulator stores: the 148 bytes after the table's 16-byte command frame.
std::vector<uint8_t> storedTable(const std::vector<std::vector<uint8_t>>& records) {
    std::vector<uint8_t> bytes;
    for (const auto& r : records) bytes.insert(bytes.end(), r.begin(), r.end());
    return bytes;
}

const std::vector<uint8_t> kUnused = record(0, 0, std::vector<uint8_t>(32, 0xFF));

class Rpmc : public ZelcmdTest {
protected:
    fs::path rpmcFile() {
        const auto path = file("settings.rpmc");
        writeText(path, "[Varnik RPMC]\r\nInitialized2=1\r\nKey2=" + kKey2 + "\r\nCountValue2=12\r\n"
                        "Initialized3=0\r\nKey3=" + kKey2 + "\r\nCountValue3=FFFFFFFF\r\n"
                        "Initialized4=1\r\nCountValue4=AB12345678\r\n");
        return path;
    }
};

TEST_F(Rpmc, TableBytesReachTheEmulator) {
    startSim({"gen=1"});
    auto r = zelcmd({"--download-RPMC", rpmcFile().string()});
    ASSERT_TRUE(r.exited()) << describe(r);
    EXPECT_EQ(r.status, 0) << describe(r);
    EXPECT_NE(r.out.find("\nDevice 1 : Download Complete"), std::string::npos) << describe(r);
    const auto defaultKey = keyBytes("5A3C96E1B2D47F08C1E9A36B4D2F7581E0C3A95B6D7F1248A3E5C9072B4D6F81");
    EXPECT_EQ(simRpmc(*sim_, 0),
              storedTable({kUnused, record(1, 0x12, keyBytes(kKey2)), kUnused, record(1, 0x12345678, defaultKey)}));
}

TEST_F(Rpmc, FirmwareGate) {
    // MCU 2.25 is too old, 2.26 is the first with RPMC.
    startSim({"gen=1,fw=0x0219025F", "gen=1,fw=0x021A025F"});
    auto r = zelcmd({"--download-RPMC", rpmcFile().string()});
    ASSERT_TRUE(r.exited()) << describe(r);
    EXPECT_EQ(r.status, 4) << describe(r);
    EXPECT_NE(r.out.find("\nDevice 1 : Warning: This version firmware does NOT support RPMC!!\n"
                         "Please contact Varnik for further support!!\n"),
              std::string::npos)
        << describe(r);
    EXPECT_NE(r.out.find("\nDevice 1 : Download Failed"), std::string::npos) << describe(r);
    EXPECT_NE(r.out.find("\nDevice 2 : Download Complete"), std::string::npos) << describe(r);
    EXPECT_TRUE(simRpmc(*sim_, 0).empty());
    EXPECT_EQ(simRpmc(*sim_, 1).size(), 148u);
}

TEST_F(Rpmc, EmulatingDeviceIsNotWritten) {
    startSim({"gen=1", "gen=1"});
    ASSERT_EQ(zelcmd({"--device", "2", "--start"}).status, 0);
    auto r = zelcmd({"--device", "2", "--download-RPMC", rpmcFile().string()});
    ASSERT_TRUE(r.exited()) << describe(r);
    EXPECT_EQ(r.status, 4) << describe(r);
    EXPECT_NE(r.out.find("The command can't be executed\nEmulator is in Emulation mode now.\n"), std::string::npos)
        << describe(r);
    EXPECT_NE(r.out.find("\nDevice 2 : Download Failed"), std::string::npos) << describe(r);
    EXPECT_EQ(r.out.find("Device 1"), std::string::npos) << describe(r);
    EXPECT_TRUE(simRpmc(*sim_, 1).empty());
    EXPECT_TRUE(simRpmc(*sim_, 0).empty());
}

TEST_F(Rpmc, MissingFileTouchesNoDevice) {
    startSim({"gen=1"});
    const auto path = file("missing.rpmc").string();
    auto r = zelcmd({"--download-RPMC", path, "--start"});
    ASSERT_TRUE(r.exited()) << describe(r);
    EXPECT_EQ(r.status, 4) << describe(r);
    EXPECT_EQ(r.out, "Error: Can not open " + path + "\r\n\n") << describe(r);
    EXPECT_TRUE(simRpmc(*sim_, 0).empty());
    EXPECT_FALSE(simRunning(*sim_, 0));
}

TEST_F(Rpmc, SettingsDocumentRecordsTheCounters) {
    startSim({"gen=1"});
    env_->installSettings(settingsTemplate());
    auto r = zelcmd({"--download-RPMC", rpmcFile().string()});
    ASSERT_EQ(r.status, 0) << describe(r);
    const auto settings = readSettings(env_->settingsPath());
    EXPECT_TRUE(settings.utf16leWithBom);
    EXPECT_EQ(settings.value("EnableRPMC"), "1");
    EXPECT_EQ(settings.value("RPMCCounter1Init"), "0");
    EXPECT_EQ(settings.value("RPMCCounter2Init"), "1");
    EXPECT_EQ(settings.value("RPMCCounter3Init"), "0");
    EXPECT_EQ(settings.value("RPMCCounter4Init"), "1");
    EXPECT_EQ(settings.value("RPMCCounterValue1"), "00000000");
    EXPECT_EQ(settings.value("RPMCCounterValue2"), "00000012");
    EXPECT_EQ(settings.value("RPMCCounterValue3"), "FFFFFFFF");
    EXPECT_EQ(settings.value("RPMCCounterValue4"), "12345678");
    EXPECT_EQ(settings.value("RPMCKey2"), kKey2);
    EXPECT_EQ(settings.value("RPMCKey1"), "5A3C96E1B2D47F08C1E9A36B4D2F7581E0C3A95B6D7F1248A3E5C9072B4D6F81");
}

}  // namespace
}  // namespace zel::test
