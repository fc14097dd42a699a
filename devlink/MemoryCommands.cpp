#include "MemoryCommands.h"

#include "CommandDispatcher.h"

namespace zel::devlink {
namespace {

CommandFrame memoryFrame(Opcode opcode, uint32_t address, uint32_t length) {
    return CommandFrame(opcode).put32(1, address).put32(5, length);
}

// The block length travels in 32 bits; a longer block cannot be described to the device.
bool fitsFrame(size_t length) { return length <= UINT32_MAX; }

// The caller's buffer for `length` bytes; a null pointer is only acceptable for no bytes.
bool validBlock(uintptr_t arg, uint32_t length) { return arg != 0 || length == 0; }

long writeBlock(CommandContext& context, uint32_t address, uint32_t length) {
    if (!validBlock(context.request.arg, length)) return 0;
    std::span<const uint8_t> data(reinterpret_cast<const uint8_t*>(context.request.arg), length);
    return MemoryCommands(context.channel).write(address, data) ? 1 : 0;
}

long readBlock(CommandContext& context, uint32_t address, uint32_t length) {
    if (!validBlock(context.request.arg, length)) return 0;
    std::span<uint8_t> into(reinterpret_cast<uint8_t*>(context.request.arg), length);
    return MemoryCommands(context.channel).read(address, into) ? 1 : 0;
}

}  // namespace

bool MemoryCommands::write(uint32_t address, std::span<const uint8_t> data) {
    if (!fitsFrame(data.size())) return false;
    if (!channel_.sendCommand(memoryFrame(Opcode::WriteMemory, address, static_cast<uint32_t>(data.size()))))
        return false;
    return channel_.sendData(data);
}

bool MemoryCommands::read(uint32_t address, std::span<uint8_t> into) {
    if (!fitsFrame(into.size())) return false;
    if (!channel_.sendCommand(memoryFrame(Opcode::ReadMemory, address, static_cast<uint32_t>(into.size()))))
        return false;
    return into.empty() || channel_.receiveData(into);
}

// 0x55: arg = data, value1 = address, value2 = length.
long writeMemoryCommand(CommandContext& context) {
    return writeBlock(context, context.request.value1, context.request.value2);
}

// 0xAA: arg = buffer, value1 = address, value2 = length. 1 only when the whole block was read.
long readMemoryCommand(CommandContext& context) {
    return readBlock(context, context.request.value1, context.request.value2);
}

// 0xC2: arg = data, value1 = length, written at address 0.
long writeMemoryAtZeroCommand(CommandContext& context) { return writeBlock(context, 0, context.request.value1); }

// 0xC1: arg = buffer, value1 = length, read from address 0.
long readMemoryAtZeroCommand(CommandContext& context) { return readBlock(context, 0, context.request.value1); }

}  // namespace zel::devlink
