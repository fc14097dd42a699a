#include "TerminalCommands.h"

#include "RegisterCommands.h"

#include <algorithm>
#include <array>
#include <vector>

namespace zel::devlink {

std::optional<uint8_t> TerminalCommands::readRegister(uint8_t reg) {
    std::array<uint8_t, 3> reply;
    if (!channel_.sendCommand(CommandFrame(Opcode::ReadTerminalRegister).put8(1, reg)) || !channel_.readReply(reply))
        return std::nullopt;
    return reply[1];
}

bool TerminalCommands::writeRegister(uint8_t reg, uint16_t value) {
    return channel_.sendCommand(CommandFrame(Opcode::WriteTerminalRegister).put8(1, reg).put16(2, value));
}

bool TerminalCommands::readUpFifo(std::span<uint8_t> into, uint32_t length, uint32_t param) {
    CommandFrame frame(Opcode::ReadTerminalUpFifo);
    frame.put16(1, static_cast<uint16_t>(length)).put16(3, static_cast<uint16_t>(param));
    if (!channel_.sendCommand(frame)) return false;
    std::vector<uint8_t> block(into.size());  // the caller's bytes stay as they were on failure
    if (!channel_.receiveData(block)) return false;
    std::ranges::copy(block, into.begin());
    return true;
}

std::optional<uint8_t> TerminalCommands::writeDownFifo(std::span<const uint8_t> data, uint16_t param) {
    data = data.first(std::min(data.size(), kDownFifoMaxWrite));
    CommandFrame frame(Opcode::WriteTerminalDownFifo);
    frame.put16(1, static_cast<uint16_t>(data.size())).put16(3, param);
    if (!channel_.sendCommand(frame)) return std::nullopt;
    if (!data.empty() && !channel_.sendData(data)) return std::nullopt;
    std::array<uint8_t, 2> reply;
    if (!channel_.readReply(reply)) return std::nullopt;
    return reply[1];
}

bool TerminalCommands::selectPort(bool fromUsb) {
    return RegisterCommands(channel_).write(kTerminalPortRegister, fromUsb ? 0 : 1);
}

}  // namespace zel::devlink
