// Range arithmetic of download, verify and read-back, in 64 bits so that no sum of a 32-bit
// offset and a 32-bit length can wrap.
#pragma once

#include <algorithm>
#include <cstdint>

namespace zel::api {

// The result byte of download, verify and read-back.
enum class TransferResult : uint8_t {
    Failed = 0,       // a transfer failed, the source or destination cannot hold the range, or a difference
    Done = 1,
    BeyondChip = 2,   // the start (for a read-back: the range) lies beyond the chip
    PastChipEnd = 3,  // the data would run past the chip end and truncation was not asked for
};

// Emulation memory is rewritten in whole blocks of this size when a download keeps the rest.
inline constexpr uint64_t kBlockSize = 0x100000;

constexpr uint64_t roundDown(uint64_t value, uint64_t unit) { return value - value % unit; }
constexpr uint64_t roundUp(uint64_t value, uint64_t unit) { return roundDown(value + unit - 1, unit); }

// Bit 31 of an address selects the target (chip slot); the rest is the offset inside it.
struct TargetAddress {
    static constexpr uint32_t kTargetBit = 0x80000000;

    explicit TargetAddress(uint32_t address) : targetBit(address & kTargetBit), offset(address & ~kTargetBit) {}

    unsigned target() const { return targetBit != 0 ? 1 : 0; }

    uint32_t targetBit;
    uint64_t offset;
};

// What a range check allows: `count` bytes when the result is Done, else nothing.
struct RangeCheck {
    TransferResult result = TransferResult::Done;
    uint64_t count = 0;

    bool allowed() const { return result == TransferResult::Done; }
};

// Download: 2 when the start lies at or beyond the chip end; 3 when the data run past it
// without truncation; with truncation the count stops at the chip end.
constexpr RangeCheck checkDownload(uint64_t offset, uint32_t length, uint64_t chipSize, bool truncate)
{
    if (offset >= chipSize)
        return {TransferResult::BeyondChip};
    if (!truncate && offset + length > chipSize)
        return {TransferResult::PastChipEnd};
    return {TransferResult::Done, std::min<uint64_t>(length, chipSize - offset)};
}

// Verify: 2 when the start lies at or beyond the chip end; otherwise the bytes up to the chip
// end are compared, so that a truncated download verifies.
constexpr RangeCheck checkVerify(uint64_t offset, uint32_t length, uint64_t chipSize)
{
    if (offset >= chipSize)
        return {TransferResult::BeyondChip};
    return {TransferResult::Done, std::min<uint64_t>(length, chipSize - offset)};
}

// Read-back: 2 unless the whole range lies inside the chip (an empty range at the chip end does,
// and reads nothing); always 2 while no chip is set.
constexpr RangeCheck checkReadBack(uint64_t offset, uint32_t length, uint64_t chipSize)
{
    if (chipSize == 0 || offset + length > chipSize)
        return {TransferResult::BeyondChip};
    return {TransferResult::Done, length};
}

// The memory a keep-content download of [offset, offset + count) rewrites: the whole blocks it
// touches, cut at the chip end (a chip smaller than a block is one short block). A first or last
// block the data cover only partly is read first, so that its other bytes are written back
// unchanged; a download that covers its blocks whole reads nothing.
struct BlockSpan {
    uint64_t start = 0;
    uint64_t end = 0;
    bool readHead = false;  // [start, min(start + block, end))
    bool readTail = false;  // [lastBlock, end)
    uint64_t lastBlock = 0;

    uint64_t length() const { return end - start; }
    bool aligned() const { return !readHead && !readTail; }
};

constexpr BlockSpan blocksOf(uint64_t offset, uint64_t count, uint64_t chipSize)
{
    BlockSpan span;
    const uint64_t stop = offset + count;
    span.start = roundDown(offset, kBlockSize);
    span.end = std::min(roundUp(stop, kBlockSize), std::max(chipSize, stop));
    span.readHead = offset > span.start;
    span.readTail = stop < span.end;
    span.lastBlock = roundDown(stop, kBlockSize);
    return span;
}

}  // namespace zel::api
