// Identity data kept in the on-board serial flash: serial number and hardware version.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "DeviceLink.h"

namespace zel::zeldev {

inline constexpr uint32_t kIdentityBlockAddress = 0x1FFFC0;
// The serial number's place in the identity block, for reading and writing alike (the device
// family reads it here, so a written number must land here too).
inline constexpr size_t kSerialNumberOffset = 50;
inline constexpr uint32_t kHardwareVersionAddress = 0x1FFFF1;

std::optional<uint32_t> readSerialNumber(DeviceLink& link);
std::optional<uint8_t> readHardwareVersion(DeviceLink& link);

}  // namespace zel::zeldev
