// The USB identities of the emulator: the current design (driven by command frames, devlink/) and
// the earlier design (zeldev/). Presence counts both as emulators and nothing else.
#pragma once

#include <cstdint>

#include "device/DeviceFacts.h"

namespace zel::session::presence {

inline constexpr std::uint16_t kEmulatorVendorId = device::kUsbVendorId;
inline constexpr std::uint16_t kEmulatorProductIds[] = {device::kUsbProductId, device::kEarlierUsbProductId};

constexpr bool isEmulator(std::uint16_t vendorId, std::uint16_t productId)
{
    if (vendorId != kEmulatorVendorId)
        return false;
    for (std::uint16_t id : kEmulatorProductIds)
        if (id == productId)
            return true;
    return false;
}

}  // namespace zel::session::presence
