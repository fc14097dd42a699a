// The USB device list the polling source compares, behind an interface so that the comparison
// can be tested with a scripted list.
#pragma once

#include <compare>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace zel::session::presence {

// One attached device: its identity and where it sits. A device that is unplugged and plugged in
// again between two looks comes back at a new address.
struct UsbDeviceAddress {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::uint8_t bus = 0;
    std::uint8_t address = 0;

    auto operator<=>(const UsbDeviceAddress&) const = default;
};

class UsbDeviceLister {
public:
    virtual ~UsbDeviceLister() = default;
    // Every attached USB device; nullopt when the list cannot be read now.
    virtual std::optional<std::vector<UsbDeviceAddress>> list() = 0;
};

// The list libusb gives, from a libusb context of its own.
std::unique_ptr<UsbDeviceLister> makeLibusbDeviceLister();

}  // namespace zel::session::presence
