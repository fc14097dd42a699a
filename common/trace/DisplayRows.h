// The list view's rows over any range of a captured trace: TIMESTAMP, CNT, CMD, ADDRESS, DATA.
// A pass may start anywhere; it steps back to the timestamp record of the transaction it starts
// in and takes that transaction's addressing mode and sequence from the index, so a page looks the
// same however the user got to it. A pass never reads past the records it is given.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "trace/TraceDecoding.h"
#include "trace/TransactionIndex.h"

namespace zel::trace {

struct TraceRow {
    enum class Kind : std::uint8_t {
        Transaction,  // a timestamp record: TIMESTAMP and CNT, then the command's cells
        DataLine,     // a further line of data (16 bytes per line): DATA only
        Separator,    // a sequence or fragment break: TIMESTAMP holds the star line, DATA the bytes
    };
    Kind kind = Kind::Transaction;
    std::string timestamp, count, command, address, data;
};

class DisplayPass {
public:
    static constexpr std::size_t kBytesPerLine = 16;
    // The star line of a break, as the list view and the writers show it.
    static constexpr const char* kSeparator = "\n********************************\n";

    DisplayPass(std::span<const std::uint8_t> records, const TransactionIndex& index, const DecodeContext& context)
        : records_(records), index_(index), context_(context) {}

    // Rows of the records [first, first + count) (count clamped to the buffer); `first` steps back
    // to its transaction's timestamp record, which then also counts towards `count`.
    void forEachRow(std::size_t first, std::size_t count, const std::function<void(const TraceRow&)>& row) const;
    std::vector<TraceRow> rows(std::size_t first, std::size_t count) const;

private:
    std::span<const std::uint8_t> records_;
    const TransactionIndex& index_;
    const DecodeContext& context_;
};

}  // namespace zel::trace
