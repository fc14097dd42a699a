#include "VendorRequests.h"

namespace zel::zeldev::requests {

namespace {

uint16_t high(uint32_t address) { return static_cast<uint16_t>(address >> 16); }
uint16_t low(uint32_t address) { return static_cast<uint16_t>(address & 0xFFFF); }

template <size_t N>
std::optional<std::array<uint8_t, N>> readFixed(DeviceLink& link, uint8_t request,
                                                uint16_t value = 0, uint16_t index = 0)
{
    std::array<uint8_t, N> data{};
    if (!link.vendorIn(Recipient::Endpoint, request, value, index, data))
        return std::nullopt;
    return data;
}

std::optional<uint8_t> readStatus(DeviceLink& link, uint8_t request)
{
    const auto status = readFixed<1>(link, request);
    if (!status)
        return std::nullopt;
    return (*status)[0];
}

}  // namespace

std::optional<uint8_t> readRegister(DeviceLink& link, uint16_t reg)
{
    std::array<uint8_t, 1> value{};
    if (!link.vendorIn(Recipient::Device, 0xC0, 0, reg, value))
        return std::nullopt;
    return value[0];
}

bool writeRegister(DeviceLink& link, uint16_t reg, uint8_t value)
{
    return link.vendorOut(Recipient::Device, 0xC0, value, reg);
}

std::optional<std::array<uint8_t, 4>> firmwareVersion(DeviceLink& link)
{
    return readFixed<4>(link, 0xBE);
}

std::optional<std::array<uint8_t, 3>> lastSpiCommand(DeviceLink& link)
{
    return readFixed<3>(link, 0xC6);
}

std::optional<std::array<uint8_t, 16>> uFifoControlBlock(DeviceLink& link)
{
    return readFixed<16>(link, 0xC5);
}

std::optional<std::array<uint8_t, 4>> serialFlashId(DeviceLink& link)
{
    return readFixed<4>(link, 0xB0);
}

bool eraseSerialFlash(DeviceLink& link)
{
    return link.vendorOut(Recipient::Endpoint, 0xB1, 0, 0);
}

std::optional<FlashBlock> readSerialFlash(DeviceLink& link, uint32_t address)
{
    return readFixed<kFlashBlockSize>(link, 0xB2, high(address), low(address));
}

bool programSerialFlash(DeviceLink& link, uint32_t address, const FlashBlock& block)
{
    return link.vendorOut(Recipient::Endpoint, 0xB3, high(address), low(address), block);
}

std::optional<uint8_t> serialFlashStatus(DeviceLink& link)
{
    return readStatus(link, 0xB4);
}

bool readBootMemory(DeviceLink& link, uint16_t offset, std::span<uint8_t> data)
{
    return link.vendorIn(Recipient::Endpoint, 0xB8, offset, 0, data);
}

bool programBootMemory(DeviceLink& link, uint16_t offset, const FlashBlock& block)
{
    return link.vendorOut(Recipient::Endpoint, 0xB9, offset, 0, block);
}

std::optional<uint8_t> bootMemoryStatus(DeviceLink& link)
{
    return readStatus(link, 0xBA);
}

bool triggerLogCounter(DeviceLink& link, bool flag)
{
    const uint16_t word = flag ? 0xFFFF : 0;
    return link.vendorOut(Recipient::Endpoint, 0xBB, word, word);
}

bool startMemoryRead(DeviceLink& link, uint32_t address, uint32_t blocks)
{
    const std::array<uint8_t, 4> count{
        static_cast<uint8_t>(blocks), static_cast<uint8_t>(blocks >> 8),
        static_cast<uint8_t>(blocks >> 16), static_cast<uint8_t>(blocks >> 24)};
    return link.vendorOut(Recipient::Endpoint, 0xC1, high(address), low(address), count);
}

bool startMemoryWrite(DeviceLink& link, uint32_t address, uint16_t blocks)
{
    const std::array<uint8_t, 4> count{static_cast<uint8_t>(blocks),
                                       static_cast<uint8_t>(blocks >> 8), 0, 0};
    return link.vendorOut(Recipient::Endpoint, 0xC2, high(address), low(address), count);
}

bool endMemoryTransfer(DeviceLink& link)
{
    return link.vendorOut(Recipient::Endpoint, 0xC3, 0, 0);
}

}  // namespace zel::zeldev::requests
