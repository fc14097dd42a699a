// Emulation memory transfer: one command frame (0x40 write, 0x41 read: address and length,
// big-endian) and one bulk transfer of the whole block. Bit 31 of the address selects the chip
// slot and is sent as given.
#pragma once

#include "CommandChannel.h"

#include <cstdint>
#include <span>

namespace zel::devlink {

class MemoryCommands {
public:
    explicit MemoryCommands(CommandChannel channel) : channel_(channel) {}

    // The frame, then the block (a zero-length block as a zero-length packet). A frame that
    // failed is not followed by data: the device would take the data for the next frame.
    bool write(uint32_t address, std::span<const uint8_t> data);
    // The frame, then the block read straight into `into`. False when either transfer failed
    // or the block came back short; `into` may then hold part of the data. Nothing is read for
    // an empty block.
    bool read(uint32_t address, std::span<uint8_t> into);

private:
    CommandChannel channel_;
};

}  // namespace zel::devlink
