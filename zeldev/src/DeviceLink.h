// One usable device as the operations see it: its handle, its pipes and the instance's control
// request builder. Every transfer is single-attempt; a short transfer counts as failed.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>

#include "ControlEndPoint.h"
#include "SlotTable.h"

namespace zel::zeldev {

class DeviceLink {
public:
    DeviceLink(transport::DeviceHandle& handle, const Pipes& pipes, CCyControlEndPoint& control)
        : handle_(handle), pipes_(pipes), control_(control)
    {
    }

    // Vendor requests: true only when every byte of `data` was moved.
    bool vendorIn(Recipient recipient, uint8_t request, uint16_t value, uint16_t index,
                  std::span<uint8_t> data);
    bool vendorOut(Recipient recipient, uint8_t request, uint16_t value, uint16_t index,
                   std::span<const uint8_t> data = {});
    // Standard device-to-host request; the byte count moved, or nothing when it failed.
    std::optional<size_t> standardIn(uint8_t request, uint16_t value, uint16_t index,
                                     std::span<uint8_t> data);

    // Bulk transfers on the first bulk pipe of each direction; false without such a pipe.
    bool bulkWrite(std::span<const uint8_t> data);
    bool bulkRead(std::span<uint8_t> data);

    // A fixed host wait, scaled by the device's time scale.
    void pause(std::chrono::milliseconds wait) const;

private:
    std::optional<size_t> control(std::span<uint8_t> data);

    transport::DeviceHandle& handle_;
    const Pipes& pipes_;
    CCyControlEndPoint& control_;
};

}  // namespace zel::zeldev
