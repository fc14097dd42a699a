// Run control, the boot-source exports, the supply voltage and the RPMC download through the
// API.
#include "EmulationSupport.h"
#include "SimulatedApi.h"

#include <chrono>
#include <functional>
#include <string>

namespace {

using namespace std::chrono_literals;
using zel::test::Bytes;
using zel::test::frame;
using zel::test::outData;
using zel::test::outTransfers;
using zel::test::readRegisterFrame;
using zel::test::writeRegisterFrame;

class EmulationControl : public zel::test::SimulatedApi {};

TEST_F(EmulationControl, StartAndStopWriteTheRunRegisterOnlyWhenItMustChange)
{
    startSimulator({"gen=1"});
    CliInitialZelmorProDLL();
    sim().clearLog(0);

    CliStartEmulation(0);
    EXPECT_EQ(CliIsMemoryEmulationRunning(0), 1);
    CliStartEmulation(0);  // already running: read only
    EXPECT_EQ(outData(sim(), 0),
              (std::vector<Bytes>{readRegisterFrame(0x28), writeRegisterFrame(0x28, 1), readRegisterFrame(0x28),
                                  readRegisterFrame(0x28)}));

    sim().clearLog(0);
    CliStopEmulation(0);
    EXPECT_EQ(CliIsMemoryEmulationRunning(0), 0);
    CliStopEmulation(0);  // already stopped: read only
    EXPECT_EQ(outData(sim(), 0),
              (std::vector<Bytes>{readRegisterFrame(0x28), writeRegisterFrame(0x28, 0), readRegisterFrame(0x28),
                                  readRegisterFrame(0x28)}));
    EXPECT_EQ(sim().reg(0, 0x28), 0);
}

TEST_F(EmulationControl, RunningMeansTheRunRegisterReadsExactlyOne)
{
    startSimulator({"gen=1"});
    CliInitialZelmorProDLL();
    sim().control("set-reg 0 0x28 0x0101");
    EXPECT_EQ(CliIsMemoryEmulationRunning(0), 0);
    sim().clearLog(0);
    CliStopEmulation(0);  // not running: nothing to clear
    EXPECT_EQ(outData(sim(), 0), std::vector<Bytes>{readRegisterFrame(0x28)});

    sim().control("set-reg 0 0x28 1");
    sim().control("fail 0 1");
    EXPECT_EQ(CliIsMemoryEmulationRunning(0), 0);  // an unanswered read is not "running"
    EXPECT_EQ(CliIsMemoryEmulationRunning(0), 1);
}

TEST_F(EmulationControl, StartAndStopOfAClosedSlotSendNothing)
{
    startSimulator({"gen=1", "gen=1"});
    sim().control("hold 1");
    CliInitialZelmorProDLL();
    sim().clearLog(0);
    CliStartEmulation(1);
    CliStopEmulation(1);
    CliStartEmulation(-1);
    CliStartEmulation(200);
    EXPECT_TRUE(outTransfers(sim(), 0).empty());
    EXPECT_EQ(sim().reg(1, 0x28), 0);
    EXPECT_EQ(CliIsMemoryEmulationRunning(1), 0);
}

TEST_F(EmulationControl, BootSourceExportsSwitchNothing)
{
    startSimulator({"gen=1"});
    CliInitialZelmorProDLL();
    sim().control("set-reg 0 0x2a 6");
    sim().control("set-reg 0 0x10 0x0c");
    sim().control("set-reg 0 0x28 1");
    const std::string before = sim().control("regs 0");
    sim().clearLog(0);
    CliSystemBootFromZelmorPro(0);
    CliSystemBootFromSPIFlash(0);
    CliSystemBootFromSPIFlash(5);
    EXPECT_TRUE(outTransfers(sim(), 0).empty());
    EXPECT_EQ(sim().control("regs 0"), before);
}

// ---- supply voltage ----

struct SupplyCase {
    std::string what;
    std::function<void(int)> set;
    std::string levels;
    std::vector<Bytes> frames;
};

TEST_F(EmulationControl, SupplyVoltagesSendTheirLevelFramesToTheNamedDevice)
{
    startSimulator({"gen=1", "gen=2"}, {"--strict"});
    CliInitialZelmorProDLL();
    ASSERT_EQ(CliGetUSBDevIndex(), 0);
    const std::vector<SupplyCase> cases = {
        {"3.3 V", CliSetVccTo33V, "2=2879\n3=1800\n4=3300\n",
         {frame({0x11, 2, 0x0B, 0x3F}), frame({0x11, 3, 0x07, 0x08}), frame({0x11, 4, 0x0C, 0xE4})}},
        {"2.5 V", CliSetVccTo25V, "2=2160\n3=1533\n4=2500\n",
         {frame({0x11, 2, 0x08, 0x70}), frame({0x11, 3, 0x05, 0xFD}), frame({0x11, 4, 0x09, 0xC4})}},
        {"1.8 V", CliSetVccTo18V, "2=1679\n3=1066\n4=1800\n",
         {frame({0x11, 2, 0x06, 0x8F}), frame({0x11, 3, 0x04, 0x2A}), frame({0x11, 4, 0x07, 0x08})}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        sim().clearLog(0);
        sim().clearLog(1);
        c.set(1);
        EXPECT_EQ(sim().control("levels 1"), c.levels);
        EXPECT_EQ(outData(sim(), 1), c.frames);
        EXPECT_TRUE(outTransfers(sim(), 0).empty());
    }
    EXPECT_EQ(sim().control("levels 0"), "");
    EXPECT_EQ(sim().control("violations 1"), "");
}

// ---- RPMC ----

TEST_F(EmulationControl, RpmcDownloadReportsWhetherTheBlockWentOut)
{
    startSimulator({"gen=2"}, {"--strict"});
    CliInitialZelmorProDLL();
    Bytes block(164, 0);
    block[0] = 0x68;
    for (size_t i = 16; i < block.size(); ++i)
        block[i] = static_cast<uint8_t>(i * 7);

    EXPECT_EQ(CliWriteRPMC(block.data(), 164, 0), 1);
    const auto outs = outTransfers(sim(), 0);
    ASSERT_EQ(outs.size(), 2u);
    EXPECT_TRUE(zel::test::carried(outs[0], Bytes(block.begin(), block.begin() + 16)));
    EXPECT_TRUE(zel::test::carried(outs[1], Bytes(block.begin() + 16, block.end())));
    EXPECT_EQ(sim().control("violations 0"), "");

    sim().clearLog(0);
    EXPECT_EQ(CliWriteRPMC(block.data(), 100, 0), 0);
    EXPECT_EQ(CliWriteRPMC(block.data(), 164, -1), 0);
    sim().control("fail 0 1");
    EXPECT_EQ(CliWriteRPMC(block.data(), 164, 0), 0);
    EXPECT_EQ(outTransfers(sim(), 0).size(), 1u);
}

}  // namespace
