// The emulated chip of one chip slot as the chip-configuration download leaves it in the
// register file: registers 0x40-0x45 for slot 0, 0xB0-0xB5 for slot 1 (data/catalogue/REGISTERS.md).
#pragma once

#include "device/FpgaRegisters.h"

#include <cstdint>

namespace zel::sim::target {

struct ChipIdentity {
    static constexpr uint8_t kFirstRegister = 0x40;
    static constexpr unsigned kSlotStride = 0x70;
    // Sizes the slot's emulation memory can hold: 512 bytes up to 256 MiB. 0 (and anything
    // else) means no identity is loaded.
    static constexpr unsigned kMinSizeLog2 = 9, kMaxSizeLog2 = 28;

    uint8_t manufacturer = 0;
    uint16_t device = 0;
    unsigned sizeLog2 = 0;
    uint16_t options = 0;  // register 0x43
    uint16_t erases = 0;   // register 0x44
    uint16_t reads = 0;    // register 0x45

    static ChipIdentity read(const FpgaRegisters& registers, unsigned slot) {
        auto reg = [&](unsigned r) { return registers.read(static_cast<uint8_t>(kFirstRegister + r + slot * kSlotStride)); };
        return {static_cast<uint8_t>(reg(0) & 0xFF), reg(1), reg(2), reg(3), reg(4), reg(5)};
    }

    bool loaded() const { return sizeLog2 >= kMinSizeLog2 && sizeLog2 <= kMaxSizeLog2; }
    uint64_t size() const { return uint64_t{1} << sizeLog2; }

    bool fourBytePossible() const { return (options & 0x01) != 0; }
    bool fourByteAtPowerUp() const { return (options & 0x03) == 0x03; }
    bool fourByteOpcodes() const { return (options & 0x04) != 0; }
    bool fixedAddressing() const { return (options & 0x08) != 0; }
    bool quadEnabledAsShipped() const { return (options & 0x10) != 0; }
    // Where the QE bit sits: 0 nowhere, 1 status register 1 bit 6, 2 status register 2 bit 1.
    unsigned quadEnablePlace() const { return (reads >> 4) & 3; }

    bool erases4K() const { return (erases & 0x01) != 0; }
    bool erases32K() const { return (erases & 0x02) != 0; }
    bool erases64K() const { return (erases & 0x04) != 0; }

    bool operator==(const ChipIdentity&) const = default;
};

}  // namespace zel::sim::target
