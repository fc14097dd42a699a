#include "core/Descriptors.h"

#include <algorithm>

namespace zel::sim {
namespace {

constexpr uint8_t kGetStatus = 0, kClearFeature = 1, kSetFeature = 3, kGetDescriptor = 6,
                  kGetConfiguration = 8, kSetConfiguration = 9, kGetInterface = 10, kSetInterface = 11;
constexpr uint8_t kDeviceType = 1, kConfigurationType = 2, kStringType = 3, kInterfaceType = 4,
                  kEndpointType = 5;

void put16(std::vector<uint8_t>& out, uint16_t value) {
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

std::vector<uint8_t> stringDescriptor(const std::string& text) {
    std::vector<uint8_t> out{0, kStringType};
    for (char c : text) put16(out, static_cast<uint8_t>(c));  // names are ASCII
    out[0] = static_cast<uint8_t>(out.size());
    return out;
}

std::optional<std::vector<uint8_t>> descriptorFor(const UsbDescriptors& d, uint16_t value, uint16_t language) {
    const uint8_t type = value >> 8, index = value & 0xFF;
    if (type == kDeviceType && index == 0) return d.device;
    if (type == kConfigurationType && index == 0) return d.configuration;
    if (type != kStringType) return std::nullopt;
    if (index == 0) return std::vector<uint8_t>{4, kStringType, 0x09, 0x04};  // US English
    if (index == 1) return stringDescriptor(d.manufacturer);
    if (index == 2) return stringDescriptor(d.product);
    return std::nullopt;
}

}  // namespace

UsbDescriptors makeDescriptors(uint16_t vendorId, uint16_t productId, std::string manufacturer,
                               std::string product, const std::vector<EndpointDescriptor>& endpoints) {
    UsbDescriptors d;
    d.manufacturer = std::move(manufacturer);
    d.product = std::move(product);
    d.device = {18, kDeviceType, 0x00, 0x02, 0xFF, 0x00, 0x00, 64};
    put16(d.device, vendorId);
    put16(d.device, productId);
    put16(d.device, 0x0100);                 // bcdDevice
    d.device.insert(d.device.end(), {1, 2, 0, 1});  // manufacturer, product, no serial, 1 configuration

    auto& c = d.configuration;
    c = {9, kConfigurationType, 0, 0, 1, 1, 0, 0x80, 250};  // bus powered, 500 mA
    c.insert(c.end(), {9, kInterfaceType, 0, 0, static_cast<uint8_t>(endpoints.size()), 0xFF, 0x00, 0x00, 0});
    for (const auto& ep : endpoints) {
        c.insert(c.end(), {7, kEndpointType, ep.address, ep.attributes});
        put16(c, ep.maxPacketSize);
        c.push_back(ep.interval);
    }
    c[2] = static_cast<uint8_t>(c.size());
    c[3] = static_cast<uint8_t>(c.size() >> 8);
    return d;
}

std::optional<TransferStatus> answerStandardRequest(const UsbDescriptors& descriptors, const Setup& setup,
                                                    std::vector<uint8_t>& inData) {
    if (setup.type() != 0) return std::nullopt;
    auto reply = [&](std::vector<uint8_t> bytes) {
        bytes.resize(std::min<size_t>(bytes.size(), setup.length()));
        inData = std::move(bytes);
        return TransferStatus::Ok;
    };
    switch (setup.request()) {
    case kGetDescriptor:
        if (!setup.deviceToHost()) return TransferStatus::Stall;
        if (auto d = descriptorFor(descriptors, setup.value(), setup.index())) return reply(std::move(*d));
        return TransferStatus::Stall;
    case kGetStatus: return reply({0, 0});
    case kGetConfiguration: return reply({1});
    case kGetInterface: return reply({0});
    case kSetConfiguration:
    case kSetInterface:
    case kClearFeature:
    case kSetFeature: return TransferStatus::Ok;
    default: return TransferStatus::Stall;
    }
}

}  // namespace zel::sim
