// Reading a target's whole chip for the blank check and the memory checksum. A read that fails
// is reported (with a message starting "Error: ") instead of being taken for the memory's content.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace zel::cmd {

class CommandContext;

// The bytes of the whole chip of the selected target of device `index`, or nothing after the
// error message.
std::optional<std::span<const std::uint8_t>> readWholeChip(CommandContext& context, int index);

}  // namespace zel::cmd
