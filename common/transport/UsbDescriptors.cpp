#include "transport/UsbDescriptors.h"

namespace zel::transport {
namespace {

constexpr uint8_t kDeviceDescriptorType = 1;
constexpr uint8_t kInterfaceDescriptorType = 4;
constexpr uint8_t kEndpointDescriptorType = 5;
constexpr size_t kDeviceDescriptorLength = 18;
constexpr size_t kInterfaceDescriptorLength = 9;
constexpr size_t kEndpointDescriptorLength = 7;

uint16_t littleEndian16(std::span<const uint8_t> bytes, size_t offset) {
    return static_cast<uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

}  // namespace

std::optional<UsbIdentity> parseDeviceIdentity(std::span<const uint8_t> deviceDescriptor) {
    if (deviceDescriptor.size() < kDeviceDescriptorLength || deviceDescriptor[1] != kDeviceDescriptorType) {
        return std::nullopt;
    }
    return UsbIdentity{littleEndian16(deviceDescriptor, 8), littleEndian16(deviceDescriptor, 10)};
}

std::vector<EndpointInfo> parseInterfaceEndpoints(std::span<const uint8_t> configDescriptor) {
    std::vector<EndpointInfo> endpoints;
    bool inWantedSetting = false;
    size_t offset = 0;
    while (offset + 2 <= configDescriptor.size()) {
        const size_t length = configDescriptor[offset];
        const uint8_t type = configDescriptor[offset + 1];
        if (length < 2 || offset + length > configDescriptor.size()) break;
        auto descriptor = configDescriptor.subspan(offset, length);
        if (type == kInterfaceDescriptorType && length >= kInterfaceDescriptorLength) {
            inWantedSetting = descriptor[2] == 0 && descriptor[3] == 0;  // interface 0, alternate 0
        } else if (type == kEndpointDescriptorType && length >= kEndpointDescriptorLength && inWantedSetting) {
            endpoints.push_back({descriptor[2], static_cast<EndpointType>(descriptor[3] & 0x03),
                                 littleEndian16(descriptor, 4)});
        }
        offset += length;
    }
    return endpoints;
}

}  // namespace zel::transport
