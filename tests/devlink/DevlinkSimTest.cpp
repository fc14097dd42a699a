// ZelmorProDll's exports against emulators served by a running zelsim: the bytes on the wire
// from the simulator's transfer log, enumeration with held devices, failure values and the
// behaviour of a device that stops answering.
#include "ZelmorProDll.h"
#include "support/CommandFrame.h"
#include "support/SimProcess.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cwchar>
#include <future>

namespace {

using namespace std::chrono_literals;
using zel::test::SimLogEntry;
using zel::test::SimProcess;

using Bytes = std::vector<uint8_t>;

Bytes frame(std::initializer_list<uint8_t> head) { return zel::test::commandFrame(head); }

size_t transferCount(const std::vector<SimLogEntry>& log) {
    return static_cast<size_t>(std::count_if(log.begin(), log.end(),
                                             [](const SimLogEntry& e) { return e.kind != SimLogEntry::Kind::Note; }));
}

_COMMAND command(int value) { return static_cast<_COMMAND>(value); }

class DevlinkSim : public ::testing::Test {
protected:
    void start(std::vector<std::string> devices, std::chrono::milliseconds timeout = 2000ms) {
        sim = std::make_unique<SimProcess>(std::move(devices));
        sim->exportEnvironment(timeout);
    }
    void TearDown() override {
        CloseUSBZelmorPro();
        ExitZelmorPro();
    }

