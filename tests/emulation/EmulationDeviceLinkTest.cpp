// The device link's target SPI state readers, supply voltage and RPMC download, checked on the
// wire through the simulator's transfer log.
#include "EmulationSupport.h"
#include "ZelmorProDll.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <numeric>

namespace {

using namespace std::chrono_literals;
using zel::test::Bytes;
using zel::test::SimProcess;
using zel::test::frame;
using zel::test::outData;
using zel::test::outTransfers;
using zel::test::readRegisterFrame;

class EmulationDeviceLink : public ::testing::Test {
protected:
    void start(std::vector<std::string> devices, std::vector<std::string> options = {})
    {
        sim = std::make_unique<SimProcess>(std::move(devices), std::move(options));
        sim->exportEnvironment(2000ms);
    }
    void TearDown() override
    {
        CloseUSBZelmorPro();
        ExitZelmorPro();
    }

    std::unique_ptr<SimProcess> sim;
};

// ---- last SPI command and pin status ----

TEST_F(EmulationDeviceLink, SpiStateComposesRegisters2CAnd90OfTheCurrentDevice)
{
    start({"gen=1", "gen=1"});
    sim->control("hold 0");  // only slot 1 opens, so it becomes the current device
    InitZelmorPro();
    ASSERT_EQ(DoGetUSBDexIndex(), 1);
    zel::test::setSpiStatus(*sim, 1, 0xC123);
    sim->control("set-reg 1 0x90 0xa5b6");
    sim->control("clear-log 1");

    uint32_t pins = 0xDEADBEEF;
    GetZelmorProSPIPinStatus(pins);
    EXPECT_EQ(pins, 0x0003C1B6u);  // B low byte, A high byte (bus idle bits), A bits 0-3 at 16

    uint32_t last = 0xDEADBEEF;
    GetZelmorProSPILastCommand(last);
    EXPECT_EQ(last, 0x0023C1B6u);

    const std::vector<Bytes> expected = {readRegisterFrame(0x2C), readRegisterFrame(0x90),
                                         readRegisterFrame(0x2C), readRegisterFrame(0x90)};
    EXPECT_EQ(outData(*sim, 1), expected);
}

TEST_F(EmulationDeviceLink, SpiStateIsNotMadeUpWhenTheDeviceDoesNotAnswer)
{
    start({"gen=1"});
    InitZelmorPro();
    zel::test::setSpiStatus(*sim, 0, 0xFFFF);
    sim->control("set-reg 0 0x90 0xffff");
    sim->control("clear-log 0");

    sim->control("fail 0 1");
    uint32_t pins = 0x12345678;
    GetZelmorProSPIPinStatus(pins);
    EXPECT_EQ(pins, 0x12345678u);
    EXPECT_EQ(outTransfers(*sim, 0).size(), 1u);  // the failed read is not followed by the second

    sim->control("fail 0 1");
    uint32_t last = 0x12345678;
    GetZelmorProSPILastCommand(last);
    EXPECT_EQ(last, 0x12345678u);

    ExitZelmorPro();
    sim->control("clear-log 0");
    GetZelmorProSPIPinStatus(pins);
    GetZelmorProSPILastCommand(last);
    EXPECT_EQ(pins, 0x12345678u);
    EXPECT_EQ(last, 0x12345678u);
    EXPECT_TRUE(outTransfers(*sim, 0).empty());
}

// ---- supply voltage ----

TEST_F(EmulationDeviceLink, SupplyGoesToTheNamedSlotOnly)
{
    start({"gen=1", "gen=1", "gen=1"});
    sim->control("hold 2");
    InitZelmorPro();
    ASSERT_EQ(DoGetUSBDexIndex(), 0);

    SetZelmorProVccTo18V(1);
    EXPECT_EQ(sim->control("levels 1"), "2=1679\n3=1066\n4=1800\n");
    EXPECT_EQ(sim->control("levels 0"), "");

    for (int device : {0, 1})
        sim->clearLog(device);
    SetZelmorProVccTo18V(3);  // no device there
    SetZelmorProVccTo33V(-1);
    SetZelmorProVccTo25V(128);
    SetZelmorProVccTo33V(2);  // held by the simulator: not open here
    ExitZelmorPro();          // slots stay open, the library is gone
    SetZelmorProVccTo33V(0);
    for (int device : {0, 1})
        EXPECT_TRUE(outTransfers(*sim, device).empty());
    EXPECT_EQ(sim->control("levels 0"), "");
    EXPECT_EQ(sim->control("levels 2"), "");
}

// ---- RPMC ----

Bytes rpmcBlock(size_t size)
{
    Bytes block(size, 0);
    block[0] = 0x68;
    std::iota(block.begin() + 16, block.end(), uint8_t{0x30});
    return block;
}

std::string hex(const Bytes& bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (uint8_t b : bytes) {
        text += digits[b >> 4];
        text += digits[b & 15];
    }
    return text;
}

TEST_F(EmulationDeviceLink, RpmcSendsTheFrameAndExactly148Bytes)
{
    start({"gen=2"}, {"--strict"});
    InitZelmorPro();
    Bytes block = rpmcBlock(200);  // a longer block: only its first 164 bytes go out
    EXPECT_EQ(WriteZelmorProRPMC(block.data(), static_cast<int>(block.size()), 0), 1);

    const auto outs = outTransfers(*sim, 0);
    ASSERT_EQ(outs.size(), 2u);
    EXPECT_TRUE(zel::test::carried(outs[0], frame({0x68})));
    const Bytes payload(block.begin() + 16, block.begin() + 164);
    EXPECT_TRUE(zel::test::carried(outs[1], payload));
    EXPECT_EQ(sim->control("table 0 rpmc"), hex(payload) + "\n");
    EXPECT_EQ(sim->control("violations 0"), "");
}

TEST_F(EmulationDeviceLink, RpmcRefusesAShortBlockAClosedSlotAndAFailedFrame)
{
    start({"gen=2", "gen=2"});
    sim->control("hold 1");
    InitZelmorPro();
    Bytes block = rpmcBlock(164);

    EXPECT_EQ(WriteZelmorProRPMC(block.data(), 163, 0), 0);
    EXPECT_EQ(WriteZelmorProRPMC(block.data(), -1, 0), 0);
    EXPECT_EQ(WriteZelmorProRPMC(nullptr, 164, 0), 0);
    EXPECT_TRUE(outTransfers(*sim, 0).empty());

    EXPECT_EQ(WriteZelmorProRPMC(block.data(), 164, 1), 0);    // held by the simulator
    EXPECT_EQ(WriteZelmorProRPMC(block.data(), 164, 5), 0);    // no device
    EXPECT_EQ(WriteZelmorProRPMC(block.data(), 164, 0x80000000u), 0);

    sim->control("fail 0 1");
    EXPECT_EQ(WriteZelmorProRPMC(block.data(), 164, 0), 0);
    const auto outs = outTransfers(*sim, 0);
    ASSERT_EQ(outs.size(), 1u);  // the payload never follows a failed frame
    EXPECT_EQ(outs[0].status, "stall");
    EXPECT_EQ(sim->control("table 0 rpmc"), "");

    ExitZelmorPro();
    EXPECT_EQ(WriteZelmorProRPMC(block.data(), 164, 0), 0);
    EXPECT_EQ(outTransfers(*sim, 0).size(), 1u);
}

}  // namespace
