// A raw capture file exported as a waveform: a sigrok session (.sr) or a VCD file, the format
// chosen by the output's extension. Records are read in blocks, so memory stays bounded.
#pragma once

#include "SigrokSession.h"
#include "trace/CommandIoTable.h"
#include "trace/CommandTable.h"

#include <filesystem>
#include <optional>
#include <string_view>

namespace zel::traceexport {

enum class WaveformFormat { SigrokSession, ValueChangeDump };

// From the output's extension (.sr, .vcd; case does not matter); nothing for any other.
std::optional<WaveformFormat> formatFor(const std::filesystem::path& output);

struct ExportRequest {
    std::filesystem::path input, output;
    WaveformFormat format = WaveformFormat::SigrokSession;
    uint32_t gapCap = kDefaultGapCapSamples;
};

ExportResult exportTrace(const ExportRequest& request, const trace::CommandTable& commands,
                         const trace::CommandIoTable& io);

}  // namespace zel::traceexport
