// Saving the operation log as text: one row per line, stamp and message as shown.
#pragma once

#include <filesystem>
#include <span>
#include <string>

#include "LogRow.h"

namespace zel::gui {

// Empty when every row was written and the file closed cleanly; else why not ("cannot open …").
std::string saveLogRows(std::span<const LogRow> rows, const std::filesystem::path& file);

}  // namespace zel::gui
