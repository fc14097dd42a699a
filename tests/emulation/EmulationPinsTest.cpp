// Pin settings through the API: what each export leaves in the device's registers and the exact
// frames it sends, the read-modify-write that refuses to write after a failed read, and the SPI
// bus check.
#include "EmulationSupport.h"
#include "SimulatedApi.h"
#include "ZelmorProDll.h"

#include <functional>
#include <string>

namespace {

using zel::test::Bytes;
using zel::test::outData;
using zel::test::outTransfers;
using zel::test::readRegisterFrame;
using zel::test::writeRegisterFrame;

class EmulationPins : public zel::test::SimulatedApi {
protected:
    void setRegister(int device, uint8_t reg, uint16_t value)
    {
        sim().control("set-reg " + std::to_string(device) + " " + std::to_string(reg) + " " + std::to_string(value));
    }
};

struct PinCase {
    std::string what;
    uint8_t reg;
    uint16_t before;
    std::function<void()> apply;
    uint16_t written;
    bool readsFirst;  // a read-modify-write
};

TEST_F(EmulationPins, EachSettingWritesItsRegisterValue)
{
    startSimulator({"gen=1"}, {"--strict"});
    CliInitialZelmorProDLL();
    const std::vector<PinCase> cases = {
        {"hold 3 on 0x0006", 0x2A, 0x0006, [] { CliSetHoldPin(3, 0); }, 0x0007, true},
        {"hold low on 0x0007", 0x2A, 0x0007, [] { CliSetHoldPinLow(true, 0); }, 0x0004, true},
        {"hold floating on 0x0004", 0x2A, 0x0004, [] { CliSetHoldPinLow(false, 0); }, 0x0006, true},
        {"hold 2 keeps the high bits", 0x2A, 0xFFF1, [] { CliSetHoldPin(2, 0); }, 0xFFF2, true},
        {"hold mode touches bits 0-1 only", 0x2A, 0x0000, [] { CliSetHoldPin(0xFF, 0); }, 0x0003, true},
        {"MISO 0 on 0x0007", 0x2A, 0x0007, [] { CliSetMISODriven(0); }, 0x0003, true},
        {"MISO 4 on 0x8003", 0x2A, 0x8003, [] { CliSetMISODriven(4); }, 0x8007, true},
        {"MISO touches bit 2 only", 0x2A, 0x0000, [] { CliSetMISODriven(0xFF); }, 0x0004, true},
        {"CS true", 0xE0, 0x0001, [] { CliSetCS(true, 0); }, 0x0000, false},
        {"CS false", 0xE0, 0x0000, [] { CliSetCS(false, 0); }, 0x0001, false},
        {"reset pin on", 0x10, 0x0000, [] { CliSetRSTPin(true, 0); }, 0x000C, false},
        {"reset pin off", 0x10, 0x000C, [] { CliSetRSTPin(false, 0); }, 0x0000, false},
        {"reset level", 0x12, 0x0000, [] { CliSetResetPin(0xA5); }, 0x00A5, false},
        {"CS timing", 0xE1, 0x0000, [] { CliSetCSwith40ns(0xBEEF, 0); }, 0xBEEF, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        setRegister(0, c.reg, c.before);
        sim().clearLog(0);
        c.apply();
        std::vector<Bytes> expected;
        if (c.readsFirst)
            expected.push_back(readRegisterFrame(c.reg));
        expected.push_back(writeRegisterFrame(c.reg, c.written));
        EXPECT_EQ(outData(sim(), 0), expected);
        // Register 0x10 holds the reset pin's state rather than the value written.
        if (c.reg != 0x10) {
            EXPECT_EQ(sim().reg(0, c.reg), c.written);
        }
    }
    EXPECT_EQ(sim().control("violations 0"), "");
}

TEST_F(EmulationPins, ReadModifyWriteWritesNothingWhenItsReadFails)
{
    startSimulator({"gen=1"});
    CliInitialZelmorProDLL();
    setRegister(0, 0x2A, 0x0006);
    const std::vector<std::function<void()>> settings = {
        [] { CliSetHoldPin(3, 0); },
        [] { CliSetHoldPinLow(true, 0); },
        [] { CliSetMISODriven(0); },
    };
    for (const auto& apply : settings) {
        sim().clearLog(0);
        sim().control("fail 0 1");
        apply();
        const auto outs = outTransfers(sim(), 0);
        ASSERT_EQ(outs.size(), 1u);
        EXPECT_EQ(outs[0].status, "stall");
        EXPECT_EQ(sim().reg(0, 0x2A), 0x0006);
    }
}

TEST_F(EmulationPins, CurrentDeviceSettingsGoToTheCurrentDevice)
{
    startSimulator({"gen=1", "gen=1"});
    sim().control("hold 0");  // only device 1 opens: it is the current device
    CliInitialZelmorProDLL();
    ASSERT_EQ(CliGetUSBDevIndex(), 1);
    setRegister(1, 0x2A, 0x0003);
    CliSetMISODriven(4);
    CliSetResetPin(0x5A);
    EXPECT_EQ(sim().reg(1, 0x2A), 0x0007);
    EXPECT_EQ(sim().reg(1, 0x12), 0x005A);
    EXPECT_EQ(sim().reg(0, 0x2A), 0x0000);
    EXPECT_EQ(sim().reg(0, 0x12), 0x0000);
}

TEST_F(EmulationPins, ResetPinCheckReadsRegister10EvenBeforeTheApiExists)
{
    startSimulator({"gen=1"});
    InitZelmorPro();  // the device link alone
    // Asserting the pin makes register 0x10 read 1 where the simulator models the pin; a
    // simulator without that model takes the value itself.
    setRegister(0, 0x10, 0x0C);
    if (sim().reg(0, 0x10) != 1)
        setRegister(0, 0x10, 1);
    ASSERT_EQ(sim().reg(0, 0x10), 1);
    EXPECT_TRUE(CliCheckResetPin(0));
    EXPECT_FALSE(CliCheckResetPin(7));

    sim().control("fail 0 1");
    EXPECT_FALSE(CliCheckResetPin(0));  // an unanswered read is no asserted pin

    setRegister(0, 0x10, 0);
    EXPECT_FALSE(CliCheckResetPin(0));
}

TEST_F(EmulationPins, WithoutTheApiNothingButTheResetCheckTouchesTheDevice)
{
    startSimulator({"gen=1"});
    InitZelmorPro();  // the device is open, the API object does not exist
    sim().clearLog(0);
    uint8_t block[164] = {0x68};
    int idle = 7;
    CliStartEmulation(0);
    CliStopEmulation(0);
    CliSystemBootFromZelmorPro(0);
    CliSystemBootFromSPIFlash(0);
    CliSetHoldPin(3, 0);
    CliSetHoldPinLow(true, 0);
    CliSetMISODriven(4);
    CliSetRSTPin(true, 0);
    CliSetResetPin(1);
    CliSetCS(true, 0);
    CliSetCSwith40ns(5, 0);
    EXPECT_FALSE(CliCheckSPIbus(&idle));
    EXPECT_EQ(idle, 7);
    EXPECT_EQ(CliWriteRPMC(block, 164, 0), 0);
    CliSetVccTo33V(0);
    CliSetVccTo25V(0);
    CliSetVccTo18V(0);
    EXPECT_TRUE(outTransfers(sim(), 0).empty());

    CliCheckResetPin(0);
    EXPECT_EQ(outData(sim(), 0), std::vector<Bytes>{readRegisterFrame(0x10)});
}

// ---- SPI bus check ----

TEST_F(EmulationPins, SpiBusIsIdleOnlyWithBothIdleBitsOfARealRead)
{
    startSimulator({"gen=1"});
    CliInitialZelmorProDLL();

    zel::test::setSpiStatus(sim(), 0, 0x8000);
    int idle = 7;
    EXPECT_FALSE(CliCheckSPIbus(&idle));
    EXPECT_EQ(idle, 0);

    zel::test::setSpiStatus(sim(), 0, 0xC123);
    EXPECT_TRUE(CliCheckSPIbus(&idle));
    EXPECT_EQ(idle, 1);
    EXPECT_TRUE(CliCheckSPIbus(nullptr));

    // A read that fails must not pass for an idle bus, whatever the register holds.
    sim().control("fail 0 1");
    EXPECT_FALSE(CliCheckSPIbus(&idle));
    EXPECT_EQ(idle, 0);
    EXPECT_TRUE(CliCheckSPIbus(&idle));  // the next read is real again
}

TEST_F(EmulationPins, SpiBusOfAMissingCurrentDeviceIsNotIdle)
{
    startSimulator({"gen=1"});
    sim().control("hold 0");
    CliInitialZelmorProDLL();
    int idle = 7;
    EXPECT_FALSE(CliCheckSPIbus(&idle));
    EXPECT_EQ(idle, 0);
}

}  // namespace
