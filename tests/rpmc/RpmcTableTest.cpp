// The RPMC table built from a .rpmc file, and the texts the settings document records.
#include <gtest/gtest.h>

#include "TempDir.h"
#include "rpmc/RpmcTable.h"
#include "settings/SettingsKeys.h"

using namespace zel::rpmc;
using zel::ini::IniDocument;
using zel::test::asciiUtf16Le;
using zel::test::TempDir;
using zel::test::writeBytes;

namespace {

constexpr std::string_view kKey2 = "00112233445566778899AABBCCDDEEFF0123456789abcdefFEDCBA9876543210";

std::span<const std::uint8_t> record(const RpmcTable& table, std::size_t counter) {
    return std::span(table).subspan(kFirstRecordOffset + counter * kRecordSize, kRecordSize);
}

void expectUninitialised(const RpmcTable& table, std::size_t counter) {
    auto r = record(table, counter);
    EXPECT_EQ(r[0], 0) << "counter " << counter + 1;
    for (std::size_t i = 1; i < 5; ++i) EXPECT_EQ(r[i], 0x00) << "counter " << counter + 1 << " byte " << i;
    for (std::size_t i = 5; i < kRecordSize; ++i) EXPECT_EQ(r[i], 0xFF) << "counter " << counter + 1 << " byte " << i;
}

RpmcSettings settingsFrom(std::string_view text) { return readRpmcSettings(IniDocument::parse(text)); }

std::vector<std::uint8_t> bytesOf(std::span<const std::uint8_t> s) { return {s.begin(), s.end()}; }

}  // namespace

TEST(RpmcTable, OnlyCounterTwoInitialisedLeavesTheOthersBlank) {
    auto table = buildRpmcTable(settingsFrom("[Varnik RPMC]\r\nInitialized2=1\r\nCountValue2=0A0B0C0D\r\nKey2=" +
                                             std::string(kKey2) + "\r\nKey1=1234\r\nCountValue3=FFFFFFFF\r\n"));
    EXPECT_EQ(table[0], 0x68);
    for (std::size_t i = 1; i < kFirstRecordOffset; ++i) EXPECT_EQ(table[i], 0) << "header byte " << i;
    expectUninitialised(table, 0);
    expectUninitialised(table, 2);
    expectUninitialised(table, 3);

    std::vector<std::uint8_t> expected{1, 0x0A, 0x0B, 0x0C, 0x0D};
    for (std::uint8_t b : {0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF,
                           0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF, 0xFE, 0xDC, 0xBA, 0x98, 0x76, 0x54, 0x32, 0x10})
        expected.push_back(b);
    EXPECT_EQ(bytesOf(record(table, 1)), expected);
}

TEST(RpmcTable, MissingKeysTakeTheirDefaults) {
    auto table = buildRpmcTable(settingsFrom("[varnik rpmc]\ninitialized1=1\n"));
    auto r = record(table, 0);
    EXPECT_EQ(bytesOf(r.subspan(0, 5)), (std::vector<std::uint8_t>{1, 0, 0, 0, 0}));
    EXPECT_EQ(bytesOf(r.subspan(5, 4)), (std::vector<std::uint8_t>{0x5A, 0x3C, 0x96, 0xE1}));
    EXPECT_EQ(r[kRecordSize - 1], 0x81);
    expectUninitialised(table, 1);
}

TEST(RpmcTable, InitialisedMeansTheLeadingIntegerIsOne) {
    auto initialised = [](std::string_view text) {
        return settingsFrom("[Varnik RPMC]\nInitialized1=" + std::string(text) + "\n")[0].isInitialized();
    };
    EXPECT_TRUE(initialised("1"));
    EXPECT_TRUE(initialised(" 01"));
    EXPECT_TRUE(initialised("1abc"));
    EXPECT_FALSE(initialised("2"));
    EXPECT_FALSE(initialised("257"));  // not truncated to a byte first
    EXPECT_FALSE(initialised("4294967297"));
    EXPECT_FALSE(initialised("yes"));
    EXPECT_FALSE(initialised(""));
}

TEST(RpmcTable, HexTextFillsFromTheLastByteBackwards) {
    auto convert = [](std::wstring_view text, std::size_t size) {
        std::vector<std::uint8_t> out(size, 0xEE);
        hexTextToBytes(text, out);
        return out;
    };
    using Bytes = std::vector<std::uint8_t>;
    EXPECT_EQ(convert(L"12", 4), (Bytes{0, 0, 0, 0x12}));
    EXPECT_EQ(convert(L"123", 4), (Bytes{0, 0, 0x01, 0x23}));  // odd length: a leading "0"
    EXPECT_EQ(convert(L"AABBCCDDEE", 4), (Bytes{0xBB, 0xCC, 0xDD, 0xEE}));
    EXPECT_EQ(convert(L"G1zz12", 4), (Bytes{0, 0, 0, 0x12}));  // pairs that are not hex give 0
    EXPECT_EQ(convert(L"-1+f", 2), (Bytes{0, 0}));
    EXPECT_EQ(convert(L"", 2), (Bytes{0, 0}));
}

