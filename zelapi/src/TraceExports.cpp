// SPI trace: read-out into the caller's buffer, the device's trace reset, the last command and
// the trace and operation-log bits of register 0x60.
#include "zelapi.h"

#include "ApiInstance.h"
#include "ZelmorProDll.h"
#include "device/DeviceFacts.h"
#include "zeldev.h"

#include <optional>

namespace {

constexpr uint32_t kBurstLength = 0x10000;  // eight 8 KiB trace blocks a call
constexpr uint8_t kBurstMode = 0x15;
constexpr uint16_t kTraceControl = zel::device::reg::kOperationLog;
constexpr uint8_t kTraceBit = zel::device::kTraceBit, kLogBit = zel::device::kLogBit;

bool initialised() { return zel::api::project() != nullptr; }

// Register 0x60 through zeldev; nullopt when the read failed (zeldev leaves the value alone then
// and returns 0, which a register reading 0 also returns).
std::optional<uint8_t> readTraceControl()
{
    uint8_t value = 0xFF;
    if (ReadRegister(kTraceControl, value) == 0 && value != 0)
        return std::nullopt;
    return value;
}

void replaceTraceControlBit(uint8_t bit, bool on)
{
    if (auto value = readTraceControl())
        WriteRegister(kTraceControl, static_cast<uint8_t>(on ? *value | bit : *value & ~bit));
}

}  // namespace

extern "C" {

void CliGetSPITraceData(int* result, uint8_t* buffer, uint32_t* length)
{
    CliGetSPITraceDataOf(result, buffer, length, DoGetUSBDexIndex());
}

void CliGetSPITraceDataOf(int* result, uint8_t* buffer, uint32_t* length, int index)
{
    if (!initialised() || result == nullptr || length == nullptr)
        return;
    *result = BurstReadZelmorProLogData(buffer, kBurstLength, *length, kBurstMode, index);
}

void CliGetSPITrace(int* result, uint8_t* buffer, uint32_t* length, uint32_t limit)
{
    if (!initialised() || result == nullptr || length == nullptr)
        return;
    if (limit < kBurstLength) {
        *result = 0;  // no room for one read
        return;
    }
    if (*length > limit - kBurstLength)
        *length = 0;  // a read from here could pass the end of the buffer
    CliGetSPITraceData(result, buffer, length);
    if (!(*length < limit && *length <= limit - kBurstLength))
        *length = 0;
}

void CliResetLogCounter()
{
    CliResetLogCounterOf(DoGetUSBDexIndex());
}

void CliResetLogCounterOf(int index)
{
    if (!initialised())
        return;
    uint8_t unused = 0;
    ReadRegister(kTraceControl, unused);
    ResetZelmorProSPITrace(index);
}

void CliGetSPILastCommand(uint32_t* value)
{
    if (initialised() && value != nullptr)
        GetZelmorProSPILastCommand(*value);
}

void CliGetSPILastCommandOf(uint32_t* value, int index)
{
    namespace reg = zel::device::reg;
    uint16_t spiStatus = 0;
    uint16_t pinStatus = 0;
    if (!initialised() || value == nullptr || TryReadZelmorProRegister(reg::kLastCommand, &spiStatus, index) == 0 ||
        TryReadZelmorProRegister(reg::kPinStatus, &pinStatus, index) == 0)
        return;
    *value = (uint32_t{spiStatus} & 0xFF) << 16 | (uint32_t{spiStatus} & 0xFF00) | (uint32_t{pinStatus} & 0xFF);
}

void CliEnableZelmorProSPITrace(uint8_t bits)
{
    if (!initialised())
        return;
    replaceTraceControlBit(kTraceBit, (bits & 1) != 0);
    replaceTraceControlBit(kLogBit, (bits & 2) != 0);
}

void CliSetOperationLog(int on)
{
    if (!initialised())
        return;
    if (on == 0)
        SetOperationLog(0);
    else
        WriteRegister(kTraceControl, 0);
}

}  // extern "C"
