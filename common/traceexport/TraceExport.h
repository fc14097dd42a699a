// A raw capture file exported as a waveform: a sigrok session (.sr) or a VCD file, the format
// chosen by the output's extension. Records are read in blocks, so memory stays bounded.
#pragma once

#include "SigrokSession.h"
#include "trace/CommandIoTable.h"
#include "trace/CommandTable.h"

#include <cstdint>
#include <filesystem>
#include <functional>
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
    // Before each block of records is read: how many have been read and how many will be (a
    // session reads the capture twice). False stops the export: the output is removed and the
    // result says stopped.
    std::function<bool(uint64_t read, uint64_t total)> progress;
};

ExportResult exportTrace(const ExportRequest& request, const trace::CommandTable& commands,
                         const trace::CommandIoTable& io);

}  // namespace zel::traceexport
