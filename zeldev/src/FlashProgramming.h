// Programming the on-board serial flash and the boot memory, 64 bytes per request, each block
// followed by a bounded wait for the device to finish, and verified by reading back.
#pragma once

#include <cstdint>
#include <span>

#include "DeviceLink.h"

namespace zel::zeldev {

// Erases the whole serial flash and waits (bounded) until it is idle.
bool eraseSerialFlash(DeviceLink& link);

// Erases, programs `image` (padded with 0xFF to whole blocks) from address 0 and compares the
// read-back. Refuses an empty image or one over 2 MiB without sending anything.
bool writeSerialFlashImage(DeviceLink& link, std::span<const uint8_t> image);

// Programs the boot memory with its first four bytes held back as 0xFF until every other
// byte is in, so a cut-short write never leaves a valid-looking boot image; then compares the
// read-back. Refuses an empty image or one over 16 KiB without sending anything.
bool writeBootImage(DeviceLink& link, std::span<const uint8_t> image);

// Programs the identity block at 0x1FFFC0: 0xFF with the serial number at the same offset
// that readSerialNumber reads.
bool writeSerialNumber(DeviceLink& link, uint32_t serial);

}  // namespace zel::zeldev
