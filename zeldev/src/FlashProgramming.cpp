#include "FlashProgramming.h"

#include <algorithm>
#include <vector>

#include "Identity.h"
#include "Limits.h"
#include "StatusPoll.h"
#include "VendorRequests.h"

namespace zel::zeldev {

namespace {

using requests::FlashBlock;
using requests::kFlashBlockSize;

// The image as whole 64-byte blocks, 0xFF beyond its end.
std::vector<FlashBlock> toBlocks(std::span<const uint8_t> image)
{
    std::vector<FlashBlock> blocks((image.size() + kFlashBlockSize - 1) / kFlashBlockSize);
    for (size_t i = 0; i < blocks.size(); ++i) {
        blocks[i].fill(0xFF);
        const auto part = image.subspan(i * kFlashBlockSize,
                                        std::min(kFlashBlockSize, image.size() - i * kFlashBlockSize));
        std::copy(part.begin(), part.end(), blocks[i].begin());
    }
    return blocks;
}

uint32_t blockAddress(size_t block) { return static_cast<uint32_t>(block * kFlashBlockSize); }

bool programFlashBlock(DeviceLink& link, uint32_t address, const FlashBlock& block)
{
    return requests::programSerialFlash(link, address, block) &&
           waitUntilIdle(link, requests::serialFlashStatus, kBlockPoll);
}

bool programBootBlock(DeviceLink& link, uint32_t offset, const FlashBlock& block)
{
    return requests::programBootMemory(link, static_cast<uint16_t>(offset), block) &&
           waitUntilIdle(link, requests::bootMemoryStatus, kBlockPoll);
}

bool serialFlashMatches(DeviceLink& link, const std::vector<FlashBlock>& blocks)
{
    for (size_t i = 0; i < blocks.size(); ++i) {
        const auto read = requests::readSerialFlash(link, blockAddress(i));
        if (!read || *read != blocks[i])
            return false;
    }
    return true;
}

bool bootMemoryMatches(DeviceLink& link, const std::vector<FlashBlock>& blocks)
{
    for (size_t i = 0; i < blocks.size(); ++i) {
        FlashBlock read{};
        if (!requests::readBootMemory(link, static_cast<uint16_t>(blockAddress(i)), read) ||
            read != blocks[i])
            return false;
    }
    return true;
}

}  // namespace

bool eraseSerialFlash(DeviceLink& link)
{
    return requests::eraseSerialFlash(link) &&
           waitUntilIdle(link, requests::serialFlashStatus, kErasePoll);
}

bool writeSerialFlashImage(DeviceLink& link, std::span<const uint8_t> image)
{
    if (image.empty() || image.size() > kMaxSerialFlashImage)
        return false;
    const auto blocks = toBlocks(image);
    if (!eraseSerialFlash(link))
        return false;
    for (size_t i = 0; i < blocks.size(); ++i) {
        if (!programFlashBlock(link, blockAddress(i), blocks[i]))
            return false;
    }
    return serialFlashMatches(link, blocks);
}

bool writeBootImage(DeviceLink& link, std::span<const uint8_t> image)
{
    if (image.empty() || image.size() > kMaxBootImage)
        return false;
    const auto blocks = toBlocks(image);
    constexpr size_t kHeldBack = 4;
    for (size_t i = 0; i < blocks.size(); ++i) {
        auto block = blocks[i];
        if (i == 0)
            std::fill_n(block.begin(), kHeldBack, 0xFF);
        if (!programBootBlock(link, blockAddress(i), block))
            return false;
    }
    if (!programBootBlock(link, 0, blocks[0]))
        return false;
    return bootMemoryMatches(link, blocks);
}

bool writeSerialNumber(DeviceLink& link, uint32_t serial)
{
    FlashBlock block;
    block.fill(0xFF);
    for (size_t i = 0; i < 4; ++i)
        block[kSerialNumberOffset + i] = static_cast<uint8_t>(serial >> (8 * i));
    return programFlashBlock(link, kIdentityBlockAddress, block);
}

}  // namespace zel::zeldev
