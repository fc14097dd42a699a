#include "target/SlotMemory.h"

#include <algorithm>
#include <cstring>

namespace zel::sim::target {
namespace {

// Bytes already in hand, offered to EmulationMemory::write as a transfer's data would be.
class BytesOutData final : public OutData {
public:
    explicit BytesOutData(std::span<const uint8_t> bytes) : bytes_(bytes) {}
    uint64_t size() const override { return bytes_.size(); }
    uint64_t consumed() const override { return consumed_; }
    bool read(std::span<uint8_t> into) override {
        if (into.size() > remaining()) return false;
        std::memcpy(into.data(), bytes_.data() + consumed_, into.size());
        consumed_ += into.size();
        return true;
    }
    bool skip(uint64_t count) override {
        if (count > remaining()) return false;
        consumed_ += count;
        return true;
    }

private:
    std::span<const uint8_t> bytes_;
    uint64_t consumed_ = 0;
};

}  // namespace

void SlotMemory::program(uint64_t offset, std::span<const uint8_t> bytes) const {
    auto merged = read(offset, bytes.size());
    std::transform(merged.begin(), merged.end(), bytes.begin(), merged.begin(), [](uint8_t old, uint8_t now) {
        return static_cast<uint8_t>(old & now);
    });
    BytesOutData data(merged);
    memory_.write({slot_, offset}, merged.size(), data);
}

}  // namespace zel::sim::target
