// "Save Trace" and "Save Result" as a trace job: the full-trace text of a captured buffer or the
// result text of a filter, into a file the user chose. The outcome is "Save Log Complete!",
// "Save Log Stopped." (a stop cut the text short) or the "Error: ..." of the failed open, write
// or close.
#pragma once

#include "TraceCapture.h"
#include "TraceJob.h"
#include "trace/TraceDecoding.h"
#include "trace/TraceFilter.h"

#include <filesystem>
#include <memory>

namespace zel::gui::trace {

class TraceSaveJob final : public TraceJob {
public:
    // The full trace of `trace`; the context (and its tables) outlive the job.
    TraceSaveJob(CapturedTrace trace, zel::trace::DecodeContext context, std::filesystem::path file);
    // The result text of `result`.
    TraceSaveJob(std::shared_ptr<const zel::trace::FilteredTrace> result, zel::trace::DecodeContext context,
                 std::filesystem::path file);
    ~TraceSaveJob() override { endThread(); }

private:
    Outcome work() override;
    // Both return whether the text reached its end.
    bool writeFull(zel::trace::TextSink& sink);
    bool writeResultText(zel::trace::TextSink& sink);

    CapturedTrace trace_;
    std::shared_ptr<const zel::trace::FilteredTrace> result_;
    zel::trace::DecodeContext context_;
    std::filesystem::path file_;
};

}  // namespace zel::gui::trace
