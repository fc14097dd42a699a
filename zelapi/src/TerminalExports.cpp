// SPI hyper terminal: the receive queue and the terminal's registers and FIFOs on the current
// device.
#include "zelapi.h"

#include "ApiInstance.h"
#include "ZelmorProDll.h"
#include "device/DeviceFacts.h"

#include <algorithm>
#include <array>
#include <vector>

using zel::api::project;

namespace {

constexpr uint32_t kUploadLength = 512;
constexpr uint32_t kUploadParam = 128;
constexpr uint16_t kFifoParam = 0x2000;
constexpr uint32_t kDownFifoSize = 512;
constexpr uint8_t kDownLevelRegister = 2;
constexpr uint8_t kCommandRegister = zel::device::reg::kTerminalCommand;
constexpr uint8_t kPageProgramRegister = zel::device::reg::kTerminalPageProgram;
constexpr unsigned kStopSettleMs = 10;

int currentIndex() { return DoGetUSBDexIndex(); }

// The data count of a uFIFO reply block, clamped to what was asked for.
size_t blockCount(const uint8_t* block, size_t asked)
{
    return std::min<size_t>(size_t{block[0]} << 8 | block[1], asked);
}

}  // namespace

extern "C" {

void CliUploadFIFO(int* result) { CliUploadFIFOOf(result, currentIndex()); }

void CliUploadFIFOOf(int* result, int index)
{
    auto* api = project();
    if (!api)
        return;
    std::array<uint8_t, kUploadLength + 2> block{};
    const int ok = ReadZelmorProHTuFIFO(block.data(), kUploadLength, kUploadParam, index);
    if (result)
        *result = ok;
    if (ok)
        api->pushAll(std::span<const uint8_t>(block).subspan(2, blockCount(block.data(), kUploadLength)));
}

uint8_t CliReadSPIHTFromQueue(uint8_t* value)
{
    auto* api = project();
    if (!api)
        return 0;
    const uint8_t byte = api->pop();
    if (value)
        *value = byte;
    return byte;
}

int CliReadSPIHTQueueBlock(uint8_t* buffer, int size)
{
    auto* api = project();
    if (!api || buffer == nullptr || size <= 0)
        return 0;
    return static_cast<int>(api->popInto({buffer, static_cast<size_t>(size)}));
}

int CliGetSPIHTQueueCounter()
{
    auto* api = project();
    return api ? static_cast<int>(api->Count()) : 0;
}

int CliCheckSPIHyperTerminalQueueIsFull()
{
    auto* api = project();
    return api && api->IsFull() ? 1 : 0;
}

int CliCheckSPIHyperTerminalQueueIsEmpty()
{
    auto* api = project();
    return api && api->IsEmpty() ? 1 : 0;
}

uint8_t CliWriteToSPIHTdFIFO(uint8_t* data, uint8_t length)
{
    return CliWriteToSPIHTdFIFOOf(data, length, currentIndex());
}

uint8_t CliWriteToSPIHTdFIFOOf(uint8_t* data, uint8_t length, int index)
{
    if (!project() || data == nullptr)
        return 0;
    uint8_t level = 0;
    ReadZelmorProHTRegister(kDownLevelRegister, level, index);
    const auto n = static_cast<uint16_t>(std::min<uint32_t>(kDownFifoSize - level, length));
    uint8_t stored = 0;
    WriteZelmorProdFIFO(data, n, kFifoParam, stored, index);
    return static_cast<uint8_t>(std::min<uint32_t>(stored, n));  // the device's count of bytes kept
}

void CliReadFromSPIHTuFIFO(uint8_t* data, uint8_t* length, uint8_t* more)
{
    if (!project() || data == nullptr || length == nullptr || more == nullptr)
        return;
    const size_t asked = *length;
    *length = 0;
    *more = 0;
    if (asked == 0)
        return;
    std::vector<uint8_t> block(asked + 2, 0);
    if (!ReadZelmorProHTuFIFO(block.data(), static_cast<uint32_t>(asked), kFifoParam, currentIndex()))
        return;
    const size_t received = blockCount(block.data(), asked);
    if (received == 0)
        return;
    const uint8_t header = block[2];
    const size_t packet = header & 0x7F;  // the header byte included
    const size_t copied = std::min({packet > 0 ? packet - 1 : 0, received - 1, asked});
    std::copy_n(block.begin() + 3, copied, data);
    *length = static_cast<uint8_t>(copied);
    *more = (header & 0x80) ? 1 : 0;
}

uint8_t CliReadSPIHTReg(int reg, uint8_t* value)
{
    if (!project())
        return 0;
    uint8_t read = 0;
    ReadZelmorProHTRegister(static_cast<uint8_t>(reg & 7), read, currentIndex());
    if (value)
        *value = read;
    return read;
}

void CliWriteSPIHTReg(int reg, uint8_t value)
{
    if (project())
        WriteZelmorProHTRegister(static_cast<uint8_t>(reg & 7), value, currentIndex());
}

void CliSetSPIHTCommand(uint8_t opcode) { CliSetSPIHTCommandOf(opcode, currentIndex()); }

void CliSetSPIHTCommandOf(uint8_t opcode, int index)
{
    if (project())
        WriteZelmorProRegister(kCommandRegister, opcode, index);
}

void CliEnableSPIHT02Command(int on) { CliEnableSPIHT02CommandOf(on, currentIndex()); }

void CliEnableSPIHT02CommandOf(int on, int index)
{
    if (project())
        WriteZelmorProRegister(kPageProgramRegister, on ? 1 : 0, index);
}

void CliSetHTPort(bool fromUSB)
{
    if (project())
        SetZelmorProHTPortFromUSB(fromUSB, currentIndex());
}

void CliStartSPIHT(int index)
{
    if (project() && !(IsZelmorProOpened(index) == 1 && IsZelmorProRunning(index)))
        RunZelmorPro(index);
}

int CliStopSPIHT(int index)
{
    if (!project())
        return 0;
    StopZelmorPro(index);
    SleepForZelmorPro(kStopSettleMs, index);
    return IsZelmorProOpened(currentIndex());
}

void CliEnableSPIHyperTerminal(int, int) {}

void CliEnableSPIHTUSBBulkTransfer(int) {}

}  // extern "C"
