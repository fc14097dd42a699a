// One target's emulation memory on one emulator, reached through the device link's memory
// commands (0x55 write, 0xAA read): one frame and one bulk transfer per call. The target bit
// (bit 31) goes to the device with every address, on both generations.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace zel::api {

class DeviceMemory {
public:
    // `device` is the device index; one beyond the device link's slots fails every transfer.
    DeviceMemory(size_t device, uint32_t targetBit);

    // Offsets are inside the target (below 2 GiB); lengths fit 32 bits.
    bool write(uint64_t offset, std::span<const uint8_t> data) const;
    // False when the transfer failed or came back short.
    bool read(uint64_t offset, std::span<uint8_t> into) const;

private:
    bool describable(uint64_t offset, size_t length) const;

    int device_;
    uint32_t targetBit_;
};

}  // namespace zel::api
