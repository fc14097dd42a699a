// zelinfo's decoding of what the API reports.
#include "DeviceReport.h"

#include <gtest/gtest.h>

namespace {

using zel::info::DeviceEntry;
using zel::info::DeviceIdentity;
using zel::info::FirmwareVersion;

DeviceEntry openedDevice(uint32_t firmware, uint32_t serial)
{
    DeviceIdentity identity{FirmwareVersion::fromWord(firmware), 1, L"ZelmorPro", serial};
    return DeviceEntry{0, true, identity};
}

bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

TEST(FirmwareDecoding, BytesFromLeastSignificantAndGeneration)
{
    const auto firstGeneration = FirmwareVersion::fromWord(0x021E025F);
    EXPECT_EQ(firstGeneration.fpgaMinor, 95);
    EXPECT_EQ(firstGeneration.fpgaMajor, 2);
    EXPECT_EQ(firstGeneration.mcuMinor, 30);
    EXPECT_EQ(firstGeneration.mcuMajor, 2);
    EXPECT_FALSE(firstGeneration.isG2());
    EXPECT_EQ(firstGeneration.word(), 0x021E025Fu);
    EXPECT_TRUE(FirmwareVersion::fromWord(0x0305025F).isG2());
    EXPECT_TRUE(FirmwareVersion::fromWord(0x07000000).isG2());  // both low bits of the MCU major
    EXPECT_FALSE(FirmwareVersion::fromWord(0x01000000).isG2());
    EXPECT_TRUE(FirmwareVersion::fromWord(0x00008200).isLowVoltageFpga());
}

TEST(DeviceText, OpenedDeviceShowsEveryField)
{
    const std::string text = zel::info::describeDevice(openedDevice(0x0305825A, 123456));
    EXPECT_TRUE(contains(text, "device 1: opened\n"));  // index 0, counted from 1
    EXPECT_TRUE(contains(text, "firmware version: 0x0305825A\n"));
    EXPECT_TRUE(contains(text, "FPGA: major 2, minor 90 (1.8 V image)\n"));
    EXPECT_TRUE(contains(text, "MCU: major 3, minor 5\n"));
    EXPECT_TRUE(contains(text, "generation: G2\n"));
    EXPECT_TRUE(contains(text, "hardware version: 1\n"));
    EXPECT_TRUE(contains(text, "product name: ZelmorPro\n"));
    EXPECT_TRUE(contains(text, "serial number: 123456\n"));
}

TEST(DeviceText, ErasedSerialAndClosedDevice)
{
    EXPECT_TRUE(contains(zel::info::describeDevice(openedDevice(0x021E025F, 0xFFFFFFFF)), "serial number: N.A\n"));
    EXPECT_TRUE(contains(zel::info::describeDevice(openedDevice(0x021E025F, 0)), "generation: first generation\n"));
    EXPECT_EQ(zel::info::describeDevice(DeviceEntry{3, false, std::nullopt}), "device 4: not opened\n");
}

TEST(DeviceText, ProductNameIsWrittenAsUtf8)
{
    EXPECT_EQ(zel::info::toUtf8(L"Zelmor\u00e9\u20ac\U0001F600"), "Zelmor\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80");
    EXPECT_EQ(zel::info::toUtf8(std::wstring(1, static_cast<wchar_t>(0xD800))), "\xef\xbf\xbd");
    EXPECT_EQ(zel::info::toUtf8(std::wstring(1, static_cast<wchar_t>(0x110000))), "\xef\xbf\xbd");
}

}  // namespace
