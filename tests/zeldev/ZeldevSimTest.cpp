// The library's exports against a running simulator of the earlier design.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <numeric>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "SimProcess.h"
#include "zeldev.h"

namespace {

using zel::test::SimLogEntry;
using zel::test::SimProcess;
using namespace std::chrono_literals;

constexpr const char* kDevice = "pid=0x1234,serial=4321,hw=7,fw=0x01020304,name=ZelmorAux";

std::string hex(std::span<const uint8_t> bytes)
{
    std::string text;
    char digits[3];
    for (auto b : bytes) {
        std::snprintf(digits, sizeof digits, "%02x", b);
        text += digits;
    }
    return text;
}

std::vector<SimLogEntry> controls(const std::vector<SimLogEntry>& log)
{
    std::vector<SimLogEntry> out;
    std::copy_if(log.begin(), log.end(), std::back_inserter(out),
                 [](const SimLogEntry& e) { return e.kind == SimLogEntry::Kind::Control; });
    return out;
}

std::vector<SimLogEntry> transfers(const std::vector<SimLogEntry>& log)
{
    std::vector<SimLogEntry> out;
    std::copy_if(log.begin(), log.end(), std::back_inserter(out),
                 [](const SimLogEntry& e) { return e.kind != SimLogEntry::Kind::Note; });
    return out;
}

std::vector<uint8_t> randomBytes(size_t length, unsigned seed)
{
    std::mt19937 generator(seed);
    std::vector<uint8_t> data(length);
    for (auto& b : data)
        b = static_cast<uint8_t>(generator());
    return data;
}

wchar_t* asArg(std::vector<uint8_t>& bytes) { return reinterpret_cast<wchar_t*>(bytes.data()); }

class ZeldevSimTest : public ::testing::Test {
protected:
    void start(std::vector<std::string> devices = {kDevice},
               std::chrono::milliseconds timeout = 2000ms)
    {
        sim = std::make_unique<SimProcess>(std::move(devices),
                                           std::vector<std::string>{"--time-scale", "0.01", "--strict"});
        sim->exportEnvironment(timeout);
    }
    void TearDown() override
    {
        CloseUSBDevice();
        ExitZeldev();
        // Strict mode: every request had the recipient, length and data the device expects.
        if (sim) {
            EXPECT_EQ(sim->control("violations 0"), "");
        }
    }

    std::filesystem::path writeFile(const std::string& name, const std::vector<uint8_t>& bytes)
    {
        const auto path = sim->dir() / name;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return path;
    }

    std::vector<uint8_t> readMemory(uint32_t address, size_t length)
    {
        std::vector<uint8_t> data(length);
        EXPECT_EQ(SendCommandToDevice(kZeldevReadMemory, asArg(data), static_cast<int>(address),
                                      static_cast<int>(length)),
                  1);
        return data;
    }

    std::array<uint8_t, 64> readFlash(uint32_t address)
    {
        std::array<uint8_t, 64> block{};
        EXPECT_EQ(SendCommandToDevice(kZeldevReadFlash, reinterpret_cast<wchar_t*>(block.data()),
                                      static_cast<int>(address), 0),
                  1);
        return block;
    }

