#include "CommandDispatcher.h"

#include "DeviceSlots.h"

#include <algorithm>
#include <iterator>

namespace zel::devlink {
namespace {

struct CommandEntry {
    _COMMAND command;
    CommandHandler handler;
};

constexpr CommandEntry kCommandTable[] = {
    {ZELMOR_CMD_CHIP_CONFIG, &chipConfigCommand},
    {ZELMOR_CMD_MEMORY_WRITE, &writeMemoryCommand},
    {ZELMOR_CMD_MEMORY_READ, &readMemoryCommand},
    {ZELMOR_CMD_FIRMWARE_UPDATE, &firmwareUpdateCommand},
    {ZELMOR_CMD_FLASH_ERASE, &eraseFlashCommand},
    {ZELMOR_CMD_FLASH_READ_PAGE, &readFlashPageCommand},
    {ZELMOR_CMD_FLASH_WRITE_PAGE, &writeFlashPageCommand},
    {ZELMOR_CMD_MEMORY_READ_AT_ZERO, &readMemoryAtZeroCommand},
    {ZELMOR_CMD_MEMORY_WRITE_AT_ZERO, &writeMemoryAtZeroCommand},
    {ZELMOR_CMD_ACCEPTED_B8, &acceptWithoutTransfer},
    {ZELMOR_CMD_ACCEPTED_B9, &acceptWithoutTransfer},
};

}  // namespace

CommandHandler findCommandHandler(_COMMAND command) {
    auto entry = std::ranges::find(kCommandTable, command, &CommandEntry::command);
    return entry == std::end(kCommandTable) ? nullptr : entry->handler;
}

long dispatchCommand(DeviceSlots& slots, const CommandRequest& request) {
    CommandHandler handler = findCommandHandler(request.command);
    CommandChannel channel = slots.channel(request.index);
    if (handler == nullptr || !channel.isOpen()) return 0;
    CommandContext context{slots, channel, request};
    return handler(context);
}

long acceptWithoutTransfer(CommandContext&) { return 1; }

}  // namespace zel::devlink
