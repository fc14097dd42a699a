// SendCommandToZelmorPro: a table from command number to handler. A command without an entry
// is refused (0, nothing sent); each command family adds its entries as it lands.
#pragma once

#include "CommandChannel.h"
#include "ZelmorProDll.h"

#include <cstdint>

namespace zel::devlink {

class DeviceSlots;

struct CommandRequest {
    _COMMAND command{};
    uintptr_t arg = 0;  // a pointer for most commands
    uint32_t value1 = 0;
    uint32_t value2 = 0;
    int index = 0;
};

struct CommandContext {
    DeviceSlots& slots;        // some commands also address the current device
    CommandChannel channel;    // the addressed slot, known to be open
    const CommandRequest& request;
};

using CommandHandler = long (*)(CommandContext& context);

// The handler of a command; null when the command is not served.
CommandHandler findCommandHandler(_COMMAND command);

// 0 without sending anything when the command is not served or the slot is not open.
long dispatchCommand(DeviceSlots& slots, const CommandRequest& request);

// Handlers, defined with their command family.
long acceptWithoutTransfer(CommandContext& context);  // 0xB8, 0xB9
long readFlashPageCommand(CommandContext& context);   // 0xB2
long writeFlashPageCommand(CommandContext& context);  // 0xB3
long eraseFlashCommand(CommandContext& context);      // 0xB1
long firmwareUpdateCommand(CommandContext& context);  // 2
long writeMemoryCommand(CommandContext& context);       // 0x55
long readMemoryCommand(CommandContext& context);        // 0xAA
long writeMemoryAtZeroCommand(CommandContext& context); // 0xC2
long readMemoryAtZeroCommand(CommandContext& context);  // 0xC1
long chipConfigCommand(CommandContext& context);        // 4

}  // namespace zel::devlink
