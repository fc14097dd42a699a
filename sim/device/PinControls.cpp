#include "device/PinControls.h"

#include "core/SimDevice.h"

#include <cstdio>

namespace zel::sim {
namespace {

const char* holdModeName(unsigned mode) {
    switch (mode) {
    case 0: return "low";
    case 2: return "floating";
    case 3: return "input";
    default: return "restored";  // what the host writes back after an FPGA switch
    }
}

std::string line(const char* key, unsigned value) { return std::string(key) + "=" + std::to_string(value) + "\n"; }

std::string hexLine(const char* key, unsigned value) {
    char text[64];
    std::snprintf(text, sizeof text, "%s=0x%04x\n", key, value);
    return text;
}

}  // namespace

void installPinControls(FpgaRegisters& registers, Findings& findings) {
    registers.filterWrites(pins::kResetControl, [&findings](uint16_t written) -> uint16_t {
        if (written != 0 && written != pins::kResetAssert) {
            char text[80];
            std::snprintf(text, sizeof text, "reset-pin control 0x%04x is neither 0x0c (assert) nor 0 (release)",
                          written);
            findings.flag(text);
        }
        return (written & pins::kResetAssert) == pins::kResetAssert ? 1 : 0;
    });
}

std::string describePins(const SimDevice& device) {
    const unsigned holdAndMiso = device.readRegister(pins::kHoldAndMiso);
    std::string text;
    text += line("reset", device.readRegister(pins::kResetControl) == 1 ? 1 : 0);
    text += hexLine("reset-level", device.readRegister(pins::kResetLevel));
    text += "hold=" + std::to_string(holdAndMiso & 3) + " " + holdModeName(holdAndMiso & 3) + "\n";
    text += line("miso-driven", (holdAndMiso >> 2) & 1);
    text += line("cs-mode", device.readRegister(pins::kChipSelectMode));
    text += hexLine("cs-timing", device.readRegister(pins::kChipSelectTiming));
    const auto levels = device.levels();
    const auto supply = levels.find(pins::kSupplyChannel);
    text += supply == levels.end() ? std::string("supply=none\n") : line("supply", supply->second);
    return text;
}

}  // namespace zel::sim
