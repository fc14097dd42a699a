#include "WaveformExport.h"

#include "TraceExport.h"
#include "trace/TraceFile.h"

#include <unistd.h>

namespace zel::gui::trace {

std::string exportWaveform(const CapturedTrace& trace, const zel::trace::DecodeContext& context,
                           const std::filesystem::path& output) {
    const auto format = traceexport::formatFor(output);
    if (!format) return "Error: " + output.string() + ": export names a .sr or .vcd file";
    const auto raw = std::filesystem::path(output).concat(".capture." + std::to_string(::getpid()));
    zel::trace::TraceFileInfo info;
    info.chip = context.chip;
    info.model = context.model;
    if (const auto problem = zel::trace::writeTraceFile(raw, info, trace.bytes())) return "Error: " + *problem;
    traceexport::ExportRequest request;
    request.input = raw;
    request.output = output;
    request.format = *format;
    const auto result = traceexport::exportTrace(request, context.commands, context.io);
    std::error_code ignored;
    std::filesystem::remove(raw, ignored);
    if (!result.ok) return result.problem;
    return "Export Complete: " + std::to_string(result.samples) + " samples";
}

}  // namespace zel::gui::trace
