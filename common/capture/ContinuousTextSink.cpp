#include "ContinuousTextSink.h"

#include <algorithm>

namespace zel::capture {
namespace {

// Records decoded between two looks at the file's length: the text may pass the limit by
// about this much, as it did record by record before.
constexpr size_t kPieceBytes = 4096;

bool isTimestamp(const uint8_t* record) { return record[0] == 0xFF; }

}  // namespace

ContinuousTextSink::ContinuousTextSink(const trace::DecodeContext& context, std::filesystem::path first,
                                       RolloverFiles::Announce announce, uint64_t limit)
    : files_(std::move(first), std::move(announce), limit), writer_(trace::WriterKind::Continuous, context, files_) {}

bool ContinuousTextSink::open() {
    if (!files_.open()) return false;
    writer_.writeHeader();
    writer_.flush();
    return !files_.failed();
}

bool ContinuousTextSink::write(std::span<const uint8_t> records) {
    size_t at = 0;
    while (at < records.size() && !files_.failed()) {
        if (nextFileDue_) {
            size_t stamp = at;
            while (stamp < records.size() && !isTimestamp(records.data() + stamp)) stamp += trace::kRecordSize;
            writer_.feed(records.subspan(at, stamp - at));
            at = stamp;
            if (at == records.size() || !startNextFile()) break;
        }
        const size_t n = std::min(kPieceBytes, records.size() - at);
        writer_.feed(records.subspan(at, n));
        writer_.flush();
        at += n;
        nextFileDue_ = files_.full();
    }
    return !files_.failed();
}

bool ContinuousTextSink::startNextFile() {
    writer_.flush();
    if (!files_.next()) return false;
    writer_.writeHeader();
    nextFileDue_ = false;
    return true;
}

bool ContinuousTextSink::finish() {
    writer_.flush();
    return files_.close();
}

}  // namespace zel::capture
