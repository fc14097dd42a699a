// The emulator's on-board serial flash (firmware, bitstreams, identity page): 2 MiB,
// 256-byte pages, 64 KiB sectors.
#pragma once

#include "CommandChannel.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace zel::devlink {

inline constexpr size_t kFlashPageSize = 256;

class OnBoardFlashCommands {
public:
    explicit OnBoardFlashCommands(CommandChannel channel) : channel_(channel) {}

    // The 3-byte JEDEC ID; nullopt when it could not be read.
    std::optional<uint32_t> readJedecId();
    // Reads the page at a 24-bit address; false when the frame failed or the page came back
    // incomplete (the page may then hold part of the data).
    bool readPage(uint32_t address, std::span<uint8_t, kFlashPageSize> page);

private:
    CommandChannel channel_;
};

}  // namespace zel::devlink
