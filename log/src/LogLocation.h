// Where the per-user log file lives.
#pragma once

#include <filesystem>

namespace zel::log {

// $XDG_STATE_HOME (when set to an absolute path) or ~/.local/state, then Varnik/Zelmor/zelmor.log.
// Empty when no home folder can be found.
std::filesystem::path logFilePath();

}  // namespace zel::log
