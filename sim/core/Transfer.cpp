#include "core/Transfer.h"

#include <algorithm>

namespace zel::sim {

const char* logName(TransferStatus status) {
    switch (status) {
    case TransferStatus::Ok: return "ok";
    case TransferStatus::Stall: return "stall";
    case TransferStatus::Timeout: return "timeout";
    case TransferStatus::NotOpen: return "notopen";
    case TransferStatus::Bad: return "bad";
    }
    return "bad";
}

std::span<const uint8_t> erasedBlock() {
    static const std::vector<uint8_t> block(size_t{1} << 20, 0xFF);
    return block;
}

void InData::borrow(std::span<const uint8_t> bytes) {
    if (bytes.empty()) return;
    parts_.push_back(bytes);
    size_ += bytes.size();
}

void InData::copy(std::span<const uint8_t> bytes) {
    if (bytes.empty()) return;
    owned_.emplace_back(bytes.begin(), bytes.end());
    borrow(owned_.back());
}

void InData::fill(uint8_t value, uint64_t count) {
    if (value == 0xFF) {
        auto block = erasedBlock();
        while (count > 0) {
            auto n = std::min<uint64_t>(count, block.size());
            borrow(block.first(n));
            count -= n;
        }
        return;
    }
    while (count > 0) {
        auto n = std::min<uint64_t>(count, erasedBlock().size());
        owned_.emplace_back(n, value);
        borrow(owned_.back());
        count -= n;
    }
}

}  // namespace zel::sim
