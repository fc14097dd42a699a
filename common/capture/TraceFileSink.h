// The raw capture file as a capture sink: every record as the emulator delivered it, the file
// open-ended while the capture runs and given its record count when it finishes.
#pragma once

#include "RecordSink.h"
#include "trace/TraceFile.h"

#include <memory>
#include <vector>

namespace zel::capture {

class TraceFileSink final : public RecordSink {
public:
    // Nothing, with `problem` ("Error: ..."), when the file cannot be created.
    static std::unique_ptr<TraceFileSink> create(const std::filesystem::path& path, const trace::TraceFileInfo& info,
                                                 std::string& problem);

    bool write(std::span<const uint8_t> records) override { return writer_.append(records); }
    bool finish() override { return writer_.finish(); }
    std::string problem() const override { return "Error: " + writer_.lastError(); }
    uint64_t recordsWritten() const { return writer_.recordsWritten(); }

private:
    explicit TraceFileSink(trace::TraceFileWriter writer) : writer_(std::move(writer)) {}

    trace::TraceFileWriter writer_;
};

// Hands every record to each of several sinks, in order; the first failure is the problem.
class SinkChain final : public RecordSink {
public:
    void add(RecordSink& sink) { sinks_.push_back(&sink); }
    bool write(std::span<const uint8_t> records) override {
        for (auto* sink : sinks_)
            if (!sink->write(records)) return fail(*sink);
        return true;
    }
    void wrapped() override {
        for (auto* sink : sinks_) sink->wrapped();
    }
    bool finish() override {
        bool ok = true;
        for (auto* sink : sinks_)
            if (!sink->finish() && ok) ok = fail(*sink);
        return ok;
    }
    std::string problem() const override { return problem_; }

private:
    bool fail(const RecordSink& sink) {
        if (problem_.empty()) problem_ = sink.problem();
        return false;
    }
    std::vector<RecordSink*> sinks_;
    std::string problem_;
};

}  // namespace zel::capture
