#include "TraceSaveJob.h"

#include "FileTextSink.h"
#include "trace/TraceTextWriter.h"

#include <algorithm>
#include <cstdio>

namespace zel::gui::trace {
namespace {

// Records written between two looks at the stop flag and the progress.
constexpr std::size_t kChunkBytes = 0x10000;

int permilleOf(std::size_t done, std::size_t total) {
    return total == 0 ? 1000 : static_cast<int>(done * 1000 / total);
}

}  // namespace

TraceSaveJob::TraceSaveJob(CapturedTrace trace, zel::trace::DecodeContext context, std::filesystem::path file)
    : trace_(std::move(trace)), context_(context), file_(std::move(file)) {}

TraceSaveJob::TraceSaveJob(std::shared_ptr<const zel::trace::FilteredTrace> result, zel::trace::DecodeContext context,
                           std::filesystem::path file)
    : result_(std::move(result)), context_(context), file_(std::move(file)) {}

TraceSaveJob::~TraceSaveJob() {
    requestStop();
    join();
}

void TraceSaveJob::start() {
    running_.store(true, std::memory_order_release);
    thread_ = std::thread([this] { run(); });
}

void TraceSaveJob::join() {
    if (thread_.joinable()) thread_.join();
}

std::string TraceSaveJob::progressText() const {
    const int value = permille();
    char text[16];
    std::snprintf(text, sizeof text, "%d.%d%%", value / 10, value % 10);
    return text;
}

void TraceSaveJob::run() {
    FileTextSink sink(file_);
    if (sink.open()) {
        if (result_)
            writeResultText(sink);
        else
            writeFull(sink);
    }
    sink.close();
    succeeded_ = !sink.failed() && !cut_;
    outcome_ = sink.failed() ? sink.problem() : cut_ ? "Save Log Stopped." : "Save Log Complete!";
    running_.store(false, std::memory_order_release);
}

void TraceSaveJob::writeFull(zel::trace::TextSink& sink) {
    const auto bytes = trace_.bytes();
    zel::trace::TraceTextWriter writer(zel::trace::WriterKind::FullTrace, context_, sink);
    writer.writeHeader();
    std::size_t at = 0;
    while (at < bytes.size() && !stopRequested()) {
        const std::size_t n = std::min(kChunkBytes, bytes.size() - at);
        writer.feed(bytes.subspan(at, n));
        writer.flush();
        at += n;
        permille_.store(permilleOf(at, bytes.size()), std::memory_order_relaxed);
    }
    cut_ = at < bytes.size();
    writer.flush();
}

void TraceSaveJob::writeResultText(zel::trace::TextSink& sink) {
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
        permille_.store(permilleOf(first, count), std::memory_order_relaxed);
    }
    cut_ = first < count;
    writer.flush();
}

}  // namespace zel::gui::trace
