// "Export...": the captured records as a waveform, a sigrok session (.sr) or a VCD file by the
// chosen name's extension. The exporter reads raw capture files, so the records go through one
// in the output's folder first, which is removed afterwards.
#pragma once

#include "TraceCapture.h"
#include "trace/TraceDecoding.h"

#include <filesystem>
#include <string>

namespace zel::gui::trace {

// "Export Complete: N samples" or the "Error: ..." line.
std::string exportWaveform(const CapturedTrace& trace, const zel::trace::DecodeContext& context,
                           const std::filesystem::path& output);

}  // namespace zel::gui::trace
