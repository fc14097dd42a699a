// Save Log: every row, "#n  " prefix included, appended to the end of a text file (created when
// missing), one row after another with no separator of its own. Opening, every write and the
// close are checked, so a full disk is reported instead of leaving a short log unsaid.
#pragma once

#include "terminal/TerminalLog.h"

#include <filesystem>
#include <string>

namespace zel::terminal {

// An empty string when saved, else a sentence naming the file and the reason.
std::string appendLogToFile(const TerminalLog& log, const std::filesystem::path& path);

}  // namespace zel::terminal