    std::unique_ptr<SimProcess> sim;
};

// ---- not initialised ----

TEST_F(DevlinkSim, EveryExportHasItsNotInitialisedValueAndSendsNothing) {
    start({"gen=1"});
    auto check = [this] {
        unsigned short value = 0xBEEF;
        unsigned char version[4] = {1, 2, 3, 4};
        unsigned char hw = 0x77;
        wchar_t name[8] = L"keep";
        uint8_t page[256] = {};
        EXPECT_EQ(RenumerateZelmorPro(), 0);
        EXPECT_EQ(IsZelmorProOpened(0), 0);
        EXPECT_EQ(DoGetUSBDexIndex(), 0);
        const wchar_t* blank = GetUSBZelmorProName(name, 0);
        EXPECT_STREQ(blank, L" ");
        EXPECT_STREQ(name, L"keep");
        EXPECT_EQ(ReadZelmorProRegister(0x28, value, 0), 0);
        EXPECT_EQ(value, 0xBEEF);
        EXPECT_EQ(IsZelmorProRunning(0), 0);
        EXPECT_EQ(IsZelmorProG2(0), 0);
        EXPECT_EQ(SendCommandToZelmorPro(ZELMOR_CMD_ACCEPTED_B8, 0, 0, 0, 0), 0);
        EXPECT_EQ(SendCommandToZelmorPro(ZELMOR_CMD_FLASH_READ_PAGE, reinterpret_cast<uintptr_t>(page), 0, 0, 0), 0);
        GetZelmorProFirmwareVersion(version, 0);
        EXPECT_EQ(Bytes(version, version + 4), (Bytes{1, 2, 3, 4}));
        EXPECT_EQ(GetZelmorProHWVersion(0), 0);
        GetZelmorProHWVersion(hw, 0u);
        EXPECT_EQ(hw, 0x77);
        EXPECT_EQ(GetZelmorProSerialNumber(0), 0xFFFFFFu);
        WriteZelmorProRegister(0x28, 1, 0);
        RunZelmorPro(0);
        StopZelmorPro(0);
        SetOperationLog(0);
        CloseUSBZelmorPro();
        CloseZelmorProUSB();
    };
    check();
    EXPECT_EQ(transferCount(sim->log(0)), 0u);

    InitZelmorPro();
    ExitZelmorPro();
    sim->clearLog(0);
    check();
    EXPECT_EQ(transferCount(sim->log(0)), 0u);
}

// ---- enumeration and the current device ----

TEST(DevlinkNoDevice, NothingAttachedOpensNothingAndEveryCommandFails) {
    std::string pattern = (std::filesystem::temp_directory_path() / "zdlnoneXXXXXX").string();
    std::filesystem::path empty = ::mkdtemp(pattern.data());
    ::setenv("ZELMOR_SIM", empty.c_str(), 1);
    ::setenv("ZELMOR_SIM_TIMEOUT_MS", "500", 1);

    InitZelmorPro();
    unsigned short value = 0xBEEF;
    uint8_t page[256] = {};
    EXPECT_EQ(IsZelmorProOpened(0), 0);
    EXPECT_EQ(DoGetUSBDexIndex(), 0);
    EXPECT_EQ(RenumerateZelmorPro(), 0);
    EXPECT_EQ(ReadZelmorProRegister(0x28, value, 0), 0);
    EXPECT_EQ(value, 0);
    EXPECT_EQ(IsZelmorProRunning(0), 0);
    EXPECT_EQ(GetZelmorProSerialNumber(0), 0xFFFFFFFFu);
    EXPECT_EQ(SendCommandToZelmorPro(ZELMOR_CMD_ACCEPTED_B8, 0, 0, 0, 0), 0);
    EXPECT_EQ(SendCommandToZelmorPro(ZELMOR_CMD_FLASH_READ_PAGE, reinterpret_cast<uintptr_t>(page), 0, 0, 0), 0);
    ExitZelmorPro();
    std::filesystem::remove_all(empty);
}

TEST_F(DevlinkSim, OnlyDeviceThatCanBeOpenedBecomesTheCurrentOne) {
    start({"serial=1", "serial=2", "serial=3"});
    sim->control("hold 0");
    sim->control("hold 1");
    InitZelmorPro();
    EXPECT_EQ(DoGetUSBDexIndex(), 2);
    EXPECT_EQ(IsZelmorProOpened(0), 0);
    EXPECT_EQ(IsZelmorProOpened(1), 0);
    EXPECT_EQ(IsZelmorProOpened(2), 1);
    EXPECT_EQ(GetZelmorProSerialNumber(2), 3u);
    EXPECT_EQ(RenumerateZelmorPro(), 1) << "our own handle is released before enumerating again";
    EXPECT_EQ(DoGetUSBDexIndex(), 2);
}

TEST_F(DevlinkSim, ReopenedAfterTheSimulatorMovedToAnotherFolderFindsItThere) {
    start({"serial=1"});
    InitZelmorPro();
    EXPECT_EQ(GetZelmorProSerialNumber(0), 1u);
    CloseUSBZelmorPro();
    ExitZelmorPro();
    sim = std::make_unique<SimProcess>(std::vector<std::string>{"serial=2"});  // a fresh folder
    sim->exportEnvironment();
    InitZelmorPro();
    EXPECT_EQ(IsZelmorProOpened(0), 1);
    EXPECT_EQ(GetZelmorProSerialNumber(0), 2u);
}

TEST_F(DevlinkSim, TwoEmulatorsAreBothOpenedAndTheCurrentIndexIsZero) {
    start({"serial=11", "serial=12"});
    InitZelmorPro();
    EXPECT_EQ(DoGetUSBDexIndex(), 0);
    EXPECT_EQ(IsZelmorProOpened(0), 1);
    EXPECT_EQ(IsZelmorProOpened(1), 1);
    EXPECT_EQ(RenumerateZelmorPro(), 2);
    EXPECT_EQ(GetZelmorProSerialNumber(0), 11u);
    EXPECT_EQ(GetZelmorProSerialNumber(1), 12u);
}

TEST_F(DevlinkSim, SecondInitDoesNothing) {
    start({"gen=1"});
    InitZelmorPro();
    auto afterFirst = sim->log(0);
    bool nameRead = std::any_of(afterFirst.begin(), afterFirst.end(), [](const SimLogEntry& e) {
        return e.kind == SimLogEntry::Kind::Control &&
               e.setup == std::array<uint8_t, 8>{0x80, 0x06, 0x00, 0x01, 0x00, 0x00, 0x12, 0x00};
    });
    EXPECT_TRUE(nameRead) << "start-up reads the current device's name";

    InitZelmorPro();
    EXPECT_EQ(sim->log(0).size(), afterFirst.size()) << "no enumeration, no name read";
    EXPECT_EQ(IsZelmorProOpened(0), 1);
}

TEST_F(DevlinkSim, CloseReleasesEverySlotUntilTheNextEnumeration) {
    start({"gen=1"});
    InitZelmorPro();
    CloseZelmorProUSB();
    EXPECT_EQ(IsZelmorProOpened(0), 0);
    unsigned short value = 1;
    sim->clearLog(0);
    EXPECT_EQ(ReadZelmorProRegister(0x28, value, 0), 0);
    EXPECT_EQ(transferCount(sim->log(0)), 0u);
    EXPECT_EQ(RenumerateZelmorPro(), 1);
    EXPECT_EQ(IsZelmorProOpened(0), 1);
}

// ---- device names ----

TEST_F(DevlinkSim, DeviceNameComesFromTheDeviceDescriptor) {
    start({"gen=1"});
    InitZelmorPro();
    wchar_t name[256];
    std::wmemset(name, L'x', 256);
    EXPECT_EQ(GetUSBZelmorProName(name, 0), name);
    EXPECT_STREQ(name, L"ZelmorPro");

    sim->control("fail 0 1");
    std::wmemset(name, L'x', 256);
    GetUSBZelmorProName(name, 0);
    EXPECT_STREQ(name, L"") << "a failed request leaves the name empty";
}

TEST_F(DevlinkSim, DeviceOfTheEarlierDesignIsNotAnEmulatorAndHasNoName) {
    start({"pid=0x1234"});
    InitZelmorPro();
    EXPECT_EQ(IsZelmorProOpened(0), 0);
    wchar_t name[256];
    std::wmemset(name, L'x', 256);
    GetUSBZelmorProName(name, 0);
    EXPECT_STREQ(name, L"");
    EXPECT_EQ(transferCount(sim->log(0)), 0u);
}

// ---- register frames and run control ----

TEST_F(DevlinkSim, RegisterWriteAndReadFrames) {
    start({"gen=1"});
    InitZelmorPro();
    sim->clearLog(0);
    WriteZelmorProRegister(0x2A, 0x1234, 0);
    EXPECT_EQ(sim->reg(0, 0x2A), 0x1234);
    unsigned short value = 0;
    EXPECT_EQ(ReadZelmorProRegister(0x2A, value, 0), 0x1234);
    EXPECT_EQ(value, 0x1234);
    EXPECT_EQ(sim->commandFrames(0), (std::vector<Bytes>{frame({0x23, 0x2A, 0x12, 0x34}), frame({0x22, 0x2A})}));

    auto log = sim->log(0);
    auto reply = std::find_if(log.begin(), log.end(), [](const SimLogEntry& e) { return e.kind == SimLogEntry::Kind::In; });
    ASSERT_NE(reply, log.end());
    EXPECT_EQ(reply->endpoint, 0x82);
    EXPECT_EQ(reply->requested, 3u);
}

TEST_F(DevlinkSim, RunAndStopWriteOnlyWhenTheStateChanges) {
    start({"gen=1"});
    InitZelmorPro();
    sim->clearLog(0);
    RunZelmorPro(0);
    EXPECT_EQ(sim->commandFrames(0), (std::vector<Bytes>{frame({0x22, 0x28}), frame({0x23, 0x28, 0x00, 0x01})}));
    EXPECT_EQ(IsZelmorProRunning(0), 1);

    sim->clearLog(0);
    RunZelmorPro(0);
    EXPECT_EQ(sim->commandFrames(0), (std::vector<Bytes>{frame({0x22, 0x28})})) << "one read, no write";

    sim->clearLog(0);
    StopZelmorPro(0);
    EXPECT_EQ(sim->commandFrames(0), (std::vector<Bytes>{frame({0x22, 0x28}), frame({0x23, 0x28, 0x00, 0x00})}));
    EXPECT_EQ(sim->reg(0, 0x28), 0);

    sim->clearLog(0);
    StopZelmorPro(0);
    EXPECT_EQ(sim->commandFrames(0), (std::vector<Bytes>{frame({0x22, 0x28})}));
}

TEST_F(DevlinkSim, OperationLogIsSwitchedOnAndReadBack) {
    start({"gen=1"});
    InitZelmorPro();
    sim->clearLog(0);
    SetOperationLog(0);
    EXPECT_EQ(sim->commandFrames(0), (std::vector<Bytes>{frame({0x23, 0x60, 0x00, 0x15}), frame({0x22, 0x60})}));
}

// ---- dispatcher ----

TEST_F(DevlinkSim, CommandsWithoutAHandlerAreRefusedWithoutTraffic) {
    start({"gen=1"});
    InitZelmorPro();
    sim->clearLog(0);
    EXPECT_EQ(SendCommandToZelmorPro(command(3), 0, 0, 0, 0), 0);
    EXPECT_EQ(SendCommandToZelmorPro(command(0x77), 0, 0, 0, 0), 0);
    EXPECT_EQ(SendCommandToZelmorPro(ZELMOR_CMD_ACCEPTED_B8, 0, 0, 0, 0), 1);
    EXPECT_EQ(SendCommandToZelmorPro(ZELMOR_CMD_ACCEPTED_B9, 0, 0, 0, 0), 1);
    EXPECT_EQ(transferCount(sim->log(0)), 0u);
}

// ---- identity ----

TEST_F(DevlinkSim, IdentityComesFromTheIdentityPageAndTheFirmwareVersion) {
    start({"gen=1,serial=4242,hw=3,fw=0x021E025F"});
    InitZelmorPro();
    sim->clearLog(0);
    EXPECT_EQ(GetZelmorProSerialNumber(0), 4242u);
    EXPECT_EQ(sim->commandFrames(0), (std::vector<Bytes>{frame({0x30}), frame({0x33, 0x1F, 0xFF, 0x00})}));
    EXPECT_EQ(GetZelmorProHWVersion(0), 3);
    unsigned char hw = 0;
    GetZelmorProHWVersion(hw, 0u);
    EXPECT_EQ(hw, 3);

    unsigned char version[4] = {};
    GetZelmorProFirmwareVersion(version, 0);
    EXPECT_EQ(Bytes(version, version + 4), (Bytes{0x5F, 0x02, 0x1E, 0x02}));
    EXPECT_EQ(IsZelmorProG2(0), 0);

    uint8_t page[256] = {};
    EXPECT_EQ(SendCommandToZelmorPro(ZELMOR_CMD_FLASH_READ_PAGE, reinterpret_cast<uintptr_t>(page), 0x1FFF00, 0, 0), 1);
    EXPECT_EQ(page[1], 3);
    EXPECT_EQ(page[2] | page[3] << 8 | page[4] << 16 | page[5] << 24, 4242);
}

TEST_F(DevlinkSim, SecondGenerationIsRecognised) {
    start({"gen=2"});
    InitZelmorPro();
    EXPECT_EQ(IsZelmorProG2(0), 1);
}

TEST_F(DevlinkSim, BlankIdentityPageReadsAsAllOnes) {
    start({"gen=1,blank=1"});
    InitZelmorPro();
    EXPECT_EQ(GetZelmorProSerialNumber(0), 0xFFFFFFFFu);
    EXPECT_EQ(GetZelmorProHWVersion(0), 0xFF);
}

// ---- slots that cannot be used ----

TEST_F(DevlinkSim, SlotOutsideTheTableOrNotOpenSendsNothingAndFails) {
    start({"gen=1", "gen=1"});
    sim->control("hold 1");
    InitZelmorPro();
    ASSERT_EQ(IsZelmorProOpened(0), 1);
    sim->clearLog(0);
    sim->clearLog(1);
    for (int index : {-1, 128, 1, 1000}) {
        SCOPED_TRACE(index);
        unsigned short value = 0xBEEF;
        unsigned char version[4] = {9, 9, 9, 9};
        wchar_t name[256];
        std::wmemset(name, L'x', 256);
        uint8_t page[256] = {};
        EXPECT_EQ(IsZelmorProOpened(index), 0);
        EXPECT_EQ(ReadZelmorProRegister(0x28, value, index), 0);
        EXPECT_EQ(value, 0);
        WriteZelmorProRegister(0x28, 1, index);
        RunZelmorPro(index);
        StopZelmorPro(index);
        SetOperationLog(index);
        EXPECT_EQ(IsZelmorProRunning(index), 0);
        EXPECT_EQ(IsZelmorProG2(index), 0);
        EXPECT_EQ(SendCommandToZelmorPro(ZELMOR_CMD_ACCEPTED_B8, 0, 0, 0, index), 0);
        EXPECT_EQ(SendCommandToZelmorPro(ZELMOR_CMD_FLASH_READ_PAGE, reinterpret_cast<uintptr_t>(page), 0, 0, index), 0);
        GetZelmorProFirmwareVersion(version, index);
        EXPECT_EQ(Bytes(version, version + 4), (Bytes{0, 0, 0, 0}));
        EXPECT_EQ(GetZelmorProSerialNumber(index), 0xFFFFFFFFu);
        GetUSBZelmorProName(name, index);
        EXPECT_STREQ(name, L"");
    }
    unsigned char hw = 0;
    GetZelmorProHWVersion(hw, 0xFFFFFFFFu);
    EXPECT_EQ(hw, 0xFF) << "an unreadable identity page reads as erased";
    EXPECT_EQ(transferCount(sim->log(0)), 0u);
    EXPECT_EQ(transferCount(sim->log(1)), 0u);
}

// ---- a device that stops answering ----

TEST_F(DevlinkSim, StalledDeviceFailsWithinTheTimeOutAndComesBackAfterReEnumeration) {
    start({"gen=1"}, 300ms);
    InitZelmorPro();
    WriteZelmorProRegister(0x28, 1, 0);
    sim->control("stall 0 on");
    unsigned short value = 0xBEEF;
    EXPECT_EQ(ReadZelmorProRegister(0x28, value, 0), 0);
    EXPECT_EQ(value, 0);
    EXPECT_EQ(IsZelmorProRunning(0), 0);
    EXPECT_EQ(GetZelmorProSerialNumber(0), 0xFFFFFFFFu);

    sim->control("stall 0 off");
    EXPECT_EQ(RenumerateZelmorPro(), 1);
    EXPECT_EQ(IsZelmorProRunning(0), 1);
}

TEST_F(DevlinkSim, UnplugDuringACallEndsTheCallAndTheDeviceIsGoneUntilReplugged) {
    start({"gen=1"}, 500ms);
    InitZelmorPro();
    sim->control("stall 0 on");
    auto pending = std::async(std::launch::async, [] {
        unsigned short value = 0xBEEF;
        return ReadZelmorProRegister(0x28, value, 0);
    });
    sim->control("unplug 0");
    ASSERT_EQ(pending.wait_for(30s), std::future_status::ready) << "the call must not hang";
    EXPECT_EQ(pending.get(), 0);
    unsigned short value = 0xBEEF;
    EXPECT_EQ(ReadZelmorProRegister(0x28, value, 0), 0);
    EXPECT_EQ(RenumerateZelmorPro(), 0);

    sim->control("replug 0");
    sim->control("stall 0 off");
    EXPECT_EQ(RenumerateZelmorPro(), 1);
    WriteZelmorProRegister(0xE1, 0x0055, 0);
    EXPECT_EQ(ReadZelmorProRegister(0xE1, value, 0), 0x0055);
}

}  // namespace
