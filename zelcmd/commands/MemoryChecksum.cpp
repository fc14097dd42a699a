// --sum: the 32-bit byte sum of the whole chip.
#include <numeric>

#include "CommandContext.h"
#include "DeviceHeader.h"
#include "Messages.h"
#include "StepRules.h"
#include "commands/Commands.h"
#include "commands/MemoryScan.h"

namespace zel::cmd {
namespace {

bool memoryChecksumDevice(CommandContext& context, int index) {
    if (!context.device(index).chipSet) {
        context.console().line(msg::kChipNotSelected);
        return false;
    }
    context.console().out("Memory checksum\n");
    if (!deviceIsUsable(context, index)) return false;
    context.console().line(msg::kCheckingWait);
    const auto bytes = readWholeChip(context, index);
    if (!bytes) return false;
    const std::uint32_t sum = std::accumulate(bytes->begin(), bytes->end(), std::uint32_t{0});
    context.console().out(format("The Memory Checksum 0x%x\n", sum));
    return true;
}

}  // namespace

bool runMemoryChecksum(CommandContext& context) {
    return runOnEachDevice(context, [&](int index) { return memoryChecksumDevice(context, index); });
}

}  // namespace zel::cmd
