#include "PinCommands.h"

#include "RegisterCommands.h"

namespace zel::devlink {

uint32_t composeLastCommand(uint16_t spiStatus, uint16_t pinStatus) {
    return (uint32_t{spiStatus} & 0xFF) << 16 | (uint32_t{spiStatus} & 0xFF00) | (uint32_t{pinStatus} & 0xFF);
}

uint32_t composePinStatus(uint16_t spiStatus, uint16_t pinStatus) {
    return (uint32_t{spiStatus} & 0x0F) << 16 | (uint32_t{spiStatus} & 0xFF00) | (uint32_t{pinStatus} & 0xFF);
}

std::optional<PinCommands::StatusRegisters> PinCommands::readStatusRegisters() {
    RegisterCommands registers(channel_);
    auto spiStatus = registers.read(reg::kLastCommand);
    if (!spiStatus) return std::nullopt;  // the device is not answering: do not ask twice
    auto pinStatus = registers.read(reg::kPinStatus);
    if (!pinStatus) return std::nullopt;
    return StatusRegisters{*spiStatus, *pinStatus};
}

std::optional<uint32_t> PinCommands::lastCommand() {
    auto read = readStatusRegisters();
    if (!read) return std::nullopt;
    return composeLastCommand(read->spiStatus, read->pinStatus);
}

std::optional<uint32_t> PinCommands::pinStatus() {
    auto read = readStatusRegisters();
    if (!read) return std::nullopt;
    return composePinStatus(read->spiStatus, read->pinStatus);
}

}  // namespace zel::devlink
