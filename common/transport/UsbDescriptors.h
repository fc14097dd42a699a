// Reading the raw standard descriptors that the simulator hands out with its hello payload.
#pragma once

#include "transport/Transport.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace zel::transport {

struct UsbIdentity {
    uint16_t vendorId = 0;
    uint16_t productId = 0;
};

// idVendor and idProduct of an 18-byte device descriptor; nullopt when it is not one.
std::optional<UsbIdentity> parseDeviceIdentity(std::span<const uint8_t> deviceDescriptor);

// The endpoints of interface 0, alternate setting 0, in descriptor order, from a whole
// configuration descriptor (configuration, interface, endpoint and class descriptors in a row).
// Stops quietly at a malformed descriptor.
std::vector<EndpointInfo> parseInterfaceEndpoints(std::span<const uint8_t> configDescriptor);

}  // namespace zel::transport
