// Erasing the on-board flash before new firmware is written. MCU firmware up to 2.8 only
// knows the whole-chip erase (which also clears the identity page and device data); newer
// firmware gets the 30 sectors below 0x1E0000 erased one by one, keeping the device data.
#pragma once

#include "CommandChannel.h"
#include "FirmwareProgress.h"

#include <chrono>
#include <cstdint>

namespace zel::devlink {

inline constexpr uint32_t kLastChipEraseFirmware = 0x02080000;  // MCU 2.8, as a version word
inline constexpr std::chrono::milliseconds kChipEraseWait{20000};
inline constexpr int kEraseStatusReads = 101;                    // the first and 100 more
inline constexpr uint32_t kUpdateSectorCount = 30;               // 0x000000 .. 0x1D0000

enum class EraseOutcome {
    Erased,           // every erase frame went out (a chip erase may still be running)
    NoVersion,        // the firmware version could not be read: nothing was erased
    TransferFailed,   // an erase frame failed; the flash may be partly erased
};

// Reads the firmware version, then erases by the method that firmware supports. The chip
// erase is followed by the fixed wait (scaled by the device's time scale) and at most 101
// status reads without delay; a status that never turns non-zero does not fail the erase.
// `progress` (may be null) hears a tick after every sector and through the chip-erase wait.
EraseOutcome eraseOnBoardFlash(CommandChannel channel, FirmwareProgress* progress = nullptr);

}  // namespace zel::devlink
