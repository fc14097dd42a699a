// One pass over a captured trace that finds every transaction (timestamp record) and the
// addressing mode each one is decoded in, so that any page can be shown, filtered or written
// without walking the records before it.
//
// Transaction numbers are the CNT column: the 1-based ordinal of a transaction's timestamp record
// in the buffer. Number 0 stands for records before the first timestamp record.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "trace/ChipFacts.h"

namespace zel::trace {

class TransactionIndex {
public:
    TransactionIndex() = default;
    // `records` is the captured buffer (a partial record at its end is ignored). At most 2^32 - 1
    // records are indexed.
    static TransactionIndex build(std::span<const std::uint8_t> records, const ChipFacts& chip);

    std::size_t recordCount() const { return recordCount_; }
    std::size_t transactionCount() const { return stamps_.size(); }
    // Record index of the timestamp record of transaction `number` (1-based).
    std::size_t timestampRecord(std::size_t number) const { return stamps_[number - 1]; }
    // Records of transaction `number`: from its timestamp record up to the next one (or the end).
    std::size_t endRecord(std::size_t number) const {
        return number < stamps_.size() ? stamps_[number] : recordCount_;
    }
    // The transaction that record `record` belongs to (0 before the first timestamp record).
    std::size_t transactionAt(std::size_t record) const;
    // The addressing mode transaction `number` is decoded in; number 0: the power-up mode.
    bool fourByteMode(std::size_t number) const {
        return number == 0 ? powerUpFourByte_ : fourByte_[number - 1];
    }
    // Whether transaction `number` has a command record (a timestamp record may stand alone).
    bool hasCommand(std::size_t number) const { return hasCommand_[number - 1]; }

private:
    std::vector<std::uint32_t> stamps_;
    std::vector<bool> fourByte_;
    std::vector<bool> hasCommand_;
    std::size_t recordCount_ = 0;
    bool powerUpFourByte_ = false;
};

}  // namespace zel::trace
