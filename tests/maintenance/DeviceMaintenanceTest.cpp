// The smaller maintenance exports against the simulator: identity-page writes (programming
// without an erase), FPGA image switch and reconfiguration, the on-board flash erase and page
// commands, and the rule that a slot which is not open hears nothing.
#include "UpdateSession.h"

#include <gtest/gtest.h>

namespace zel::test::maintenance {
namespace {

Bytes identityPageWith(size_t offset, const Bytes& field) {
    Bytes page(256, 0xFF);
    std::copy(field.begin(), field.end(), page.begin() + static_cast<std::ptrdiff_t>(offset));
    return page;
}

std::vector<Bytes> identityWriteFrames() {
    return {frame({0x36}), frame({0x30}), pageWriteFrame(0x1FFF00), addressFrame(0x33, 0x1FFF00)};
}

using DeviceMaintenance = UpdateSession;

// ---- identity page ----

TEST_F(DeviceMaintenance, SerialNumberIsWrittenAsOneLittleEndianFieldInAnErasedPage) {
    start({"gen=1,blank=1"});
    EXPECT_TRUE(WriteZelmorProSerailNumber(0x00012345, 0));
    EXPECT_TRUE(sameFrames(frames(), identityWriteFrames()));
    auto phases = dataPhasesAfter(sim->log(0), 0x34);
    ASSERT_EQ(phases.size(), 1u);
    EXPECT_TRUE(phaseCarries(phases[0], identityPageWith(2, {0x45, 0x23, 0x01, 0x00})));
    EXPECT_EQ(GetZelmorProSerialNumber(0), 0x00012345u);
    EXPECT_EQ(violations(), "");
}

TEST_F(DeviceMaintenance, WriteThatNeedsABitSetAgainFailsItsReadBack) {
    start({"gen=1,blank=1"});
    ASSERT_TRUE(WriteZelmorProSerailNumber(0x00012345, 0));
    EXPECT_FALSE(WriteZelmorProSerailNumber(0x00012346, 0));  // 0x45 -> 0x46 sets bit 1
    EXPECT_EQ(GetZelmorProSerialNumber(0), 0x00012344u) << "programming only clears bits";
    EXPECT_TRUE(WriteZelmorProSerailNumber(0x00012344, 0)) << "the same value reads back";
    EXPECT_TRUE(WriteZelmorProSerailNumber(0x00002000, 0)) << "clearing bits needs no erase";
}

TEST_F(DeviceMaintenance, HardwareVersionIsByteOneAndKeepsTheSerialNumber) {
    start({"gen=1,serial=4660,hw=255"});
    EXPECT_TRUE(WriteZelmorProHWVersion(0x21, 0));
    EXPECT_TRUE(sameFrames(frames(), identityWriteFrames()));
    auto phases = dataPhasesAfter(sim->log(0), 0x34);
    ASSERT_EQ(phases.size(), 1u);
    EXPECT_TRUE(phaseCarries(phases[0], identityPageWith(1, {0x21})));
    EXPECT_EQ(GetZelmorProHWVersion(0), 0x21);
    EXPECT_EQ(GetZelmorProSerialNumber(0), 4660u);
    EXPECT_FALSE(WriteZelmorProHWVersion(0x23, 0));
}

TEST_F(DeviceMaintenance, IdentityIsNotWrittenToAnUnknownFlash) {
    start({"gen=1,flashid=0xC84015,blank=1"});
    EXPECT_FALSE(WriteZelmorProSerailNumber(7, 0));
    EXPECT_FALSE(WriteZelmorProHWVersion(7, 0));
    EXPECT_TRUE(sameFrames(frames(), {frame({0x36}), frame({0x30}), frame({0x36}), frame({0x30})}));
}

// ---- FPGA ----

TEST_F(DeviceMaintenance, FpgaSwitchCarriesTheFullAddressAndReconfigureIsBare) {
    start({"gen=2"});
    EXPECT_EQ(SwitchFPGAVersion(0x078000, 0), 1);
    EXPECT_EQ(SwitchFPGAVersion(0x89ABCDEF, 0), 1);  // all 32 bits, big-endian
    DoReconfigFPGA(0);
    EXPECT_TRUE(sameFrames(frames(), {frame({0x24, 0x00, 0x07, 0x80, 0x00}), frame({0x24, 0x89, 0xAB, 0xCD, 0xEF}),
                                      frame({0x20})}));
    EXPECT_EQ(violations(), "");
}

TEST_F(DeviceMaintenance, SwitchToTheLowVoltageImageShowsInTheFirmwareVersion) {
    start({"gen=2"});
    ASSERT_EQ(SwitchFPGAVersion(0x078000, 0), 1);
    uint8_t version[4] = {};
    GetZelmorProFirmwareVersion(version, 0);
    EXPECT_EQ(version[1] & 0x80, 0x80);
    ASSERT_EQ(SwitchFPGAVersion(0x000000, 0), 1);
    GetZelmorProFirmwareVersion(version, 0);
    EXPECT_EQ(version[1] & 0x80, 0x00);
}

// ---- on-board flash commands ----

TEST_F(DeviceMaintenance, EraseCommandErasesThirtySectorsOnCurrentFirmware) {
    start({"gen=1,fw=0x0209025F"});  // MCU 2.9: the first firmware that keeps the device data
    ASSERT_EQ(SendCommandToZelmorPro(ZELMOR_CMD_FLASH_WRITE_PAGE, reinterpret_cast<uintptr_t>(Bytes(256, 0).data()),
                                     0x1D0000, 0, 0), 1);
    sim->clearLog(0);
    EXPECT_EQ(SendCommandToZelmorPro(ZELMOR_CMD_FLASH_ERASE, 0, 0, 0, 0), 1);
    std::vector<Bytes> expected = {frame({0x10})};
    for (uint32_t sector = 0; sector < 30; ++sector) expected.push_back(addressFrame(0x37, sector * 0x10000));
    EXPECT_TRUE(sameFrames(frames(), expected));
    EXPECT_EQ(flashBytes(*sim, 0, 0x1D0000, 4), Bytes(4, 0xFF));
    EXPECT_EQ(GetZelmorProSerialNumber(0), 1234u) << "the identity page is kept";
}

TEST_F(DeviceMaintenance, EraseCommandErasesTheChipOnFirmwareUpTo28) {
    start({"gen=1,fw=0x0208FFFF"});  // MCU 2.8 whatever the FPGA bytes say
    EXPECT_EQ(SendCommandToZelmorPro(ZELMOR_CMD_FLASH_ERASE, 0, 0, 0, 0), 1);
    EXPECT_TRUE(sameFrames(frames(), {frame({0x10}), frame({0x31}), frame({0x32})}));
    EXPECT_EQ(GetZelmorProSerialNumber(0), 0xFFFFFFFFu) << "a chip erase takes the identity page too";
}

TEST_F(DeviceMaintenance, EraseCommandErasesNothingWhenTheVersionCannotBeRead) {
    start({"gen=1"});
    sim->control("fail 0 1");
    EXPECT_EQ(SendCommandToZelmorPro(ZELMOR_CMD_FLASH_ERASE, 0, 0, 0, 0), 0);
    EXPECT_EQ(frames().size(), 1u);
    EXPECT_EQ(GetZelmorProSerialNumber(0), 1234u);
}

TEST_F(DeviceMaintenance, PageWriteAndReadCommandsCarryTheAddressAndTheWholePage) {
    start({"gen=1"});
    const Bytes page = syntheticImage(256, 3);
    EXPECT_EQ(SendCommandToZelmorPro(ZELMOR_CMD_FLASH_WRITE_PAGE, reinterpret_cast<uintptr_t>(page.data()), 0x123456, 0, 0), 1);
    Bytes readBack(256, 0);
    EXPECT_EQ(SendCommandToZelmorPro(ZELMOR_CMD_FLASH_READ_PAGE, reinterpret_cast<uintptr_t>(readBack.data()), 0x123400, 0, 0), 1);
    EXPECT_TRUE(sameFrames(frames(), {pageWriteFrame(0x123456), addressFrame(0x33, 0x123400)}));
    auto phases = dataPhasesAfter(sim->log(0), 0x34);
    ASSERT_EQ(phases.size(), 1u);
    EXPECT_TRUE(phaseCarries(phases[0], page));
    // The device programs from the page offset onward and wraps inside the page.
    Bytes expected(256);
    for (size_t i = 0; i < 256; ++i) expected[(0x56 + i) % 256] = page[i];
    EXPECT_EQ(readBack, expected);
    EXPECT_EQ(SendCommandToZelmorPro(ZELMOR_CMD_FLASH_WRITE_PAGE, 0, 0x1000, 0, 0), 0) << "no page, nothing sent";
    EXPECT_EQ(frames().size(), 2u);
}

TEST_F(DeviceMaintenance, SectorEraseTakesTheLow24BitsOfTheAddress) {
    start({"gen=1"});
    SectorEraseZelmorProOnBoardFlash(0x1E1234, 0);
    SectorEraseZelmorProOnBoardFlash(0x7F1F0000, 0);
    EXPECT_TRUE(sameFrames(frames(), {addressFrame(0x37, 0x1E1234), addressFrame(0x37, 0x1F0000)}));
    EXPECT_EQ(violations(), "");
}

// ---- slots that are not open, library not initialised ----

TEST_F(DeviceMaintenance, SlotThatIsNotOpenHearsNothing) {
    start({"gen=1", "gen=2"});
    CloseUSBZelmorPro();
    sim->control("hold 1");
    ASSERT_EQ(RenumerateZelmorPro(), 1);
    sim->clearLog(0);
    sim->clearLog(1);
    for (int index : {1, 2, -1, 128}) {
        EXPECT_EQ(SwitchFPGAVersion(0x078000, index), 0);
        DoReconfigFPGA(index);
        SectorEraseZelmorProOnBoardFlash(0, index);
        EXPECT_FALSE(WriteZelmorProSerailNumber(1, index));
        EXPECT_FALSE(WriteZelmorProHWVersion(1, index));
        EXPECT_EQ(SendCommandToZelmorPro(ZELMOR_CMD_FLASH_ERASE, 0, 0, 0, index), 0);
        Bytes page(256, 0);
        EXPECT_EQ(SendCommandToZelmorPro(ZELMOR_CMD_FLASH_WRITE_PAGE, reinterpret_cast<uintptr_t>(page.data()), 0, 0, index), 0);
    }
    ExitZelmorPro();
    EXPECT_EQ(SwitchFPGAVersion(0x078000, 0), 0);
    DoReconfigFPGA(0);
    SectorEraseZelmorProOnBoardFlash(0, 0);
    EXPECT_FALSE(WriteZelmorProSerailNumber(1, 0));
    EXPECT_FALSE(WriteZelmorProHWVersion(1, 0));
    for (int device : {0, 1}) {
        auto log = sim->log(device);
        EXPECT_TRUE(std::none_of(log.begin(), log.end(), [](auto& e) { return e.kind != SimLogEntry::Kind::Note; }))
            << "device " << device;
    }
}

}  // namespace
}  // namespace zel::test::maintenance
