#include "trace/TraceRecord.h"

#include <cinttypes>
#include <cstdio>

namespace zel::trace {

std::string formatTimestamp(std::uint64_t ticks) {
    char text[48];
    std::snprintf(text, sizeof text, "%" PRIu64 ".%08" PRIu64, ticks / kTicksPerSecond, ticks % kTicksPerSecond);
    return text;
}

RecordRole SequenceTracker::classify(RecordView record) {
    switch (record.recordClass()) {
    case RecordClass::Empty: return RecordRole::Skip;
    case RecordClass::Timestamp: return RecordRole::Timestamp;
    case RecordClass::Numbered: break;
    }
    const std::uint8_t sequence = record.sequence();
    const std::uint8_t fragment = record.fragment();
    // 254 is followed by 1: 0 and 255 are never sequence numbers.
    const unsigned expected = (expected_ == 254 && sequence == 1) ? 0 : expected_;
    RecordRole role;
    if (expected_ == 0 || sequence == expected + 1)
        role = fragment == 0 ? RecordRole::Command : RecordRole::Broken;
    else if (sequence == expected_ && fragment == ((fragment_ + 1) & 3))
        role = RecordRole::Continuation;
    else
        role = RecordRole::Broken;
    expected_ = sequence;
    fragment_ = fragment;
    return role;
}

}  // namespace zel::trace
