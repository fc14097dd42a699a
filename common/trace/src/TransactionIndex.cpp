#include "trace/TransactionIndex.h"

#include <algorithm>
#include <limits>

#include "trace/AddressMode.h"
#include "trace/TraceRecord.h"

namespace zel::trace {

TransactionIndex TransactionIndex::build(std::span<const std::uint8_t> records, const ChipFacts& chip) {
    TransactionIndex index;
    index.recordCount_ = std::min<std::size_t>(trace::recordCount(records), std::numeric_limits<std::uint32_t>::max());
    index.powerUpFourByte_ = chip.fourByteAtPowerUp;
    AddressModeTracker mode(chip);
    bool afterStamp = false;
    const std::uint8_t* data = records.data();
    for (std::size_t i = 0; i < index.recordCount_; ++i) {
        const std::uint8_t first = data[i * kRecordSize];
        if (first == 0xFF) {
            index.stamps_.push_back(static_cast<std::uint32_t>(i));
            index.fourByte_.push_back(mode.fourByte());
            index.hasCommand_.push_back(false);
            afterStamp = true;
        } else if (first != 0 && afterStamp) {
            // The first numbered record after a timestamp is the command, whatever its sequence
            // number says: a lost record does not undo a mode switch the chip saw.
            afterStamp = false;
            const RecordView command(data + i * kRecordSize);
            if (command.fragment() != 0) continue;
            index.hasCommand_.back() = true;
            mode.command(command.opcode());
        }
    }
    return index;
}

std::size_t TransactionIndex::transactionAt(std::size_t record) const {
    return static_cast<std::size_t>(std::upper_bound(stamps_.begin(), stamps_.end(), record) - stamps_.begin());
}

}  // namespace zel::trace
