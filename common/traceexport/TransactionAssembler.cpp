#include "TransactionAssembler.h"

#include <algorithm>

namespace zel::traceexport {
namespace {

constexpr size_t kRecord = 8;
constexpr uint8_t kStampMark = 0xFF, kEmptyMark = 0x00;

uint64_t stampTicks(const uint8_t* record) {
    uint64_t ticks = 0;
    for (int i = 2; i < 8; ++i) ticks = ticks << 8 | record[i];
    return ticks;
}

// Payload bytes of a command or continuation record: its valid bits rounded up to bytes.
size_t payloadBytes(const uint8_t* record) {
    const unsigned bits = record[1] & 0x3F;
    return std::min<size_t>((bits + 7) / 8, 6);
}

}  // namespace

void TransactionAssembler::add(std::span<const uint8_t> records) {
    for (size_t at = 0; at + kRecord <= records.size(); at += kRecord) {
        const uint8_t* record = records.data() + at;
        if (record[0] == kStampMark) {
            flush();
            ticks_ = stampTicks(record);
            open_ = true;
        } else if (record[0] != kEmptyMark) {
            bytes_.insert(bytes_.end(), record + 2, record + 2 + payloadBytes(record));
        }
    }
}

void TransactionAssembler::finish() { flush(); }

void TransactionAssembler::flush() {
    if (open_ && !bytes_.empty()) {
        ++transactions_;
        deliver_(ticks_, bytes_);
    }
    bytes_.clear();
    open_ = false;
}

}  // namespace zel::traceexport
