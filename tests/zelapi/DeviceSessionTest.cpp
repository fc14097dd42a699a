// Device sessions through the API: enumeration, identity of simulated emulators of both
// generations, the earlier-design fallback, and what works before the API exists.
#include "SimulatedApi.h"

#include <unistd.h>

#include <array>
#include <cstdlib>
#include <cwchar>
#include <filesystem>
#include <string>

namespace {

using zel::test::SimulatedApi;

struct ProductInfo {
    uint32_t firmware = 0xDEADBEEF;
    uint8_t hardware = 0xEE;
    std::array<wchar_t, kZelProductNameChars> name{};

    static ProductInfo of(int index)
    {
        ProductInfo info;
        info.name.fill(L'?');
        CliGetProductInfo(&info.firmware, &info.hardware, info.name.data(), index);
        return info;
    }
    std::wstring productName() const { return std::wstring(name.data(), std::wcslen(name.data())); }
};

class DeviceSession : public SimulatedApi {};

TEST_F(DeviceSession, IdentityOfFirstGenerationAndG2Emulators)
{
    startSimulator({"gen=1,serial=4321,hw=3", "gen=2,serial=654321,hw=7,fw=0x0382015A"});
    CliInitialZelmorProDLL();
    ASSERT_EQ(CliCheckUSBDeviceNum(), 2);
    EXPECT_EQ(CliGetUSBDevIndex(), 0);

    const ProductInfo first = ProductInfo::of(0);
    EXPECT_EQ(first.firmware, 0x021E025Fu);  // MCU 2.30, FPGA 0x02 minor 95
    EXPECT_EQ(first.hardware, 3);
    EXPECT_EQ(first.productName(), L"ZelmorPro");
    EXPECT_EQ(CliGetSerailNumber(0), 4321u);

    const ProductInfo second = ProductInfo::of(1);
    EXPECT_EQ(second.firmware, 0x0382015Au);  // MCU 3.130, FPGA 1.8 V image 0x82 minor 90
    EXPECT_EQ(second.firmware >> 24 & 3, 3u);  // G2
    EXPECT_EQ(second.hardware, 7);
    EXPECT_EQ(second.productName(), L"ZelmorPro");
    EXPECT_EQ(CliGetSerailNumber(1), 654321u);
}

TEST_F(DeviceSession, DefaultG2IdentityReadsItsOwnFirmwareWord)
{
    startSimulator({"gen=2"});
    CliInitialZelmorProDLL();
    const ProductInfo info = ProductInfo::of(CliGetUSBDevIndex());
    EXPECT_EQ(info.firmware, 0x0305025Fu);
    EXPECT_EQ(CliGetSerailNumber(0), 123456u);
}

TEST_F(DeviceSession, ProductInfoOfAMissingDeviceReadsFirmwareZero)
{
    startSimulator({"gen=1"});
    CliInitialZelmorProDLL();
    const ProductInfo missing = ProductInfo::of(5);
    EXPECT_EQ(missing.firmware, 0u);
    // An unplugged emulator's slot answers nothing either.
    sim().control("unplug 0");
    EXPECT_EQ(ProductInfo::of(0).firmware, 0u);
}

TEST_F(DeviceSession, NullOutputsAreSkipped)
{
    startSimulator({"gen=1,hw=9"});
    CliInitialZelmorProDLL();
    uint8_t hardware = 0;
    CliGetProductInfo(nullptr, &hardware, nullptr, 0);
    EXPECT_EQ(hardware, 9);
}

TEST_F(DeviceSession, EverythingButTheForwardersIsInertBeforeInit)
{
    startSimulator({"gen=1"});
    sim().control("set-reg 0 0x28 1");
    sim().clearLog(0);

    EXPECT_EQ(CliCheckUSBDeviceNum(), 0);
    EXPECT_EQ(CliRenumerateUSBDevice(), 0);
    EXPECT_EQ(CliGetUSBDevIndex(), 0);
    EXPECT_EQ(CliGetSerailNumber(0), 0u);
    const ProductInfo info = ProductInfo::of(0);
    EXPECT_EQ(info.firmware, 0xDEADBEEFu);
    EXPECT_EQ(info.hardware, 0xEE);
    EXPECT_EQ(info.name[0], L'?');
    CliDoSetZelmorProType(true, 0);
    EXPECT_EQ(CliGetDLLBuffer(), nullptr);
    // The forwarders work, and report what the uninitialised device libraries report.
    EXPECT_EQ(CliIsZelmorProUSBOpened(0), 0);
    EXPECT_EQ(CliIsMemoryEmulationRunning(0), 0);
    EXPECT_EQ(CliGetRegister02(), 0);
    CliCloseUSBDevice();

    EXPECT_TRUE(sim().log(0).empty());  // nothing reached the emulator
}

TEST_F(DeviceSession, ForwardersReportTheRunningEmulator)
{
    startSimulator({"gen=1"});
    CliInitialZelmorProDLL();
    EXPECT_EQ(CliIsMemoryEmulationRunning(0), 0);
    sim().control("set-reg 0 0x28 1");
    EXPECT_EQ(CliIsMemoryEmulationRunning(0), 1);
}

TEST_F(DeviceSession, CloseUSBDeviceReleasesAndRenumerationReopens)
{
    startSimulator({"gen=1", "gen=2"});
    CliInitialZelmorProDLL();
    ASSERT_EQ(CliIsZelmorProUSBOpened(1), 1);

    CliCloseUSBDevice();
    EXPECT_EQ(CliIsZelmorProUSBOpened(0), 0);
    EXPECT_EQ(CliIsZelmorProUSBOpened(1), 0);
    EXPECT_EQ(ProductInfo::of(1).firmware, 0u);

    EXPECT_EQ(CliRenumerateUSBDevice(), 2);
    EXPECT_EQ(CliIsZelmorProUSBOpened(1), 1);
    EXPECT_EQ(ProductInfo::of(1).firmware, 0x0305025Fu);
}

TEST_F(DeviceSession, RenumerationFallsBackToTheEarlierDesign)
{
    // Only an emulator of the earlier USB design: the device link opens nothing, zeldev does.
    startSimulator({"gen=1,pid=0x1234"});
    CliInitialZelmorProDLL();
    EXPECT_EQ(CliCheckUSBDeviceNum(), 0);
    EXPECT_EQ(CliRenumerateUSBDevice(), 1);
}

TEST_F(DeviceSession, EarlierDesignRegisterTwoIsForwarded)
{
    startSimulator({"gen=1,pid=0x1234"});
    sim().control("set-reg 0 2 0x5a");
    CliInitialZelmorProDLL();
    EXPECT_EQ(CliGetRegister02(), 0x5A);
    CliCloseUSBDevice();
    EXPECT_EQ(CliGetRegister02(), 0);  // released: the read fails
}

TEST(DeviceSessionWithoutEmulators, RenumerationReportsNothingFound)
{
    char pattern[] = "/tmp/zel-api-empty-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    setenv("ZELMOR_SIM", pattern, 1);
    setenv("ZELMOR_SIM_TIMEOUT_MS", "2000", 1);

    CliInitialZelmorProDLL();
    EXPECT_EQ(CliRenumerateUSBDevice(), 0);
    EXPECT_EQ(CliCheckUSBDeviceNum(), 0);
    EXPECT_EQ(CliIsZelmorProUSBOpened(0), 0);
    uint32_t firmware = 0x12345678;
    CliGetProductInfo(&firmware, nullptr, nullptr, 0);
    EXPECT_EQ(firmware, 0u);
    EXPECT_NE(CliGetDLLBuffer(), nullptr);
    CliCloseUSBDevice();
    CliCloseZelmorProDLL();
    std::filesystem::remove_all(pattern);
}

}  // namespace
