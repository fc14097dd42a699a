// The same waveform as a Value Change Dump (.vcd): one scalar 1-bit wire per channel, time in
// samples (timescale 10 ns), a change written only where a line changes.
#pragma once

#include "SampleStream.h"
#include "SigrokSession.h"

#include <filesystem>

namespace zel::traceexport {

ExportResult writeValueChangeDump(const std::filesystem::path& file, SampleStream& stream, uint32_t gapCap);

}  // namespace zel::traceexport
