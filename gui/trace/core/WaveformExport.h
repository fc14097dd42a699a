// "Export..." as a trace job: the captured records as a waveform, a sigrok session (.sr) or a VCD
// file by the chosen name's extension. The exporter reads raw capture files, so the records go
// through one in the output's folder first, which is removed afterwards. The outcome is "Export
// Complete: N samples", "Export Stopped." (nothing is left) or the "Error: ..." line.
#pragma once

#include "TraceCapture.h"
#include "TraceJob.h"
#include "trace/TraceDecoding.h"

#include <filesystem>

namespace zel::gui::trace {

class WaveformExportJob final : public TraceJob {
public:
    // The context (and its tables) outlive the job.
    WaveformExportJob(CapturedTrace trace, zel::trace::DecodeContext context, std::filesystem::path output);
    ~WaveformExportJob() override { endThread(); }

private:
    Outcome work() override;

    CapturedTrace trace_;
    zel::trace::DecodeContext context_;
    std::filesystem::path output_;
};

}  // namespace zel::gui::trace
