#include "DeviceMemory.h"

#include "ChunkSizer.h"
#include "OperationProgress.h"
#include "TransferFailure.h"
#include "ZelmorProDll.h"

#include <chrono>
#include <climits>

namespace zel::api {

DeviceMemory::DeviceMemory(size_t device, uint32_t targetBit, OperationProgress* progress)
    : device_(device <= INT_MAX ? static_cast<int>(device) : -1), targetBit_(targetBit), progress_(progress)
{
}

bool DeviceMemory::describable(uint64_t offset, size_t length) const
{
    return offset <= 0x7FFFFFFF && length <= UINT32_MAX;
}

bool DeviceMemory::reported() const
{
    return progress_ != nullptr && progress_->active();
}

bool DeviceMemory::write(uint64_t offset, std::span<const uint8_t> data) const
{
    if (!reported())
        return writeOnce(offset, data);
    return inChunks(offset, data, [this](uint64_t at, auto part) { return writeOnce(at, part); });
}

bool DeviceMemory::read(uint64_t offset, std::span<uint8_t> into) const
{
    if (!reported())
        return readOnce(offset, into);
    return inChunks(offset, into, [this](uint64_t at, auto part) { return readOnce(at, part); });
}

// Each chunk is a whole command (frame and its complete data phase), sized to the link's pace.
template <class Bytes, class Transfer>
bool DeviceMemory::inChunks(uint64_t offset, Bytes bytes, Transfer transfer) const
{
    ChunkSizer sizer;
    if (bytes.empty())
        return progress_->proceed() && transfer(offset, bytes);
    for (uint64_t at = 0; at < bytes.size();) {
        if (!progress_->proceed())
            return false;
        const auto part = bytes.subspan(at, sizer.next(bytes.size() - at));
        const auto start = std::chrono::steady_clock::now();
        if (!transfer(offset + at, part))
            return false;
        sizer.measured(part.size(), std::chrono::steady_clock::now() - start);
        at += part.size();
        if (!progress_->advance(part.size()))
            return false;
    }
    return true;
}

bool DeviceMemory::writeOnce(uint64_t offset, std::span<const uint8_t> data) const
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

bool DeviceMemory::readOnce(uint64_t offset, std::span<uint8_t> into) const
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
