// The two command tables for capture's continuous text and for export's bus phases: from
// --tables DIR when given, else from the program's folder.
#pragma once

#include "trace/CommandIoTable.h"
#include "trace/CommandTable.h"

#include <optional>
#include <string>

namespace zel::tools {

struct CommandTables {
    trace::CommandTable commands;
    trace::CommandIoTable io;
};

// Nothing, with `problem` ("Error: cannot read FILE: reason"), when a table cannot be read.
std::optional<CommandTables> loadCommandTables(const std::string& folder, std::string& problem);

}  // namespace zel::tools
