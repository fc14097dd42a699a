#include "DeviceMemory.h"

#include "TransferFailure.h"
#include "ZelmorProDll.h"

#include <climits>

namespace zel::api {

DeviceMemory::DeviceMemory(size_t device, uint32_t targetBit)
    : device_(device <= INT_MAX ? static_cast<int>(device) : -1), targetBit_(targetBit)
{
}

bool DeviceMemory::describable(uint64_t offset, size_t length) const
{
    return offset <= 0x7FFFFFFF && length <= UINT32_MAX;
}

bool DeviceMemory::write(uint64_t offset, std::span<const uint8_t> data) const
{
    const bool written =
        describable(offset, data.size()) &&
        SendCommandToZelmorPro(ZELMOR_CMD_MEMORY_WRITE, reinterpret_cast<uintptr_t>(data.data()),
                               targetBit_ | static_cast<uint32_t>(offset), static_cast<uint32_t>(data.size()),
                               device_) != 0;
    if (!written)
        noteTransferFailure(kDeviceWriteFailed);
    return written;
}

bool DeviceMemory::read(uint64_t offset, std::span<uint8_t> into) const
{
    const bool read = describable(offset, into.size()) &&
                      SendCommandToZelmorPro(ZELMOR_CMD_MEMORY_READ, reinterpret_cast<uintptr_t>(into.data()),
                                             targetBit_ | static_cast<uint32_t>(offset),
                                             static_cast<uint32_t>(into.size()), device_) != 0;
    if (!read)
        noteTransferFailure(kDeviceReadFailed);
    return read;
}

}  // namespace zel::api
