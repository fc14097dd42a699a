#include "DeviceLink.h"

#include <limits>
#include <vector>

namespace zel::zeldev {

std::optional<size_t> DeviceLink::control(std::span<uint8_t> data)
{
    if (data.size() > std::numeric_limits<uint16_t>::max())
        return std::nullopt;
    const auto setup = control_.buildSetup(static_cast<uint16_t>(data.size()));
    const auto result = handle_.control(setup, data);
    if (!result.ok)
        return std::nullopt;
    return result.transferred;
}

bool DeviceLink::vendorIn(Recipient recipient, uint8_t request, uint16_t value, uint16_t index,
                          std::span<uint8_t> data)
{
    control_.recipient = recipient;
    control_.type = RequestType::Vendor;
    control_.direction = Direction::In;
    control_.request = request;
    control_.value = value;
    control_.index = index;
    const auto moved = control(data);
    return moved && *moved == data.size();
}

bool DeviceLink::vendorOut(Recipient recipient, uint8_t request, uint16_t value, uint16_t index,
                           std::span<const uint8_t> data)
{
    control_.recipient = recipient;
    control_.type = RequestType::Vendor;
    control_.direction = Direction::Out;
    control_.request = request;
    control_.value = value;
    control_.index = index;
    // The transport takes a mutable span for both directions; never hand it the caller's data.
    std::vector<uint8_t> copy(data.begin(), data.end());
    const auto moved = control(copy);
    return moved && *moved == data.size();
}

std::optional<size_t> DeviceLink::standardIn(uint8_t request, uint16_t value, uint16_t index,
                                             std::span<uint8_t> data)
{
    control_.recipient = Recipient::Device;
    control_.type = RequestType::Standard;
    control_.direction = Direction::In;
    control_.request = request;
    control_.value = value;
    control_.index = index;
    const auto moved = control(data);
    if (moved && *moved > data.size())
        return std::nullopt;
    return moved;
}

bool DeviceLink::bulkWrite(std::span<const uint8_t> data)
{
    if (pipes_.bulkOut.empty())
        return false;
    return handle_.bulkOut(pipes_.bulkOut.front(), data).complete(data.size());
}

bool DeviceLink::bulkRead(std::span<uint8_t> data)
{
    if (pipes_.bulkIn.empty())
        return false;
    return handle_.bulkIn(pipes_.bulkIn.front(), data).complete(data.size());
}

void DeviceLink::pause(std::chrono::milliseconds wait) const
{
    transport::scaledSleep(handle_, wait);
}

}  // namespace zel::zeldev
