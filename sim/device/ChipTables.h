// The SFDP and protection tables of both chip slots, fed through FPGA registers: writing a
// select register (value = slot + 1) resets that slot's table, and every word written to a
// slot's data port is appended in order.
#pragma once

#include "core/Findings.h"
#include "device/FpgaRegisters.h"

#include <array>
#include <cstdint>
#include <vector>

namespace zel::sim {

class ChipTables {
public:
    static constexpr uint8_t kSfdpSelect = 0xC9, kSfdpPort0 = 0xC1, kSfdpPort1 = 0xC2;
    static constexpr uint8_t kProtectionSelect = 0xC4, kProtectionPort0 = 0xC5, kProtectionPort1 = 0xC6;

    ChipTables(FpgaRegisters& registers, Findings& findings);

    const std::vector<uint16_t>& sfdp(unsigned slot) const { return sfdp_.at(slot); }
    const std::vector<uint16_t>& protection(unsigned slot) const { return protection_.at(slot); }
    void reset();

private:
    void onWrite(uint8_t reg, uint16_t value);

    Findings& findings_;
    std::array<std::vector<uint16_t>, 2> sfdp_;
    std::array<std::vector<uint16_t>, 2> protection_;
};

}  // namespace zel::sim
