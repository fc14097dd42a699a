#include "Identity.h"

#include "VendorRequests.h"

namespace zel::zeldev {

std::optional<uint32_t> readSerialNumber(DeviceLink& link)
{
    // The flash ID is asked first, as the device family expects; its answer is not needed.
    requests::serialFlashId(link);
    const auto block = requests::readSerialFlash(link, kIdentityBlockAddress);
    if (!block)
        return std::nullopt;
    uint32_t serial = 0;
    for (size_t i = 0; i < 4; ++i)
        serial |= static_cast<uint32_t>((*block)[kSerialNumberOffset + i]) << (8 * i);
    return serial;
}

std::optional<uint8_t> readHardwareVersion(DeviceLink& link)
{
    const auto block = requests::readSerialFlash(link, kHardwareVersionAddress);
    if (!block)
        return std::nullopt;
    return (*block)[0];
}

}  // namespace zel::zeldev
