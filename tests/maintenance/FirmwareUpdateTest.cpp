// The firmware update (command 2) end to end against the simulator: what lands in the on-board
// flash, every command frame in order, the erase method by MCU firmware, and the refusals that
// must leave the flash untouched.
#include "UpdateSession.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace zel::test::maintenance {
namespace {

constexpr uint32_t kKeptArea = 0x1E0000;

// The flash an update should leave: the firmware area erased (all of it, for a chip erase),
// both images and the boot marker written.
Bytes flashAfterUpdate(Bytes before, const Bytes& fpga, const Bytes& mcu, bool chipErase) {
    std::fill(before.begin(), before.begin() + (chipErase ? before.size() : kKeptArea), 0xFF);
    std::copy(fpga.begin(), fpga.end(), before.begin());
    const uint8_t marker[8] = {0xAA, 0x55, 'B', 'O', 'O', 'T', 'U', 0xAA};
    std::copy(std::begin(marker), std::end(marker), before.begin() + 0x100000);
    std::fill(before.begin() + 0x100008, before.begin() + 0x100100, 0x00);
    std::copy(mcu.begin(), mcu.end(), before.begin() + 0x100100);
    return before;
}

::testing::AssertionResult sameFlash(const Bytes& actual, const Bytes& expected) {
    auto diff = std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end());
    if (diff.first == actual.end() && diff.second == expected.end()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "flash differs first at 0x" << std::hex << (diff.first - actual.begin());
}

class FirmwareUpdate : public UpdateSession {
protected:
    // Old contents in the firmware area and device data in the kept area, so the erase shows.
    void plantOldContents() {
        ASSERT_EQ(writePage(0x000000, Bytes(256, 0x11)), 1);
        ASSERT_EQ(writePage(0x1D0000, Bytes(256, 0x22)), 1);
        ASSERT_EQ(writePage(kKeptArea, Bytes(256, 0x33)), 1);
        ASSERT_EQ(writePage(0x1FFE00, Bytes(256, 0x44)), 1);
        sim->clearLog(0);
    }
    // An update that must not have touched the flash.
    void expectRefused(const std::filesystem::path& source, const std::vector<Bytes>& expectedFrames) {
        home.plantEncrypFile();
        const Bytes before = wholeFlash();
        EXPECT_EQ(update(source), 0);
        EXPECT_TRUE(sameFrames(frames(), expectedFrames));
        EXPECT_TRUE(sameFlash(wholeFlash(), before));
        EXPECT_TRUE(std::filesystem::exists(home.encrypFile())) << "kept: the flash ID check was not passed";
    }
};

TEST_F(FirmwareUpdate, FirstGenerationFolderWritesBothImagesAndTheMarkerLast) {
    start({"gen=1"});  // MCU 2.30: sector erase
    plantOldContents();
    home.plantEncrypFile();
    const Bytes fpga = syntheticImage(3000, 1), mcu = syntheticImage(1500, 2);
    writeFirmwareFolder(files.path(), fpga, mcu);
    const Bytes before = wholeFlash();

    EXPECT_EQ(update(files.path()), 1);
    EXPECT_TRUE(sameFrames(frames(), expectedUpdateFrames({false, 0, fpga.size(), mcu.size()})));
    EXPECT_TRUE(sameFlash(wholeFlash(), flashAfterUpdate(before, fpga, mcu, false)));
    EXPECT_EQ(flashBytes(*sim, 0, kKeptArea, 4), Bytes(4, 0x33)) << "device data is kept";
    EXPECT_FALSE(std::filesystem::exists(home.encrypFile()));
    EXPECT_EQ(violations(), "");
}

TEST_F(FirmwareUpdate, NamedImagePairIsUsedWhenTheNumberedOneIsIncomplete) {
    start({"gen=1"});
    const Bytes fpga = syntheticImage(700, 3), mcu = syntheticImage(900, 4);
    writeFirmwareFolder(files.path(), fpga, mcu, "fpga.bin", "mcu.bin");
    writeFirmwareFolder(files.path(), syntheticImage(100, 5), Bytes{});
    EXPECT_EQ(update(files.path()), 1);
    EXPECT_EQ(flashBytes(*sim, 0, 0, 700), fpga);
    EXPECT_EQ(flashBytes(*sim, 0, 0x100100, 900), mcu);
}

class ContainerUpdate : public FirmwareUpdate, public ::testing::WithParamInterface<const char*> {};

TEST_P(ContainerUpdate, G2ContainerWritesBothImagesAndKeepsDeviceData) {
    start({"gen=2"});  // MCU 3.5: sector erase
    plantOldContents();
    const Bytes fpga = syntheticImage(70000, 6), mcu = syntheticImage(20001, 7);
    writeContainer(files / GetParam(), containerBytes(fpga, mcu));
    const Bytes before = wholeFlash();

    EXPECT_EQ(update(files / GetParam()), 1);
    auto sent = frames();
    EXPECT_TRUE(sameFrames(sent, expectedUpdateFrames({false, 0, fpga.size(), mcu.size()})));
    EXPECT_EQ(countFrames(sent, 0x37), 30u);
    EXPECT_TRUE(sameFlash(wholeFlash(), flashAfterUpdate(before, fpga, mcu, false)));
    EXPECT_EQ(violations(), "");
}

INSTANTIATE_TEST_SUITE_P(Formats, ContainerUpdate, ::testing::Values("fw.vkfw", "fw.hex", "FW.S19", "fw.Hex"));

TEST_F(FirmwareUpdate, ImagesFillingTheirAreasStopShortOfTheDeviceData) {
    start({"gen=1"});
    plantOldContents();
    const Bytes fpga = syntheticImage(1'048'575, 8), mcu = syntheticImage(917'247, 9);
    writeFirmwareFolder(files.path(), fpga, mcu);
    const Bytes before = wholeFlash();
    EXPECT_EQ(update(files.path()), 1);
    const Bytes after = wholeFlash();
    EXPECT_TRUE(sameFlash(after, flashAfterUpdate(before, fpga, mcu, false)));
    EXPECT_TRUE(std::equal(after.begin() + kKeptArea, after.end(), before.begin() + kKeptArea));
}

TEST_F(FirmwareUpdate, FpgaImageOfTwoPagesIsWrittenAsThreeWithAnErasedLastPage) {
    start({"gen=1"});
    const Bytes fpga = syntheticImage(512, 10), mcu = syntheticImage(10, 11);
    writeFirmwareFolder(files.path(), fpga, mcu);
    EXPECT_EQ(update(files.path()), 1);
    EXPECT_TRUE(sameFrames(frames(), expectedUpdateFrames({false, 0, 512, 10})));
    auto phases = dataPhasesAfter(sim->log(0), 0x34);
    ASSERT_GE(phases.size(), 3u);
    EXPECT_TRUE(phaseCarries(phases[0], Bytes(fpga.begin(), fpga.begin() + 256)));
    EXPECT_TRUE(phaseCarries(phases[1], Bytes(fpga.begin() + 256, fpga.end())));
    EXPECT_TRUE(phaseCarries(phases[2], Bytes(256, 0xFF)));
    Bytes mcuPage(256, 0xFF);
    std::copy(mcu.begin(), mcu.end(), mcuPage.begin());
    EXPECT_TRUE(phaseCarries(phases[3], mcuPage));
}

// ---- MCU firmware up to 2.8: whole-chip erase ----

TEST_F(FirmwareUpdate, OldFirmwareGetsAChipEraseAndOneStatusReadOnceItIsDone) {
    start({"gen=1,fw=0x0208025F"});  // the erase (15 s) ends within the 20 s wait
    plantOldContents();
    const Bytes fpga = syntheticImage(1000, 12), mcu = syntheticImage(2000, 13);
    writeFirmwareFolder(files.path(), fpga, mcu);
    const Bytes before = wholeFlash();
    EXPECT_EQ(update(files.path()), 1);
    EXPECT_TRUE(sameFrames(frames(), expectedUpdateFrames({true, 1, fpga.size(), mcu.size()})));
    EXPECT_TRUE(sameFlash(wholeFlash(), flashAfterUpdate(before, fpga, mcu, true)));
}

TEST_F(FirmwareUpdate, EraseStatusThatNeverTurnsReadyEndsAfter101ReadsAndTheUpdateGoesOn) {
    start({"gen=1,fw=0x0208025F,erase=3600000"});  // 3.6 s at this scale: busy throughout
    const Bytes fpga = syntheticImage(300, 14), mcu = syntheticImage(200, 15);
    writeFirmwareFolder(files.path(), fpga, mcu);
    // The device ignores programming while it erases, so both images fail their verify and the
    // marker is never written.
    EXPECT_EQ(update(files.path()), 0);
    auto expected = expectedUpdateFrames({true, 101, fpga.size(), mcu.size()});
    expected.resize(expected.size() - 2);
    EXPECT_TRUE(sameFrames(frames(), expected));
}

// ---- refusals: nothing touches the flash ----

TEST_F(FirmwareUpdate, UnknownFlashPartIsRefusedAfterItsIdRead) {
    start({"gen=1,flashid=0xC84015"});
    writeFirmwareFolder(files.path(), syntheticImage(100, 1), syntheticImage(100, 2));
    expectRefused(files.path(), {frame({0x10}), frame({0x36}), frame({0x30})});
}

TEST_F(FirmwareUpdate, FolderWithoutAMatchingPairIsRefusedAfterTheVersionRead) {
    start({"gen=1"});
    writeFirmwareFolder(files.path(), syntheticImage(100, 1), syntheticImage(100, 2), "1.bin", "mcu.bin");
    expectRefused(files.path(), {frame({0x10})});
}

TEST_F(FirmwareUpdate, OversizeImagesAreRefusedInFoldersAndContainers) {
    start({"gen=1"});
    writeFirmwareFolder(files.path(), syntheticImage(1'048'576, 1), syntheticImage(100, 2));
    expectRefused(files.path(), {frame({0x10})});
}

TEST_F(FirmwareUpdate, ContainerWithABadHeaderIsRefusedAfterTheVersionRead) {
    start({"gen=2"});
    const Bytes fpga = syntheticImage(1000, 1), mcu = syntheticImage(1000, 2);
    writeContainer(files / "no-mcu.vkfw", containerBytes(fpga, mcu, {72, 1000, 1072, 0}));
    expectRefused(files / "no-mcu.vkfw", {frame({0x10})});
    sim->clearLog(0);
    writeContainer(files / "outside.hex", containerBytes(fpga, mcu, {72, 1000, 1072, 1001}));
    expectRefused(files / "outside.hex", {frame({0x10})});
    sim->clearLog(0);
    writeContainer(files / "wraps.vkfw", containerBytes(fpga, mcu, {0xFFFFFF00u, 0x200, 1072, 1000}));
    expectRefused(files / "wraps.vkfw", {frame({0x10})});
    sim->clearLog(0);
    const Bytes bigMcu = syntheticImage(917'248, 3);
    writeContainer(files / "big.vkfw", containerBytes(fpga, bigMcu));
    expectRefused(files / "big.vkfw", {frame({0x10})});
    sim->clearLog(0);
    writeContainer(files / "short.vkfw", Bytes(71, 0));
    expectRefused(files / "short.vkfw", {frame({0x10})});
}

TEST_F(FirmwareUpdate, DeliveryFormFollowsTheGeneration) {
    start({"gen=2"});
    writeFirmwareFolder(files.path(), syntheticImage(100, 1), syntheticImage(100, 2));
    expectRefused(files.path(), {frame({0x10})});  // a G2 device takes no folder
}

TEST_F(FirmwareUpdate, FirstGenerationTakesNoContainer) {
    start({"gen=1"});
    writeContainer(files / "fw.vkfw", containerBytes(syntheticImage(100, 1), syntheticImage(100, 2)));
    expectRefused(files / "fw.vkfw", {frame({0x10})});
}

TEST_F(FirmwareUpdate, FailedVersionReadRefusesTheUpdate) {
    start({"gen=1"});
    writeFirmwareFolder(files.path(), syntheticImage(100, 1), syntheticImage(100, 2));
    sim->control("fail 0 1");
    home.plantEncrypFile();
    const Bytes before = wholeFlash();
    EXPECT_EQ(update(files.path()), 0);
    auto log = sim->log(0);
    std::erase_if(log, [](const SimLogEntry& e) { return e.kind == SimLogEntry::Kind::Note; });
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log.front().status, "stall");
    EXPECT_TRUE(sameFlash(wholeFlash(), before));
    EXPECT_TRUE(std::filesystem::exists(home.encrypFile()));
}

TEST_F(FirmwareUpdate, SlotThatIsNotOpenOrAMissingPathSendsNothing) {
    start({"gen=1"});
    writeFirmwareFolder(files.path(), syntheticImage(100, 1), syntheticImage(100, 2));
    EXPECT_EQ(update(files.path(), 1), 0);
    EXPECT_EQ(update(files.path(), -1), 0);
    EXPECT_EQ(update(files.path(), 128), 0);
    EXPECT_EQ(SendCommandToZelmorPro(ZELMOR_CMD_FIRMWARE_UPDATE, 0, 0, 0, 0), 0);
    EXPECT_TRUE(sim->log(0).empty());

    CloseUSBZelmorPro();
    EXPECT_EQ(update(files.path()), 0);
    ExitZelmorPro();
    EXPECT_EQ(update(files.path()), 0);
    auto log = sim->log(0);
    EXPECT_TRUE(std::none_of(log.begin(), log.end(), [](auto& e) { return e.kind != SimLogEntry::Kind::Note; }));
}

}  // namespace
}  // namespace zel::test::maintenance
