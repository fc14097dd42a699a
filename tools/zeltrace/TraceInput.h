// What decode and stats both start from: the capture file and the command tables, each refused
// with a message that says which file and why.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "ToolArguments.h"
#include "trace/CommandIoTable.h"
#include "trace/CommandTable.h"
#include "trace/TraceFile.h"

namespace zel::zeltrace {

struct TraceInput {
    trace::TraceCapture capture;
    trace::CommandTable commands;
    trace::CommandIoTable io;
};

// The tables come from `tablesFolder` when given, else from beside the program (or the
// installed data folder). Prints the reason to stderr and returns nothing on failure.
std::optional<TraceInput> loadTraceInput(const std::filesystem::path& file, const std::string& tablesFolder);

}  // namespace zel::zeltrace
