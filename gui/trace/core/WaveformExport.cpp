#include "WaveformExport.h"

#include "TraceExport.h"
#include "trace/TraceFile.h"

#include <unistd.h>

namespace zel::gui::trace {

WaveformExportJob::WaveformExportJob(CapturedTrace trace, zel::trace::DecodeContext context,
                                     std::filesystem::path output)
    : trace_(std::move(trace)), context_(context), output_(std::move(output)) {}

TraceJob::Outcome WaveformExportJob::work() {
    const auto format = traceexport::formatFor(output_);
    if (!format) return {"Error: " + output_.string() + ": export names a .sr or .vcd file", false};
    const auto raw = std::filesystem::path(output_).concat(".capture." + std::to_string(::getpid()));
    zel::trace::TraceFileInfo info;
    info.chip = context_.chip;
    info.model = context_.model;
    if (const auto problem = zel::trace::writeTraceFile(raw, info, trace_.bytes())) {
        std::error_code ignored;
        std::filesystem::remove(raw, ignored);
        return {"Error: " + *problem, false};
    }
    traceexport::ExportRequest request;
    request.input = raw;
    request.output = output_;
    request.format = *format;
    request.progress = [this](uint64_t read, uint64_t total) {
        progress(read, total);
        return !stopRequested();
    };
    const auto result = traceexport::exportTrace(request, context_.commands, context_.io);
    std::error_code ignored;
    std::filesystem::remove(raw, ignored);
    if (result.stopped) return {"Export Stopped.", false};
    if (!result.ok) return {result.problem, false};
    return {"Export Complete: " + std::to_string(result.samples) + " samples", true};
}

}  // namespace zel::gui::trace
