#include "MemoryTransfer.h"

#include <algorithm>

#include "Limits.h"
#include "VendorRequests.h"

namespace zel::zeldev {

namespace {

size_t roundUpToBlocks(size_t length)
{
    return (length + kMemoryBlockSize - 1) / kMemoryBlockSize * kMemoryBlockSize;
}

bool acceptableLength(size_t length)
{
    return length > 0 && length <= kMaxMemoryTransfer;
}

// One bracketed write of the padded data at one address.
bool writeOnce(DeviceLink& link, uint32_t address, std::span<const uint8_t> data)
{
    std::vector<uint8_t> padded(roundUpToBlocks(data.size()), 0xFF);
    std::copy(data.begin(), data.end(), padded.begin());
    const auto blocks = static_cast<uint16_t>(padded.size() / kMemoryBlockSize);

    if (!requests::endMemoryTransfer(link) || !requests::startMemoryWrite(link, address, blocks))
        return false;
    const bool written = link.bulkWrite(padded);
    // Ends the transfer even after a failed data phase, so the device is not left waiting.
    const bool ended = requests::endMemoryTransfer(link);
    return written && ended;
}

}  // namespace

std::vector<uint8_t> rotatedCopy(std::span<const uint8_t> data)
{
    std::vector<uint8_t> copy(data.begin(), data.end());
    if (!copy.empty())
        std::rotate(copy.begin(), copy.begin() + static_cast<ptrdiff_t>(kRotation % copy.size()),
                    copy.end());
    return copy;
}

bool writeMemory(DeviceLink& link, uint32_t address, std::span<const uint8_t> data)
{
    if (!acceptableLength(data.size()))
        return false;
    if (!writeOnce(link, address, data))
        return false;
    return writeOnce(link, kRotatedCopyAddress, rotatedCopy(data));
}

bool readMemory(DeviceLink& link, uint32_t address, std::span<uint8_t> out)
{
    if (!acceptableLength(out.size()))
        return false;
    std::vector<uint8_t> padded(roundUpToBlocks(out.size()));
    const auto blocks = static_cast<uint32_t>(padded.size() / kMemoryBlockSize);

    if (!requests::endMemoryTransfer(link) || !requests::startMemoryRead(link, address, blocks))
        return false;
    const bool read = link.bulkRead(padded);
    // The data in hand is whole even if ending the transfer fails.
    requests::endMemoryTransfer(link);
    if (!read)
        return false;
    std::copy_n(padded.begin(), out.size(), out.begin());
    return true;
}

}  // namespace zel::zeldev
