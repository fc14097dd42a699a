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
inline constexpr uint32_t kFlashSectorSize = 0x10000;

// The only two parts the emulator is built with; anything else is not written to.
inline constexpr uint32_t kFlashJedecIdA = 0x202015;
inline constexpr uint32_t kFlashJedecIdB = 0xEF4015;
inline bool isKnownFlashId(std::optional<uint32_t> id) { return id == kFlashJedecIdA || id == kFlashJedecIdB; }

class OnBoardFlashCommands {
public:
    explicit OnBoardFlashCommands(CommandChannel channel) : channel_(channel) {}

    // The 3-byte JEDEC ID; nullopt when it could not be read.
    std::optional<uint32_t> readJedecId();
    // Reads the page at a 24-bit address; false when the frame failed or the page came back
    // incomplete (the page may then hold part of the data).
    bool readPage(uint32_t address, std::span<uint8_t, kFlashPageSize> page);
    // Programs the page at a 24-bit address (bits only clear). No data follows a frame that
    // failed: the device would take the data for the next frame.
    bool writePage(uint32_t address, std::span<const uint8_t, kFlashPageSize> page);
    // Opcode 0x36: the device must hear it before it programs or erases.
    bool prepareForWrite();
    // Erases the 64 KiB sector holding the 24-bit address.
    bool eraseSector(uint32_t address);
    // Starts erasing the whole chip (identity page included); the device is busy for seconds.
    bool eraseChip();
    // The erase status byte: 0 while a chip erase runs. 0 too when it could not be read.
    uint8_t eraseStatus();

private:
    CommandChannel channel_;
};

}  // namespace zel::devlink
