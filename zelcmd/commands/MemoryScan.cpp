#include "commands/MemoryScan.h"

#include "CommandContext.h"

namespace zel::cmd {

std::optional<std::span<const std::uint8_t>> readWholeChip(CommandContext& context, int index) {
    const auto& device = context.device(index);
    const auto read = context.api().read(context.withTargetBit(0), device.chipSize, device.generation2, index);
    if (read.result != 1 || read.bytes.size() != device.chipSize) {
        context.console().line("Error: The emulator memory can not be read.");
        context.explain(index);
        return std::nullopt;
    }
    return read.bytes;
}

}  // namespace zel::cmd
