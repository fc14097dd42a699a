// Process-wide table of the buffers handed out by vm_alloc. Reads and writes hold a shared lock
// for the whole copy, so a buffer cannot be unmapped under a copy running on another thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
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

class BufferRegistry {
public:
    static BufferRegistry& instance();

    uint64_t allocate(uint64_t size);
    bool read(std::span<std::byte> destination, uint64_t address) const;
    bool write(uint64_t address, std::span<const std::byte> source);
    bool release(uint64_t handle);
    const char* describe(uint64_t address) const;

private:
    struct Buffer {
        uint64_t size = 0;
        std::string name;
    };
    using Table = std::map<uint64_t, Buffer>;

    // The buffer holding every byte of [address, address + length), or end().
    Table::const_iterator containing(uint64_t address, uint64_t length) const;

    mutable std::shared_mutex mutex_;
    Table buffers_;  // keyed by handle
};

}  // namespace zel::vm
