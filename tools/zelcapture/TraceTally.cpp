#include "TraceTally.h"

namespace zel::tools {
namespace {

constexpr uint8_t kNumberedRead = 0x0B;

bool isTimestamp(std::span<const uint8_t, 8> r) { return r[0] == 0xFF && r[1] == 0xFF; }

}  // namespace

void TraceTally::add(std::span<const uint8_t> records) {
    for (size_t at = 0; at + 8 <= records.size(); at += 8) {
        const std::span<const uint8_t, 8> record(records.data() + at, 8);
        ++records_;
        const bool stamp = isTimestamp(record);
        if (afterStamp_ && !stamp) command(record);  // a transaction's first record after its time stamp
        afterStamp_ = stamp;
    }
}

void TraceTally::command(std::span<const uint8_t, 8> record) {
    ++transactions_;
    if (opcodes_.size() < keepOpcodes_) opcodes_.push_back(record[2]);
    const uint8_t sequence = record[0];
    if (lastSequence_ && sequence != (*lastSequence_ >= 254 ? 1 : *lastSequence_ + 1)) ++sequenceGaps_;
    lastSequence_ = sequence;
    if (record[2] != kNumberedRead || (record[1] & 0x3F) < 40) return;  // opcode and four bytes
    const uint32_t number = uint32_t{record[3]} << 24 | uint32_t{record[4]} << 16 | uint32_t{record[5]} << 8 | record[6];
    if (lastNumber_ && number != *lastNumber_ + 1) ++numberGaps_;
    lastNumber_ = number;
}

}  // namespace zel::tools
