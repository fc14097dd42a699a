// Value formats, the RPMC length rule and the document's location.
#include <gtest/gtest.h>

#include <map>

#include "settings/SettingsLocation.h"
#include "settings/SettingsValues.h"

using namespace zel::settings;

TEST(SettingsValues, BoolsHexAndFlags) {
    EXPECT_EQ(formatBool(true), L"Yes");
    EXPECT_EQ(formatBool(false), L"No");
    EXPECT_TRUE(parseBool(L"Yes"));
    EXPECT_FALSE(parseBool(L"yes"));
    EXPECT_FALSE(parseBool(L"1"));
    EXPECT_EQ(formatHex(0xABCDEF), L"abcdef");
    EXPECT_EQ(formatHex(0), L"0");
    EXPECT_EQ(formatUpperHex(0xff), L"FF");
    EXPECT_EQ(formatFlag(true), L"1");
    EXPECT_EQ(formatFlag(false), L"0");
}

TEST(SettingsValues, HexReadsLikeScanf) {
    EXPECT_EQ(parseHex(L"1d"), 0x1Du);
    EXPECT_EQ(parseHex(L"  FFzz"), 0xFFu);
    EXPECT_EQ(parseHex(L"0x10"), 0x10u);
    EXPECT_EQ(parseHex(L"0xg"), 0u);  // the "0" before the x is the number
    EXPECT_EQ(parseHex(L"-1"), 0xFFFFFFFFu);
    EXPECT_EQ(parseHex(L"123456789abc"), 0xFFFFFFFFu);
    EXPECT_FALSE(parseHex(L"").has_value());
    EXPECT_FALSE(parseHex(L"xyz").has_value());
}

TEST(SettingsValues, LengthAdjustmentKeepsTheTailOrPadsWithZeros) {
    EXPECT_EQ(adjustLength(L"12", 8), L"00000012");
    EXPECT_EQ(adjustLength(L"0123456789", 8), L"23456789");
    EXPECT_EQ(adjustLength(L"abcdefgh", 8), L"abcdefgh");
    EXPECT_EQ(adjustLength(L"", 4), L"0000");
}

TEST(SettingsValues, ImageFormatFollowsTheExtensionWithoutCase) {
    EXPECT_EQ(imageFormatName(L"/images/boot.hex"), L"IntelHex");
    EXPECT_EQ(imageFormatName(L"C:\\images\\boot.Rom"), L"ROM");
    EXPECT_EQ(imageFormatName(L"boot.S19"), L"MotorolaS19");
    EXPECT_EQ(imageFormatName(L"boot.bin"), L"RawBin");
    EXPECT_EQ(imageFormatName(L"dir.hex/boot"), L"RawBin");
    EXPECT_EQ(imageFormatName(L""), L"RawBin");
}

TEST(SettingsValues, HoldOptionMapsToTheDesktopProgramsCodes) {
    EXPECT_EQ(holdPinSettingFor(1), 0u);
    EXPECT_EQ(holdPinSettingFor(2), 3u);
    EXPECT_EQ(holdPinSettingFor(3), 2u);
    EXPECT_EQ(holdPinSettingFor(0), 0u);
}

namespace {

EnvironmentLookup fakeEnvironment(std::map<std::string, std::string> values) {
    return [values](const char* name) -> std::optional<std::string> {
        auto it = values.find(name);
        return it == values.end() ? std::nullopt : std::optional<std::string>(it->second);
    };
}

}  // namespace

TEST(SettingsLocation, UserFolderFollowsXdgConfigHomeUnlessEmptyOrRelative) {
    EXPECT_EQ(userSettingsFolder(fakeEnvironment({{"XDG_CONFIG_HOME", "/cfg"}, {"HOME", "/home/u"}})),
              "/cfg/Varnik/Zelmor");
    EXPECT_EQ(userSettingsFolder(fakeEnvironment({{"XDG_CONFIG_HOME", ""}, {"HOME", "/home/u"}})),
              "/home/u/.config/Varnik/Zelmor");
    EXPECT_EQ(userSettingsFolder(fakeEnvironment({{"XDG_CONFIG_HOME", "cfg"}, {"HOME", "/home/u"}})),
              "/home/u/.config/Varnik/Zelmor");
    EXPECT_EQ(userSettingsDocumentPath(fakeEnvironment({{"XDG_CONFIG_HOME", "/cfg"}})),
              "/cfg/Varnik/Zelmor/VarnikZelmorSettings.xml");
}

TEST(SettingsLocation, TemplateFolderIsTheFirstXdgConfigDir) {
    EXPECT_EQ(templateSettingsFolder(fakeEnvironment({{"XDG_CONFIG_DIRS", "/opt/xdg:/etc/xdg"}})),
              "/opt/xdg/Varnik/Zelmor");
    EXPECT_EQ(templateSettingsFolder(fakeEnvironment({})), "/etc/xdg/Varnik/Zelmor");
    EXPECT_EQ(templateSettingsFolder(fakeEnvironment({{"XDG_CONFIG_DIRS", ""}})), "/etc/xdg/Varnik/Zelmor");
    EXPECT_EQ(templateSettingsFolder(fakeEnvironment({{"XDG_CONFIG_DIRS", "rel:/x"}})), "/etc/xdg/Varnik/Zelmor");
}
