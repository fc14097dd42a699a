// Writing the hardware version and serial number into the identity page. The page is
// programmed without an erase: 0xFF bytes leave the stored bytes as they are, and a field can
// only lose set bits until its sector is erased, so a write is confirmed by reading it back.
#pragma once

#include "CommandChannel.h"
#include "IdentityCommands.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace zel::devlink {

inline constexpr size_t kHardwareVersionOffset = 1;
inline constexpr size_t kSerialNumberOffset = 2;

class IdentityWrites {
public:
    explicit IdentityWrites(CommandChannel channel) : channel_(channel) {}

    // Serial number little-endian at bytes 2..5; true when bytes 2..7 read back as sent (the
    // two bytes after the number are sent as 0xFF).
    bool writeSerialNumber(uint32_t serial);
    // Hardware version at byte 1; true when it reads back as sent.
    bool writeHardwareVersion(uint8_t version);

private:
    // Prepares the flash, checks its ID, writes a 0xFF page carrying `field` at `offset` and
    // returns the sent and read-back pages; nullopt when the ID is unknown or a transfer failed.
    struct Exchange {
        FlashPage sent;
        FlashPage readBack;
    };
    std::optional<Exchange> writeField(size_t offset, std::span<const uint8_t> field);

    CommandChannel channel_;
};

}  // namespace zel::devlink
