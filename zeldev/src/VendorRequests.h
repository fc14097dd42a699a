// The vendor control requests of the earlier design, one function per request. Addresses are
// split into value = address >> 16 and index = address & 0xFFFF.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "DeviceLink.h"

namespace zel::zeldev::requests {

inline constexpr size_t kFlashBlockSize = 64;
using FlashBlock = std::array<uint8_t, kFlashBlockSize>;

std::optional<uint8_t> readRegister(DeviceLink& link, uint16_t reg);               // 0xC0 IN
bool writeRegister(DeviceLink& link, uint16_t reg, uint8_t value);                 // 0xC0 OUT

std::optional<std::array<uint8_t, 4>> firmwareVersion(DeviceLink& link);          // 0xBE
std::optional<std::array<uint8_t, 3>> lastSpiCommand(DeviceLink& link);           // 0xC6
std::optional<std::array<uint8_t, 16>> uFifoControlBlock(DeviceLink& link);       // 0xC5
std::optional<std::array<uint8_t, 4>> serialFlashId(DeviceLink& link);            // 0xB0

bool eraseSerialFlash(DeviceLink& link);                                           // 0xB1
std::optional<FlashBlock> readSerialFlash(DeviceLink& link, uint32_t address);     // 0xB2
bool programSerialFlash(DeviceLink& link, uint32_t address, const FlashBlock& block);  // 0xB3
std::optional<uint8_t> serialFlashStatus(DeviceLink& link);                        // 0xB4

bool readBootMemory(DeviceLink& link, uint16_t offset, std::span<uint8_t> data);  // 0xB8
bool programBootMemory(DeviceLink& link, uint16_t offset, const FlashBlock& block);  // 0xB9
std::optional<uint8_t> bootMemoryStatus(DeviceLink& link);                         // 0xBA

bool triggerLogCounter(DeviceLink& link, bool flag);                               // 0xBB

bool startMemoryRead(DeviceLink& link, uint32_t address, uint32_t blocks);         // 0xC1
bool startMemoryWrite(DeviceLink& link, uint32_t address, uint16_t blocks);        // 0xC2
bool endMemoryTransfer(DeviceLink& link);                                          // 0xC3

}  // namespace zel::zeldev::requests
