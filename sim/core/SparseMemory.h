// Byte-addressable memory of a fixed size whose 1 MiB blocks are allocated on first write;
// untouched memory reads 0xFF. Large transfers are written in place and read without copying.
#pragma once

#include "core/Transfer.h"

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace zel::sim {

class SparseMemory {
public:
    static constexpr uint64_t kBlockSize = uint64_t{1} << 20;

    explicit SparseMemory(uint64_t size);

    uint64_t size() const { return size_; }
    // Writes the next `length` bytes of `data` at `address` (the range must lie inside), straight
    // into the blocks; false when the client went away part way.
    bool writeFrom(uint64_t address, uint64_t length, OutData& data);
    void write(uint64_t address, std::span<const uint8_t> bytes);
    // Sets [address, address + length) (inside the memory) to value.
    void fill(uint64_t address, uint64_t length, uint8_t value);
    void read(uint64_t address, std::span<uint8_t> into) const;
    // Appends [address, address + length) to a reply without copying.
    void appendTo(uint64_t address, uint64_t length, InData& reply) const;
    void clear();
    uint64_t allocatedBytes() const;

private:
    uint8_t* blockFor(uint64_t index);

    uint64_t size_;
    std::vector<std::unique_ptr<uint8_t[]>> blocks_;
};

}  // namespace zel::sim
