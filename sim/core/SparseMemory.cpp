#include "core/SparseMemory.h"

#include <algorithm>
#include <cstring>

namespace zel::sim {

SparseMemory::SparseMemory(uint64_t size)
    : size_(size), blocks_((size + kBlockSize - 1) / kBlockSize) {}

uint8_t* SparseMemory::blockFor(uint64_t index) {
    auto& block = blocks_[index];
    if (!block) {
        block = std::make_unique_for_overwrite<uint8_t[]>(kBlockSize);
        std::memset(block.get(), 0xFF, kBlockSize);
    }
    return block.get();
}

bool SparseMemory::writeFrom(uint64_t address, uint64_t length, OutData& data) {
    while (length > 0) {
        auto offset = address % kBlockSize;
        auto n = std::min(length, kBlockSize - offset);
        if (!data.read(std::span(blockFor(address / kBlockSize) + offset, n))) return false;
        address += n;
        length -= n;
    }
    return true;
}

void SparseMemory::write(uint64_t address, std::span<const uint8_t> bytes) {
    while (!bytes.empty()) {
        auto offset = address % kBlockSize;
        auto n = std::min<uint64_t>(bytes.size(), kBlockSize - offset);
        std::memcpy(blockFor(address / kBlockSize) + offset, bytes.data(), n);
        address += n;
        bytes = bytes.subspan(n);
    }
}

void SparseMemory::fill(uint64_t address, uint64_t length, uint8_t value) {
    while (length > 0) {
        auto offset = address % kBlockSize;
        auto n = std::min(length, kBlockSize - offset);
        std::memset(blockFor(address / kBlockSize) + offset, value, n);
        address += n;
        length -= n;
    }
}

void SparseMemory::read(uint64_t address, std::span<uint8_t> into) const {
    while (!into.empty()) {
        auto offset = address % kBlockSize;
        auto n = std::min<uint64_t>(into.size(), kBlockSize - offset);
        const auto& block = blocks_[address / kBlockSize];
        if (block) std::memcpy(into.data(), block.get() + offset, n);
        else std::memset(into.data(), 0xFF, n);
        address += n;
        into = into.subspan(n);
    }
}

void SparseMemory::appendTo(uint64_t address, uint64_t length, InData& reply) const {
    while (length > 0) {
        auto offset = address % kBlockSize;
        auto n = std::min(length, kBlockSize - offset);
        const auto& block = blocks_[address / kBlockSize];
        if (block) reply.borrow(std::span<const uint8_t>(block.get() + offset, n));
        else reply.fill(0xFF, n);
        address += n;
        length -= n;
    }
}

void SparseMemory::clear() {
    for (auto& block : blocks_) block.reset();
}

uint64_t SparseMemory::allocatedBytes() const {
    return kBlockSize * static_cast<uint64_t>(std::count_if(blocks_.begin(), blocks_.end(),
                                                            [](const auto& b) { return b != nullptr; }));
}

}  // namespace zel::sim
