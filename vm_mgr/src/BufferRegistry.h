// Process-wide table of the buffers handed out by vm_alloc. Reads and writes hold a shared lock
// for the whole copy, so a buffer cannot be unmapped under a copy running on another thread. A
// buffer's mapping is shared by its table entry and any pins (ReadView): release() ends the entry,
// the memory is unmapped when the last holder lets go.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <shared_mutex>
#include <span>
#include <string>

namespace zel::vm {

// A length that does not fit the address space can never lie inside a buffer.
constexpr bool fitsAddressSpace(uint64_t length)
{
    if constexpr (sizeof(size_t) < sizeof(uint64_t))
        return length <= SIZE_MAX;
    return true;
}

// Bytes of one buffer and a hold on its mapping; no mapping when the range lies in no buffer.
struct PinnedRange {
    std::shared_ptr<const void> mapping;
    std::span<const uint8_t> bytes;
};

class BufferRegistry {
public:
    static BufferRegistry& instance();

    uint64_t allocate(uint64_t size);
    bool read(std::span<std::byte> destination, uint64_t address) const;
    bool write(uint64_t address, std::span<const std::byte> source);
    bool release(uint64_t handle);
    const char* describe(uint64_t address) const;
    PinnedRange pin(uint64_t address, uint64_t length) const;
    PinnedRange pinToEnd(uint64_t address) const;

private:
    struct Buffer {
        uint64_t size = 0;
        std::string name;
        std::shared_ptr<const void> mapping;  // unmaps when the last holder goes
    };
    using Table = std::map<uint64_t, Buffer>;

    // The buffer holding every byte of [address, address + length), or end().
    Table::const_iterator containing(uint64_t address, uint64_t length) const;
    PinnedRange pinned(Table::const_iterator buffer, uint64_t address, uint64_t length) const;

    mutable std::shared_mutex mutex_;
    Table buffers_;  // keyed by handle
};

}  // namespace zel::vm
