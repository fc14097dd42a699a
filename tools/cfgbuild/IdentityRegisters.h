// The section-1 registers that tell the emulator which chip it impersonates, and the supply
// levels a chip's file sends. data/catalogue/REGISTERS.md is the reference for both; a chip slot
// s finds its identity at register + s * 0x70.
#pragma once

#include <cstdint>
#include <vector>

#include "ChipEntry.h"
#include "chipcfg/ChipConfigWriter.h"

namespace zel::catalogue {

namespace identity {
inline constexpr std::uint8_t kManufacturerRegister = 0x40;  // JEDEC ID byte 1
inline constexpr std::uint8_t kDeviceRegister = 0x41;        // JEDEC ID byte 2 * 256 + byte 3
inline constexpr std::uint8_t kSizeRegister = 0x42;          // log2 of the size in bytes
inline constexpr std::uint8_t kAddressingRegister = 0x43;    // addressing and option bits
inline constexpr std::uint8_t kEraseRegister = 0x44;         // erase-size bits (erase:: values)
inline constexpr std::uint8_t kReadRegister = 0x45;          // fast-read bits, quad-enable place

// Bits of the addressing register.
inline constexpr std::uint16_t kFourByteAddressing = 0x01;  // 4-byte addresses possible
inline constexpr std::uint16_t kFourBytePowerUp = 0x02;     // 4-byte addresses from power-up
inline constexpr std::uint16_t kFourByteOpcodes = 0x04;     // 0x13 0x0C 0x12 0x21 0xDC (0x5C)
inline constexpr std::uint16_t kFixedAddressMode = 0x08;    // 0xB7 / 0xE9 change nothing
inline constexpr std::uint16_t kQeAsShipped = 0x10;         // QE reads 1 after power-up
inline constexpr std::uint16_t kDieErase = 0x20;            // stacked dies, erased die by die

// The read register: fastread:: bits in bits 0-3, where QE sits in bits 4-5.
inline constexpr unsigned kQeLocationShift = 4;
inline constexpr std::uint16_t kQeNone = 0;         // no QE bit
inline constexpr std::uint16_t kQeStatusBit6 = 1;   // status register bit 6
inline constexpr std::uint16_t kQeStatus2Bit1 = 2;  // status register 2 bit 1
}  // namespace identity

// The identity registers of the chip in register order.
std::vector<chipcfg::RegisterSetting> identitySettings(const ChipEntry& chip);

// Channel 2, 3, 4 levels for a supply of 1800, 2500 or 3300 mV; empty for any other.
std::vector<chipcfg::LevelSetting> supplyLevels(std::uint16_t millivolts);

// Whether a word could be mistaken by the record walk for a marker or a terminator.
bool isReservedRecordWord(std::uint16_t word);

}  // namespace zel::catalogue
