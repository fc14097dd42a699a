// What zelcapture learns from captured trace records while they stream in: the record and
// transaction counts, the first opcodes, and (for numbered streams) whether the sequence numbers
// and the numbers the target script put into each read arrive without a gap.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace zel::tools {

class TraceTally {
public:
    explicit TraceTally(size_t keepOpcodes) : keepOpcodes_(keepOpcodes) {}

    // Whole 8-byte records, in capture order.
    void add(std::span<const uint8_t> records);

    uint64_t records() const { return records_; }
    uint64_t transactions() const { return transactions_; }
    const std::vector<uint8_t>& firstOpcodes() const { return opcodes_; }
    // Numbered stream (`spi 0b{n}`): command records whose sequence number or number did not
    // follow the one before.
    uint64_t sequenceGaps() const { return sequenceGaps_; }
    uint64_t numberGaps() const { return numberGaps_; }
    std::optional<uint32_t> lastNumber() const { return lastNumber_; }

private:
    void command(std::span<const uint8_t, 8> record);

    size_t keepOpcodes_;
    uint64_t records_ = 0, transactions_ = 0, sequenceGaps_ = 0, numberGaps_ = 0;
    std::vector<uint8_t> opcodes_;
    bool afterStamp_ = false;
    std::optional<uint8_t> lastSequence_;
    std::optional<uint32_t> lastNumber_;
};

}  // namespace zel::tools
