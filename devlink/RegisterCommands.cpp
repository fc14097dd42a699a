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

bool RegisterCommands::isRunning() { return read(reg::kRunState).value_or(0) == 1; }

void RegisterCommands::run() {
    if (!isRunning()) write(reg::kRunState, 1);
}

void RegisterCommands::stop() {
    if (isRunning()) write(reg::kRunState, 0);
}

void RegisterCommands::setOperationLog() {
    write(reg::kOperationLog, reg::kOperationLogOn);
    read(reg::kOperationLog);  // the device wants the read-back; the value is not needed
}

}  // namespace zel::devlink
