// A sigrok session file (.sr, what PulseView and sigrok-cli load): a zip holding "version" (2),
// "metadata" (channels, sample rate, unit size 1) and the samples in "logic-1-1", "logic-1-2",
// ... chunks. The chunks are compressed while the archive is written, each pulled from the sample
// stream only then, so a capture of any length is exported in bounded memory.
#pragma once

#include "SampleStream.h"

#include <cstdint>
#include <filesystem>
#include <string>

namespace zel::traceexport {

inline constexpr uint64_t kSessionChunkBytes = 4 << 20;

struct ExportResult {
    bool ok = false;
    uint64_t samples = 0;
    std::string problem;  // "Error: ..." when not ok
    bool stopped = false;  // the caller stopped it; no output is left
};

// `samples` must be the number the stream gives (countSamples); `gapCap` goes into the metadata.
ExportResult writeSigrokSession(const std::filesystem::path& file, SampleStream& stream, uint64_t samples,
                                uint32_t gapCap);

// The metadata text: sigrok's keys, then what the exporter assumed about the clock.
std::string sessionMetadata(uint32_t gapCap);

}  // namespace zel::traceexport