    std::unique_ptr<SimProcess> sim;
};

// ---------------------------------------------------------------------------------------------
// Opened, not initialised, held by another, closed: what every export gives.

TEST_F(ZeldevSimTest, ExportValuesInEveryDeviceState)
{
    start();
    sim->control("set-reg 0 0x28 0x01");  // running
    sim->control("set-reg 0 0x02 0xA5");

    enum State { NotInitialised, HeldElsewhere, Closed, Open };
    struct Row {
        const char* name;
        std::function<long long()> call;
        std::optional<long long> whenOpen;  // failure states all expect 0
    };
    const uint8_t sentinel = 0xEE;
    const std::vector<Row> rows = {
        {"IsDeviceOpened", [] { return IsDeviceOpened(); }, 1},
        {"IsDeviceRunning", [] { return IsDeviceRunning(); }, 1},
        {"ReadRegister result", [&] { uint8_t v = sentinel; return ReadRegister(2, v); }, 0xA5},
        {"ReadRegister stores", [&] { uint8_t v = sentinel; ReadRegister(2, v); return v != sentinel; }, 1},
        {"firmware version stored",
         [&] { std::array<uint8_t, 4> v; v.fill(sentinel); GetDeviceFirmwareVersion(v.data());
               return v != std::array<uint8_t, 4>{sentinel, sentinel, sentinel, sentinel}; }, 1},
        {"hardware version stored", [&] { uint8_t v = sentinel; GetDeviceHWVersion(v); return v != sentinel; }, 1},
        {"SPI last command stored",
         [&] { uint32_t v = 0xEEEEEEEE; GetSPILastCommand(v); return v != 0xEEEEEEEE; }, std::nullopt},
        {"uFIFO block stored",
         [&] { std::array<uint8_t, 16> v; v.fill(sentinel); GetuFIFOControlPipe(v.data());
               return std::any_of(v.begin(), v.end(), [&](uint8_t b) { return b != sentinel; }); },
         std::nullopt},
        {"GetZelmorSN", [] { return GetZelmorSN(); }, 4321},
        {"ReadDeviceLogData", [] { std::vector<uint8_t> b(8); return ReadDeviceLogData(b.data(), 8); },
         std::nullopt},
        {"memory read", [] { std::vector<uint8_t> b(512); return SendCommandToDevice(0xAA, asArg(b), 0, 512); }, 1},
        {"flash read", [] { std::vector<uint8_t> b(64); return SendCommandToDevice(0xB2, asArg(b), 0x1FFFC0, 0); }, 1},
        {"unknown command", [] { std::vector<uint8_t> b(64); return SendCommandToDevice(0x77, asArg(b), 0, 0); }, 0},
        {"boot image refused when empty", [] { std::vector<uint8_t> b(64); return SendCommandToDevice(0xB9, asArg(b), 0, 0); }, 0},
    };

    for (State state : {NotInitialised, HeldElsewhere, Closed, Open}) {
        SCOPED_TRACE(testing::Message() << "state " << state);
        if (state == HeldElsewhere)
            sim->control("hold 0");
        if (state != NotInitialised)
            InitZeldev();
        if (state == Closed)
            CloseUSBDevice();
        sim->clearLog(0);

        for (const auto& row : rows) {
            const auto value = row.call();
            if (state != Open) {
                EXPECT_EQ(value, 0) << row.name;
            } else if (row.whenOpen) {
                EXPECT_EQ(value, *row.whenOpen) << row.name;
            }
        }
        // The name is there whenever the library is: empty when no device could be opened.
        wchar_t name[32] = L"x";
        EXPECT_EQ(GetUSBDeviceName(name) == nullptr, state == NotInitialised);
        if (state == HeldElsewhere) {
            EXPECT_EQ(std::wstring(name), L"");
        }
        if (state != Open) {
            EXPECT_TRUE(transfers(sim->log(0)).empty()) << "a device that is not open got traffic";
            EXPECT_EQ(WriteZelmorSerailNumber(5), 0u);
            EXPECT_TRUE(transfers(sim->log(0)).empty());
        }

        CloseUSBDevice();
        ExitZeldev();
        if (state == HeldElsewhere)
            sim->control("release 0");
    }
}

TEST_F(ZeldevSimTest, RenumerateWithoutDeviceOfThisDesignReturnsZero)
{
    start({"gen=1"});
    InitZeldev();
    EXPECT_EQ(IsDeviceOpened(), 0);
    EXPECT_EQ(RenumerateDevice(), 0);
    wchar_t name[32] = L"stale";
    ASSERT_EQ(GetUSBDeviceName(name), name);
    EXPECT_EQ(std::wstring(name), L"");
}

TEST_F(ZeldevSimTest, RenumerateFollowsTheDeviceAndReopensOneStillOpen)
{
    start();
    EXPECT_EQ(RenumerateDevice(), 0);  // not initialised
    InitZeldev();
    ASSERT_EQ(IsDeviceOpened(), 1);
    sim->clearLog(0);
    InitZeldev();  // a second call neither enumerates nor touches the device
    EXPECT_TRUE(transfers(sim->log(0)).empty());
    EXPECT_EQ(RenumerateDevice(), 1);  // the earlier handle is released first
    EXPECT_EQ(IsDeviceOpened(), 1);
    sim->control("unplug 0");
    EXPECT_EQ(RenumerateDevice(), 0);
    EXPECT_EQ(IsDeviceOpened(), 0);
    sim->control("replug 0");
    EXPECT_EQ(RenumerateDevice(), 1);
    EXPECT_EQ(GetZelmorSN(), 4321u);
}

// ---------------------------------------------------------------------------------------------
// Requests on the wire.

TEST_F(ZeldevSimTest, RequestsCarryTheirExactSetupPackets)
{
    start();
    sim->control("set-reg 0 0x60 0x15");
    InitZeldev();
    ASSERT_EQ(IsDeviceOpened(), 1);

    struct Row {
        const char* name;
        std::function<void()> call;
        std::vector<std::string> setups;  // in wire order
    };
    uint8_t byte = 0;
    uint32_t word = 0;
    std::array<uint8_t, 16> block{};
    const std::vector<Row> rows = {
        {"ReadRegister", [&] { ReadRegister(0x60, byte); }, {"c0c0000060000100"}},
        {"WriteRegister", [] { WriteRegister(0x160, 0x5A); }, {"40c05a0060010000"}},
        {"firmware version", [&] { GetDeviceFirmwareVersion(block.data()); }, {"c2be000000000400"}},
        {"SPI last command", [&] { GetSPILastCommand(word); }, {"c2c6000000000300"}},
        {"uFIFO block", [&] { GetuFIFOControlPipe(block.data()); }, {"c2c5000000001000"}},
        {"hardware version", [&] { GetDeviceHWVersion(byte); }, {"c2b21f00f1ff4000"}},
        {"serial number", [] { GetZelmorSN(); }, {"c2b0000000000400", "c2b21f00c0ff4000"}},
        {"log counter set", [] { TrigerDeviceLogCounter(7); }, {"42bbffffffff0000"}},
        {"log counter clear", [] { TrigerDeviceLogCounter(0); }, {"42bb000000000000"}},
        {"flash read", [] { std::vector<uint8_t> b(64); SendCommandToDevice(0xB2, asArg(b), 0x123456, 0); },
         {"c2b2120056344000"}},
        {"boot memory read", [] { std::vector<uint8_t> b(64); SendCommandToDevice(0xB8, asArg(b), 0x00200010, 0); },
         {"c2b8100000002000"}},
        {"memory read", [] { std::vector<uint8_t> b(600); SendCommandToDevice(0xAA, asArg(b), 0x00345678, 600); },
         {"42c3000000000000", "42c1340078560400", "42c3000000000000"}},
    };
    for (const auto& row : rows) {
        sim->clearLog(0);
        row.call();
        std::vector<std::string> seen;
        for (const auto& entry : controls(sim->log(0)))
            seen.push_back(hex(entry.setup));
        EXPECT_EQ(seen, row.setups) << row.name;
    }
    EXPECT_EQ(byte, 7);  // the hardware version, read last into it
}

TEST_F(ZeldevSimTest, RunAndStopWriteTheRunRegisterOnlyOnAChange)
{
    start();
    InitZeldev();
    EXPECT_EQ(IsDeviceRunning(), 0);
    RunDevice();
    EXPECT_EQ(sim->reg(0, 0x28), 1);
    EXPECT_EQ(IsDeviceRunning(), 1);

    sim->clearLog(0);
    RunDevice();
    for (const auto& entry : controls(sim->log(0)))
        EXPECT_NE(entry.setup[0], 0x40) << "a write although already running";

    StopDevice();
    EXPECT_EQ(sim->reg(0, 0x28), 0);
    EXPECT_EQ(IsDeviceRunning(), 0);
}

// ---------------------------------------------------------------------------------------------
// Identity.

TEST_F(ZeldevSimTest, IdentityComesFromTheDevice)
{
    start();
    InitZeldev();
    EXPECT_EQ(GetZelmorSN(), 4321u);
    uint8_t hw = 0;
    GetDeviceHWVersion(hw);
    EXPECT_EQ(hw, 7);
    std::array<uint8_t, 4> version{};
    GetDeviceFirmwareVersion(version.data());
    EXPECT_EQ(version, (std::array<uint8_t, 4>{0x04, 0x03, 0x02, 0x01}));
    wchar_t name[32];
    ASSERT_EQ(GetUSBDeviceName(name), name);
    EXPECT_EQ(std::wstring(name), L"ZelmorAux");
    sim->control("set-reg 0 0x07 0x42");
    uint8_t value = 0;
    EXPECT_EQ(ReadRegister(7, value), 66);
    EXPECT_EQ(value, 66);
    WriteRegister(9, 0x3C);
    EXPECT_EQ(sim->reg(0, 9), 0x3C);
}

TEST_F(ZeldevSimTest, SerialNumberIsWrittenWhereItIsRead)
{
    start({"pid=0x1234,blank=1"});
    InitZeldev();
    sim->clearLog(0);
    EXPECT_EQ(WriteZelmorSerailNumber(987654), 987654u);
    EXPECT_EQ(GetZelmorSN(), 987654u);

    const auto requests = controls(sim->log(0));
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(hex(requests[0].setup), "42b31f00c0ff4000");
    std::vector<uint8_t> expected(64, 0xFF);
    expected[50] = 0x06;  // 987654 = 0x000F1206
    expected[51] = 0x12;
    expected[52] = 0x0F;
    expected[53] = 0x00;
    EXPECT_EQ(requests[0].data, expected);
}

// ---------------------------------------------------------------------------------------------
// Emulation memory.

TEST_F(ZeldevSimTest, MemoryWriteReadsBackWithItsRotatedCopy)
{
    start();
    InitZeldev();

    auto data = randomBytes(4096 + 100, 1);
    ASSERT_EQ(SendCommandToDevice(kZeldevWriteMemory, asArg(data), 0x10000, static_cast<int>(data.size())), 1);
    EXPECT_EQ(readMemory(0x10000, data.size()), data);
    auto rotated = data;
    std::rotate(rotated.begin(), rotated.begin() + 128, rotated.end());
    EXPECT_EQ(readMemory(0x01000000, data.size()), rotated);

    auto atZero = randomBytes(700, 2);
    ASSERT_EQ(SendCommandToDevice(kZeldevWriteMemoryAt0, asArg(atZero), static_cast<int>(atZero.size()), 0), 1);
    std::vector<uint8_t> back(700);
    ASSERT_EQ(SendCommandToDevice(kZeldevReadMemoryAt0, asArg(back), 700, 0), 1);
    EXPECT_EQ(back, atZero);
}

TEST_F(ZeldevSimTest, ShortMemoryWriteRotatesWithinItsOwnBytes)
{
    start();
    InitZeldev();
    auto data = randomBytes(100, 3);
    ASSERT_EQ(SendCommandToDevice(kZeldevWriteMemory, asArg(data), 0x200, 100), 1);
    EXPECT_EQ(readMemory(0x200, 100), data);
    auto rotated = data;
    std::rotate(rotated.begin(), rotated.begin() + 28, rotated.end());
    auto copy = readMemory(0x01000000, 512);
    EXPECT_TRUE(std::equal(rotated.begin(), rotated.end(), copy.begin()));
    EXPECT_TRUE(std::all_of(copy.begin() + 100, copy.end(), [](uint8_t b) { return b == 0xFF; }));
}

TEST_F(ZeldevSimTest, OverLongMemoryTransfersAreRefusedWithoutTraffic)
{
    start();
    InitZeldev();
    sim->clearLog(0);
    std::vector<uint8_t> small(64);
    constexpr int kTooLong = (16 << 20) + 1;
    EXPECT_EQ(SendCommandToDevice(kZeldevWriteMemory, asArg(small), 0, kTooLong), 0);
    EXPECT_EQ(SendCommandToDevice(kZeldevReadMemory, asArg(small), 0, kTooLong), 0);
    EXPECT_EQ(SendCommandToDevice(kZeldevWriteMemoryAt0, asArg(small), -1, 0), 0);
    EXPECT_EQ(SendCommandToDevice(kZeldevReadMemoryAt0, asArg(small), kTooLong, 0), 0);
    EXPECT_EQ(SendCommandToDevice(kZeldevWriteFlashImage, asArg(small), (2 << 20) + 1, 0), 0);
    EXPECT_EQ(SendCommandToDevice(kZeldevWriteBootImage, asArg(small), (16 << 10) + 1, 0), 0);
    EXPECT_EQ(SendCommandToDevice(kZeldevReadMemory, nullptr, 0, 64), 0);
    EXPECT_TRUE(transfers(sim->log(0)).empty());
}

TEST_F(ZeldevSimTest, FailedMemoryReadReportsFailureAndLeavesTheBuffer)
{
    start();
    InitZeldev();
    std::vector<uint8_t> buffer(1000, 0x5C);
    for (int failing = 1; failing <= 3; ++failing) {  // the reset, the start, the bulk read
        SCOPED_TRACE(failing);
        sim->control("fail 0 " + std::to_string(failing));
        EXPECT_EQ(SendCommandToDevice(kZeldevReadMemory, asArg(buffer), 0, 1000), 0);
        EXPECT_EQ(buffer, std::vector<uint8_t>(1000, 0x5C));
        sim->control("fail 0 0");
    }
}

// ---------------------------------------------------------------------------------------------
// Serial flash and boot memory.

TEST_F(ZeldevSimTest, SerialFlashImageIsProgrammedAndVerified)
{
    start();
    InitZeldev();
    auto image = randomBytes(1000, 4);
    ASSERT_EQ(SendCommandToDevice(kZeldevWriteFlashImage, asArg(image), 1000, 0), 1);
    const auto first = readFlash(0);
    EXPECT_TRUE(std::equal(first.begin(), first.end(), image.begin()));
    const auto last = readFlash(960);
    EXPECT_TRUE(std::equal(last.begin(), last.begin() + 40, image.begin() + 960));
    EXPECT_TRUE(std::all_of(last.begin() + 40, last.end(), [](uint8_t b) { return b == 0xFF; }));

    ASSERT_EQ(SendCommandToDevice(kZeldevEraseFlash, nullptr, 0, 0), 1);
    const auto erased = readFlash(0);
    EXPECT_TRUE(std::all_of(erased.begin(), erased.end(), [](uint8_t b) { return b == 0xFF; }));
}

TEST_F(ZeldevSimTest, BootImageHoldsBackItsFirstBytesUntilTheRestIsIn)
{
    start();
    InitZeldev();
    sim->clearLog(0);
    auto image = randomBytes(300, 5);
    ASSERT_EQ(SendCommandToDevice(kZeldevWriteBootImage, asArg(image), 300, 0), 1);

    std::vector<SimLogEntry> programs;
    for (const auto& entry : controls(sim->log(0)))
        if (entry.setup[1] == 0xB9)
            programs.push_back(entry);
    ASSERT_EQ(programs.size(), 6u);  // five blocks, then block 0 again
    EXPECT_EQ(hex(programs.front().setup), "42b9000000004000");
    EXPECT_EQ(hex(std::span(programs.front().data).first(4)), "ffffffff");
    EXPECT_TRUE(std::equal(image.begin() + 4, image.begin() + 64, programs.front().data.begin() + 4));
    EXPECT_EQ(hex(programs.back().setup), "42b9000000004000");
    EXPECT_TRUE(std::equal(image.begin(), image.begin() + 64, programs.back().data.begin()));

    std::vector<uint8_t> back(300);
    ASSERT_EQ(SendCommandToDevice(kZeldevReadBootMemory, asArg(back), 300 << 16, 0), 1);
    EXPECT_EQ(back, image);
}

// ---------------------------------------------------------------------------------------------
// Firmware and chip configuration files.

void putWord(std::vector<uint8_t>& bytes, uint32_t word)
{
    for (int i = 0; i < 4; ++i)
        bytes.push_back(static_cast<uint8_t>(word >> (8 * i)));
}

std::vector<uint8_t> firmwareFile(const std::vector<std::pair<uint32_t, std::vector<uint8_t>>>& records)
{
    std::vector<uint8_t> file{'V', 'r', 'n', 'k'};
    putWord(file, 0);
    putWord(file, 0);
    putWord(file, 16);
    for (const auto& [type, data] : records) {
        putWord(file, type);
        putWord(file, static_cast<uint32_t>(data.size()));
        file.insert(file.end(), data.begin(), data.end());
    }
    return file;
}

TEST_F(ZeldevSimTest, FirmwareFileWritesBootAndFlashImages)
{
    start();
    InitZeldev();
    const auto boot = randomBytes(100, 6);
    const auto flash = randomBytes(200, 7);
    const auto path = writeFile("good.fw", firmwareFile({{1, boot}, {9, {1, 2, 3}}, {2, flash}}));
    ASSERT_EQ(SendCommandToDevice(kZeldevFirmwareUpdate, path.wstring().data(), 0, 0), 1);

    std::vector<uint8_t> bootBack(100);
    ASSERT_EQ(SendCommandToDevice(kZeldevReadBootMemory, asArg(bootBack), 100 << 16, 0), 1);
    EXPECT_EQ(bootBack, boot);
    const auto flashBack = readFlash(128);
    EXPECT_TRUE(std::equal(flashBack.begin(), flashBack.end(), flash.begin() + 128));
}

TEST_F(ZeldevSimTest, BadFirmwareFilesAreRefusedBeforeAnythingIsSent)
{
    start();
    InitZeldev();
    auto cutOff = firmwareFile({{1, randomBytes(100, 8)}, {2, randomBytes(64, 9)}});
    cutOff.resize(cutOff.size() - 1);
    auto huge = firmwareFile({{1, randomBytes(100, 8)}});
    putWord(huge, 2);
    putWord(huge, 0xFFFFFFF0);
    auto noMagic = firmwareFile({{2, randomBytes(64, 10)}});
    noMagic[0] = 'W';
    auto oversized = firmwareFile({{1, randomBytes((16 << 10) + 1, 11)}});

    sim->clearLog(0);
    for (const auto& [name, bytes] : std::vector<std::pair<std::string, std::vector<uint8_t>>>{
             {"cut.fw", cutOff}, {"huge.fw", huge}, {"nomagic.fw", noMagic}, {"big.fw", oversized}}) {
        const auto path = writeFile(name, bytes);
        EXPECT_EQ(SendCommandToDevice(kZeldevFirmwareUpdate, path.wstring().data(), 0, 0), 0) << name;
    }
    std::wstring missing = (sim->dir() / "missing.fw").wstring();
    EXPECT_EQ(SendCommandToDevice(kZeldevFirmwareUpdate, missing.data(), 0, 0), 0);
    EXPECT_EQ(SendCommandToDevice(kZeldevFirmwareUpdate, nullptr, 0, 0), 0);
    EXPECT_TRUE(transfers(sim->log(0)).empty());
}

TEST_F(ZeldevSimTest, ChipConfigFileWritesItsRegisterRecords)
{
    start();
    InitZeldev();
    std::vector<uint8_t> file{'V', 'c', 'f', 'g'};
    putWord(file, 0);
    putWord(file, 16);
    putWord(file, 0xDEADBEEF);  // header space before the records
    file.insert(file.end(), {0x11, 0x30, 0x22, 0x31, 0x33, 0x32, 0x99});  // last byte cut off
    const auto path = writeFile("chip.cfg", file);

    sim->clearLog(0);
    ASSERT_EQ(SendCommandToDevice(kZeldevChipConfig, path.wstring().data(), 0, 0), 1);
    std::vector<std::string> setups;
    for (const auto& entry : controls(sim->log(0)))
        setups.push_back(hex(entry.setup));
    EXPECT_EQ(setups, (std::vector<std::string>{"40c0110030000000", "40c0220031000000",
                                                "40c0330032000000"}));
    EXPECT_EQ(sim->reg(0, 0x32), 0x33);

    auto outside = file;
    outside[8] = 0x40;  // record offset beyond the end
    const auto bad = writeFile("bad.cfg", outside);
    sim->clearLog(0);
    EXPECT_EQ(SendCommandToDevice(kZeldevChipConfig, bad.wstring().data(), 0, 0), 0);
    EXPECT_TRUE(transfers(sim->log(0)).empty());
}

// ---------------------------------------------------------------------------------------------
// A device that stops answering.

TEST_F(ZeldevSimTest, StalledDeviceMakesCallsFailInsteadOfHanging)
{
    start({kDevice}, 200ms);
    InitZeldev();
    ASSERT_EQ(IsDeviceOpened(), 1);
    sim->control("stall 0 on");

    uint8_t value = 0x77;
    EXPECT_EQ(ReadRegister(2, value), 0);
    EXPECT_EQ(value, 0x77);
    EXPECT_EQ(GetZelmorSN(), 0u);
    EXPECT_EQ(WriteZelmorSerailNumber(42), 0u);
    EXPECT_EQ(IsDeviceRunning(), 0);
    EXPECT_EQ(SendCommandToDevice(kZeldevEraseFlash, nullptr, 0, 0), 0);
    std::vector<uint8_t> buffer(512, 0x5C);
    EXPECT_EQ(SendCommandToDevice(kZeldevReadMemory, asArg(buffer), 0, 512), 0);
    EXPECT_EQ(buffer, std::vector<uint8_t>(512, 0x5C));
    EXPECT_EQ(ReadDeviceLogData(buffer.data(), 512), 0);
    auto image = randomBytes(64, 12);
    EXPECT_EQ(SendCommandToDevice(kZeldevWriteBootImage, asArg(image), 64, 0), 0);
}

}  // namespace
