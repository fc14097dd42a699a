// Reading the running firmware's version where a failed read must not pass for version 0:
// the firmware update decides its erase method and the delivery form by it.
#pragma once

#include "CommandChannel.h"
#include "IdentityCommands.h"

#include <cstdint>
#include <optional>

namespace zel::devlink {

// Opcode 0x10; nullopt when the frame or the 5-byte reply failed.
std::optional<FirmwareVersion> queryFirmwareVersion(CommandChannel channel);

// The version as one little-endian word: MCU major and minor in the top 16 bits.
inline uint32_t versionWord(const FirmwareVersion& version) {
    return uint32_t{version[0]} | uint32_t{version[1]} << 8 | uint32_t{version[2]} << 16 |
           uint32_t{version[3]} << 24;
}

}  // namespace zel::devlink
