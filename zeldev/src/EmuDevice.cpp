#include "EmuDevice.h"

#include <array>

#include "StringDescriptor.h"

namespace zel::zeldev {

namespace {

constexpr uint8_t kGetDescriptor = 6;
constexpr uint16_t kConfigurationDescriptor = 0x0200;
constexpr size_t kConfigurationDescriptorLength = 46;
constexpr uint16_t kProductStringDescriptor = 0x0302;
constexpr uint16_t kLanguageEnglishUs = 0x0409;
constexpr size_t kNameDescriptorLength = 32;

}  // namespace

CEmuDevice::CEmuDevice(SlotTable& slots) : slots_(slots)
{
    enumerate();
    readName();
}

uint32_t CEmuDevice::enumerate()
{
    const auto count = slots_.fill();
    for (size_t i = 0; i < kSlotCount; ++i) {
        if (auto* slot = slots_.usable(i)) {
            DeviceLink device(*slot->handle, slot->pipes, control_);
            std::array<uint8_t, kConfigurationDescriptorLength> descriptor{};
            device.standardIn(kGetDescriptor, kConfigurationDescriptor, 0, descriptor);
        }
    }
    return count;
}

void CEmuDevice::readName()
{
    name_.clear();
    auto device = link();
    if (!device)
        return;
    std::array<uint8_t, kNameDescriptorLength> descriptor{};
    const auto received =
        device->standardIn(kGetDescriptor, kProductStringDescriptor, kLanguageEnglishUs, descriptor);
    if (received)
        name_ = descriptorText(std::span(descriptor).first(*received));
}

std::optional<DeviceLink> CEmuDevice::link()
{
    auto* slot = slots_.usable(0);
    if (!slot)
        return std::nullopt;
    return DeviceLink(*slot->handle, slot->pipes, control_);
}

}  // namespace zel::zeldev
