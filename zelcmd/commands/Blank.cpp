// --blank: checks that every byte of the chip reads 0xFF. The outcome is the message; the step
// fails only when the check could not be made.
#include <algorithm>

#include "CommandContext.h"
#include "DeviceHeader.h"
#include "Messages.h"
#include "StepRules.h"
#include "commands/Commands.h"
#include "commands/MemoryScan.h"

namespace zel::cmd {
namespace {

bool blankCheckDevice(CommandContext& context, int index) {
    context.console().out(format("Device %d : \n", deviceNumber(index)));
    if (!context.device(index).chipSet) {
        context.console().line(msg::kChipNotSelected);
        return false;
    }
    if (!deviceIsUsable(context, index)) return false;
    context.console().line(msg::kCheckingWait);
    const auto bytes = readWholeChip(context, index);
    if (!bytes) return false;
    const bool blank = std::all_of(bytes->begin(), bytes->end(), [](std::uint8_t b) { return b == 0xFF; });
    context.console().line(blank ? "Blank Check OK\n" : "Blank Check failed\n");
    return true;
}

}  // namespace

bool runBlank(CommandContext& context) {
    return runOnEachDevice(context, [&](int index) { return blankCheckDevice(context, index); });
}

}  // namespace zel::cmd
