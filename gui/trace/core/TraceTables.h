// The two command tables every decoding pass of the desktop program uses, read once from the
// program's folder, and the decoding context for the emulator and chip in use.
#pragma once

#include "trace/CommandIoTable.h"
#include "trace/CommandTable.h"
#include "trace/TraceDecoding.h"

#include <filesystem>
#include <memory>
#include <string>

namespace zel::gui::trace {

struct TraceTables {
    zel::trace::CommandTable commands;
    zel::trace::CommandIoTable io;

    // Nothing, with `problem` ("Error: cannot read FILE: reason"), when a table cannot be read.
    static std::unique_ptr<TraceTables> load(const std::filesystem::path& folder, std::string& problem);

    // chipSize 0: no chip chosen (a 16 MiB chip is assumed, as the decoder does).
    zel::trace::DecodeContext context(bool generation2, std::uint64_t chipSize, bool translate) const;
};

}  // namespace zel::gui::trace
