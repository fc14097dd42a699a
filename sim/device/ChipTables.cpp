#include "device/ChipTables.h"

#include <string>

namespace zel::sim {

ChipTables::ChipTables(FpgaRegisters& registers, Findings& findings) : findings_(findings) {
    registers.observe([this](uint8_t reg, uint16_t value) { onWrite(reg, value); });
}

void ChipTables::reset() {
    for (auto& t : sfdp_) t.clear();
    for (auto& t : protection_) t.clear();
}

void ChipTables::onWrite(uint8_t reg, uint16_t value) {
    auto select = [&](auto& tables, const char* what) {
        if (value == 1 || value == 2) tables[value - 1u].clear();
        else findings_.flag(std::string(what) + " table select written " + std::to_string(value) + ", expected 1 or 2");
    };
    switch (reg) {
    case kSfdpSelect: select(sfdp_, "SFDP"); break;
    case kProtectionSelect: select(protection_, "protection"); break;
    case kSfdpPort0: sfdp_[0].push_back(value); break;
    case kSfdpPort1: sfdp_[1].push_back(value); break;
    case kProtectionPort0: protection_[0].push_back(value); break;
    case kProtectionPort1: protection_[1].push_back(value); break;
    default: break;
    }
}

}  // namespace zel::sim
