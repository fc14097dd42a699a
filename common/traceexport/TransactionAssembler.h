// Captured records back into transactions for the waveform exports: a timestamp record starts
// one, its command and continuation records add their valid payload bytes in order (the opcode
// first), empty records are skipped. A sequence break needs no handling here: the bytes that did
// arrive are drawn as they came.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace zel::traceexport {

class TransactionAssembler {
public:
    using Deliver = std::function<void(uint64_t ticks, std::span<const uint8_t> bytes)>;

    explicit TransactionAssembler(Deliver deliver) : deliver_(std::move(deliver)) {}

    // Whole 8-byte records in capture order, in pieces of any size.
    void add(std::span<const uint8_t> records);
    // Delivers the last transaction.
    void finish();
    uint64_t transactions() const { return transactions_; }

private:
    void flush();

    Deliver deliver_;
    std::vector<uint8_t> bytes_;
    uint64_t ticks_ = 0;
    bool open_ = false;
    uint64_t transactions_ = 0;
};

}  // namespace zel::traceexport