TEST(RpmcTable, TenDigitCountValueUsesItsLastEight) {
    auto settings = settingsFrom("[Varnik RPMC]\nInitialized1=1\nCountValue1=AB12345678\n");
    auto table = buildRpmcTable(settings);
    EXPECT_EQ(bytesOf(record(table, 0).subspan(1, 4)), (std::vector<std::uint8_t>{0x12, 0x34, 0x56, 0x78}));
}

TEST(RpmcTable, AKeyWithTwoExtraLeadingCharactersGivesTheSameKeyToTableAndSettings) {
    // "0x" in front of 64 digits: the table and the settings document both use the 64 digits.
    auto settings = settingsFrom("[Varnik RPMC]\nInitialized1=1\nKey1=0x" + std::string(kKey2) + "\n");
    auto table = buildRpmcTable(settings);
    auto r = record(table, 0);
    EXPECT_EQ(r[5], 0x00);
    EXPECT_EQ(r[6], 0x11);
    EXPECT_EQ(r[kRecordSize - 1], 0x10);
    auto changes = rpmcSettingChanges(settings);
    auto key1 = std::find_if(changes.begin(), changes.end(), [](const auto& c) { return c.key == "RPMCKey1"; });
    ASSERT_NE(key1, changes.end());
    EXPECT_EQ(key1->value, std::wstring(kKey2.begin(), kKey2.end()));
}

TEST(RpmcTable, SettingsRecordTheFileTextsAdjusted) {
    auto settings = settingsFrom("[Varnik RPMC]\nInitialized1=01\nCountValue1=12\nKey1=ABCD\nInitialized3=1\n");
    auto changes = rpmcSettingChanges(settings);
    const std::wstring defaultKey(kDefaultKey);
    const std::vector<zel::settings::SettingChange> expected{
        {"EnableRPMC", L"1"},
        {"RPMCCounter1Init", L"01"}, {"RPMCCounterValue1", L"00000012"}, {"RPMCKey1", std::wstring(60, L'0') + L"ABCD"},
        {"RPMCCounter2Init", L"0"}, {"RPMCCounterValue2", L"00000000"}, {"RPMCKey2", defaultKey},
        {"RPMCCounter3Init", L"1"}, {"RPMCCounterValue3", L"00000000"}, {"RPMCKey3", defaultKey},
        {"RPMCCounter4Init", L"0"}, {"RPMCCounterValue4", L"00000000"}, {"RPMCKey4", defaultKey},
    };
    EXPECT_EQ(changes, expected);
}

TEST(RpmcTable, ASixtySixCharacterKeyIsStoredAsItsLastSixtyFour) {
    const std::string key66 = "FF" + std::string(kKey2);
    auto changes = rpmcSettingChanges(settingsFrom("[Varnik RPMC]\nKey4=" + key66 + "\n"));
    EXPECT_EQ(changes.back().key, "RPMCKey4");
    EXPECT_EQ(changes.back().value, std::wstring(kKey2.begin(), kKey2.end()));
}

TEST(RpmcTable, InitializedTextIsReadIntoSixtyFiveUnits) {
    auto settings = settingsFrom("[Varnik RPMC]\nInitialized1=1" + std::string(70, '0') + "\n");
    EXPECT_EQ(settings[0].initialized.size(), 64u);
}

TEST(RpmcFile, ReadsUtf16FilesAndReportsFilesThatCannotBeOpened) {
    TempDir dir;
    auto path = dir / "counters.rpmc";
    writeBytes(path, asciiUtf16Le("[Varnik RPMC]\r\nInitialized4=1\r\nCountValue4=00000100\r\n"));
    std::error_code error;
    auto settings = loadRpmcFile(path, error);
    ASSERT_TRUE(settings.has_value());
    EXPECT_TRUE((*settings)[3].isInitialized());
    auto table = buildRpmcTable(*settings);
    EXPECT_EQ(table[kFirstRecordOffset + 3 * kRecordSize + 3], 0x01);

    EXPECT_FALSE(loadRpmcFile(dir / "missing.rpmc", error).has_value());
    EXPECT_EQ(error, std::errc::no_such_file_or_directory);
    EXPECT_FALSE(loadRpmcFile(dir.path(), error).has_value());
    EXPECT_TRUE(error);
}
