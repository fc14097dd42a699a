#include "RegisterCommands.h"

#include <array>

namespace zel::devlink {

std::optional<uint16_t> RegisterCommands::read(uint8_t reg) {
    // A frame the device never got has no reply to wait for.
    if (!channel_.sendCommand(CommandFrame(Opcode::ReadRegister).put8(1, reg))) return std::nullopt;
    std::array<uint8_t, 3> reply;
    if (!channel_.readReply(reply)) return std::nullopt;
    return static_cast<uint16_t>(reply[1] << 8 | reply[2]);
}

bool RegisterCommands::write(uint8_t reg, uint16_t value) {
    return channel_.sendCommand(CommandFrame(Opcode::WriteRegister).put8(1, reg).put16(2, value));
}

std::optional<bool> RegisterCommands::runState() {
    auto value = read(reg::kRunState);
    if (!value) return std::nullopt;
    return *value == 1;
}

bool RegisterCommands::setRunState(bool running) {
    auto state = runState();
    // A state that cannot be read counts as stopped, as it always has on the wire (a run still
    // writes the register); the outcome is a failure all the same.
    if (state.value_or(false) != running && !write(reg::kRunState, running ? 1 : 0)) return false;
    return state.has_value();
}

void RegisterCommands::setOperationLog() {
    write(reg::kOperationLog, device::kOperationLogOn);
    read(reg::kOperationLog);  // the device wants the read-back; the value is not needed
}

}  // namespace zel::devlink
