// Emulation control and pin settings: run and stop, the emulator's target-side pins, the
// supply voltage and the RPMC settings. Almost every export is a register write or a
// read-modify-write on the device link.
#include "zelapi.h"

#include "ApiInstance.h"
#include "ZelmorProDll.h"
#include "device/DeviceFacts.h"

#include <optional>

using zel::api::project;

namespace {

namespace pinreg {
using namespace zel::device::reg;
using zel::device::kHoldModeBits;
using zel::device::kMisoDrivenBit;
constexpr uint16_t kResetOn = 0x0C;
constexpr uint16_t kResetAsserted = 1;
}  // namespace pinreg

constexpr uint8_t kHoldDefaultLow = 0;
constexpr uint8_t kHoldFloating = 2;
constexpr unsigned kStopSettleMs = 10;
constexpr uint32_t kSpiBusIdle = zel::device::kSpiBusIdleBits;

bool initialised() { return project() != nullptr; }

std::optional<uint16_t> readRegister(uint8_t reg, int index)
{
    unsigned short value = 0;
    if (TryReadZelmorProRegister(reg, &value, index) == 0)
        return std::nullopt;
    return value;
}

// Replaces the bits of `mask` with those of `bits` and keeps the others. A read that failed
// writes nothing: a zeroed reply written back would clear every other pin setting.
void replaceRegisterBits(uint8_t reg, uint16_t mask, uint16_t bits, int index)
{
    auto value = readRegister(reg, index);
    if (!value)
        return;
    WriteZelmorProRegister(reg, static_cast<uint16_t>((*value & ~mask) | (bits & mask)), index);
}

}  // namespace

extern "C" {

void CliStartEmulation(int index)
{
    if (initialised())
        RunZelmorPro(index);
}

void CliStopEmulation(int index)
{
    CliTryStopEmulation(index);
}

int CliTryStartEmulation(int index)
{
    return initialised() ? TryRunZelmorPro(index) : 0;
}

int CliTryStopEmulation(int index)
{
    if (!initialised())
        return 0;
    const int stopped = TryStopZelmorPro(index);
    // The emulator needs a moment before the next command touches the stopped target side.
    SleepForZelmorPro(kStopSettleMs, index);
    return stopped;
}

void CliPauseForZelmorPro(unsigned int milliseconds, int index)
{
    SleepForZelmorPro(milliseconds, index);
}

void CliSystemBootFromZelmorPro(int /*unused*/)
{
    if (initialised())
        IsZelmorProOpened(DoGetUSBDexIndex());  // switches nothing: the answer is not needed
}

void CliSystemBootFromSPIFlash(int unused)
{
    CliSystemBootFromZelmorPro(unused);
}

void CliSetHoldPin(uint8_t mode, int index)
{
    if (initialised())
        replaceRegisterBits(pinreg::kPinControl, pinreg::kHoldModeBits, mode, index);
}

void CliSetHoldPinLow(bool flag, int index)
{
    CliSetHoldPin(flag ? kHoldDefaultLow : kHoldFloating, index);
}

void CliSetMISODriven(uint8_t value)
{
    if (initialised())
        replaceRegisterBits(pinreg::kPinControl, pinreg::kMisoDrivenBit, value, DoGetUSBDexIndex());
}

void CliSetRSTPin(bool on, int index)
{
    if (initialised())
        WriteZelmorProRegister(pinreg::kResetControl, on ? pinreg::kResetOn : 0, index);
}

void CliSetResetPin(uint8_t value)
{
    if (initialised())
        WriteZelmorProRegister(pinreg::kResetLevel, value, DoGetUSBDexIndex());
}

bool CliCheckResetPin(int index)
{
    // Asks the device link directly, so it answers (false) before the API exists too.
    return readRegister(pinreg::kResetControl, index) == pinreg::kResetAsserted;
}

void CliSetCS(bool flag, int index)
{
    if (initialised())
        WriteZelmorProRegister(pinreg::kChipSelectMode, flag ? 0 : 1, index);
}

void CliSetCSwith40ns(uint16_t value, int index)
{
    if (initialised())
        WriteZelmorProRegister(pinreg::kChipSelectTiming, value, index);
}

bool CliCheckSPIbus(int* idle)
{
    if (!initialised())
        return false;
    uint32_t status = 0;  // stays 0, not idle, when the status cannot be read
    GetZelmorProSPIPinStatus(status);
    const bool busIdle = (status & kSpiBusIdle) == kSpiBusIdle;
    if (idle != nullptr)
        *idle = busIdle ? 1 : 0;
    return busIdle;
}

int CliWriteRPMC(uint8_t* data, int length, int index)
{
    if (!initialised() || index < 0)
        return 0;
    return WriteZelmorProRPMC(data, length, static_cast<unsigned int>(index));
}

void CliSetVccTo33V(int index)
{
    if (initialised())
        SetZelmorProVccTo33V(index);
}

void CliSetVccTo25V(int index)
{
    if (initialised())
        SetZelmorProVccTo25V(index);
}

void CliSetVccTo18V(int index)
{
    if (initialised())
        SetZelmorProVccTo18V(index);
}

}  // extern "C"
