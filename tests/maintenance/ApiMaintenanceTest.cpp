// The API's maintenance exports reach the device the caller names (the serial-number write the
// current device), return the device link's result, and stay silent before initialisation.
#include "FirmwareFixtures.h"
#include "SimChecks.h"
#include "support/SimProcess.h"
#include "support/TempDir.h"
#include "zelapi.h"

#include <gtest/gtest.h>

#include <optional>

namespace zel::test::maintenance {
namespace {

class ApiMaintenance : public ::testing::Test {
protected:
    void start(std::vector<std::string> devices) {
        count = static_cast<int>(devices.size());
        sim.emplace(std::move(devices), std::vector<std::string>{"--strict", "--time-scale", "0.001"});
        sim->exportEnvironment();
    }
    void clearLogs() {
        for (int device = 0; device < count; ++device) sim->clearLog(device);
    }
    bool silent(int device) const {
        auto log = sim->log(device);
        return std::none_of(log.begin(), log.end(), [](auto& e) { return e.kind != SimLogEntry::Kind::Note; });
    }
    void TearDown() override {
        CliCloseUSBDevice();
        CliCloseZelmorProDLL();
        sim.reset();
    }

    ConfigHome home;
    TempDir files;
    std::optional<SimProcess> sim;
    int count = 0;
};

TEST_F(ApiMaintenance, FirmwareUpdateGoesToTheNamedDeviceAndReturnsItsResult) {
    start({"gen=1", "gen=1"});
    CliInitialZelmorProDLL();
    const Bytes fpga = syntheticImage(600, 1), mcu = syntheticImage(400, 2);
    writeFirmwareFolder(files.path(), fpga, mcu);
    const std::string text = files.path().string();
    const std::wstring path(text.begin(), text.end());
    clearLogs();
    EXPECT_EQ(CliUpdateFirmware(path.c_str(), 1), 1);
    EXPECT_TRUE(silent(0));
    EXPECT_TRUE(sameFrames(sim->commandFrames(1), expectedUpdateFrames({false, 0, fpga.size(), mcu.size()})));
    EXPECT_EQ(flashBytes(*sim, 1, 0x100100, 400), mcu);

    const std::wstring missing = path + L"/absent";
    EXPECT_EQ(CliUpdateFirmware(missing.c_str(), 0), 0);
    EXPECT_EQ(CliUpdateFirmware(nullptr, 0), 0);
}

TEST_F(ApiMaintenance, FpgaSwitchAndReconfigureGoToTheNamedDevice) {
    start({"gen=2", "gen=2"});
    CliInitialZelmorProDLL();
    clearLogs();
    EXPECT_EQ(CliSwitchFPGAVersion(0x078000, 1), 1);
    CliDoReconfigFPGA(1);
    EXPECT_TRUE(silent(0));
    EXPECT_TRUE(sameFrames(sim->commandFrames(1), {frame({0x24, 0x00, 0x07, 0x80, 0x00}), frame({0x20})}));
    EXPECT_EQ(CliSwitchFPGAVersion(0, 5), 0);
}

TEST_F(ApiMaintenance, SerialNumberWriteGoesToTheCurrentDevice) {
    start({"gen=1,blank=1", "gen=1,blank=1"});
    sim->control("hold 0");  // the only device that opens becomes the current one
    CliInitialZelmorProDLL();
    ASSERT_EQ(CliGetUSBDevIndex(), 1);
    clearLogs();
    EXPECT_TRUE(CliWriteSerailNumber(0x00ABCDEF));
    EXPECT_EQ(CliGetSerailNumber(1), 0x00ABCDEFu);
    EXPECT_FALSE(CliWriteSerailNumber(0x00ABCDF0)) << "needs cleared bits set";
    EXPECT_TRUE(silent(0));
}

TEST_F(ApiMaintenance, NothingIsSentBeforeInitialisation) {
    start({"gen=1"});
    writeFirmwareFolder(files.path(), syntheticImage(10, 1), syntheticImage(10, 2));
    const std::string text = files.path().string();
    const std::wstring path(text.begin(), text.end());
    EXPECT_EQ(CliUpdateFirmware(path.c_str(), 0), 0);
    EXPECT_EQ(CliSwitchFPGAVersion(0x078000, 0), 0);
    CliDoReconfigFPGA(0);
    EXPECT_FALSE(CliWriteSerailNumber(1));
    EXPECT_TRUE(silent(0));
}

}  // namespace
}  // namespace zel::test::maintenance
