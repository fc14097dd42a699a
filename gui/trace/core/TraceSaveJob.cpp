#include "TraceSaveJob.h"

#include "FileTextSink.h"
#include "trace/TraceTextWriter.h"

#include <algorithm>

namespace zel::gui::trace {
namespace {

// Records written between two looks at the stop flag and the progress.
constexpr std::size_t kChunkBytes = 0x10000;

}  // namespace

TraceSaveJob::TraceSaveJob(CapturedTrace trace, zel::trace::DecodeContext context, std::filesystem::path file)
    : trace_(std::move(trace)), context_(context), file_(std::move(file)) {}

TraceSaveJob::TraceSaveJob(std::shared_ptr<const zel::trace::FilteredTrace> result, zel::trace::DecodeContext context,
                           std::filesystem::path file)
    : result_(std::move(result)), context_(context), file_(std::move(file)) {}

TraceJob::Outcome TraceSaveJob::work() {
    FileTextSink sink(file_);
    bool whole = false;
    if (sink.open()) whole = result_ ? writeResultText(sink) : writeFull(sink);
    sink.close();
    if (sink.failed()) return {sink.problem(), false};
    return whole ? Outcome{"Save Log Complete!", true} : Outcome{"Save Log Stopped.", false};
}

bool TraceSaveJob::writeFull(zel::trace::TextSink& sink) {
    const auto bytes = trace_.bytes();
    zel::trace::TraceTextWriter writer(zel::trace::WriterKind::FullTrace, context_, sink);
    writer.writeHeader();
    std::size_t at = 0;
    while (at < bytes.size() && !stopRequested()) {
        const std::size_t n = std::min(kChunkBytes, bytes.size() - at);
        writer.feed(bytes.subspan(at, n));
        writer.flush();
        at += n;
        progress(at, bytes.size());
    }
    writer.flush();
    return at == bytes.size();
}

bool TraceSaveJob::writeResultText(zel::trace::TextSink& sink) {
    // One transaction at a time, as the core's result writer feeds it, so a stop ends it between.
    const std::span<const std::uint8_t> records(result_->records);
    const std::size_t count = zel::trace::recordCount(records);
    zel::trace::TraceTextWriter writer(zel::trace::WriterKind::Result, context_, sink);
    writer.writeHeader();
    std::size_t transaction = 0;
    std::size_t first = 0;
    while (first < count && !stopRequested()) {
        std::size_t end = first + 1;
        while (end < count && zel::trace::recordAt(records, end).recordClass() != zel::trace::RecordClass::Timestamp)
            ++end;
        if (zel::trace::recordAt(records, first).recordClass() == zel::trace::RecordClass::Timestamp &&
            transaction < result_->numbers.size()) {
            writer.nextTransaction(result_->numbers[transaction], result_->fourByte[transaction]);
            ++transaction;
        }
        writer.feed(records.subspan(first * zel::trace::kRecordSize, (end - first) * zel::trace::kRecordSize));
        first = end;
        progress(first, count);
    }
    writer.flush();
    return first == count;
}

}  // namespace zel::gui::trace
