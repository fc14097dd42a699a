// One target's emulation memory on one emulator, reached through the device link's memory
// commands (0x55 write, 0xAA read). The target bit (bit 31) goes to the device with every
// address, on both generations. Without an active progress a call is one frame and one bulk
// transfer; with one, the range goes as several complete commands of at most 4 MiB, progress is
// reported after each and a cancel stops before the next, so no data phase is ever left open.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace zel::api {

class OperationProgress;

class DeviceMemory {
public:
    // `device` is the device index; one beyond the device link's slots fails every transfer.
    // `progress` (may be null) counts the bytes this memory moves.
    DeviceMemory(size_t device, uint32_t targetBit, OperationProgress* progress = nullptr);

    // Offsets are inside the target (below 2 GiB); lengths fit 32 bits. False when a transfer
    // failed or the operation was cancelled.
    bool write(uint64_t offset, std::span<const uint8_t> data) const;
    // False when the transfer failed, came back short or the operation was cancelled.
    bool read(uint64_t offset, std::span<uint8_t> into) const;

private:
    bool describable(uint64_t offset, size_t length) const;
    bool writeOnce(uint64_t offset, std::span<const uint8_t> data) const;
    bool readOnce(uint64_t offset, std::span<uint8_t> into) const;
    bool reported() const;
    template <class Bytes, class Transfer>
    bool inChunks(uint64_t offset, Bytes bytes, Transfer transfer) const;

    int device_;
    uint32_t targetBit_;
    OperationProgress* progress_;
};

}  // namespace zel::api
