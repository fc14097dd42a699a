// The target-side SPI state the device reports: the last SPI command the target sent and the
// state of the SPI pins, both composed from registers 0x2C and 0x90.
#pragma once

#include "CommandChannel.h"
#include "device/DeviceFacts.h"

#include <cstdint>
#include <optional>

namespace zel::devlink {

// Bits 14-15 of the pin status (taken from register 0x2C): both set while the target's SPI
// bus is idle.
using device::kSpiBusIdleBits;

// ((A & 0xFF) << 16) | (A & 0xFF00) | (B & 0xFF), A = register 0x2C, B = register 0x90.
uint32_t composeLastCommand(uint16_t spiStatus, uint16_t pinStatus);
// Bits 0-7 from B, bits 8-15 from A (the bus-idle bits included), bits 16-19 from bits 0-3 of
// A, the rest 0.
uint32_t composePinStatus(uint16_t spiStatus, uint16_t pinStatus);

class PinCommands {
public:
    explicit PinCommands(CommandChannel channel) : channel_(channel) {}

    // nullopt when either register could not be read: a zeroed reply is no pin state, and an
    // idle bus must never be reported from one.
    std::optional<uint32_t> lastCommand();
    std::optional<uint32_t> pinStatus();

private:
    struct StatusRegisters {
        uint16_t spiStatus;  // register 0x2C
        uint16_t pinStatus;  // register 0x90
    };
    std::optional<StatusRegisters> readStatusRegisters();

    CommandChannel channel_;
};

}  // namespace zel::devlink
