// Whether the command-line tool runs for this user: the desktop program refuses to start beside
// it (they would fight over the emulators).
#pragma once

#include <filesystem>
#include <sys/types.h>

namespace zel::gui {

// A process of user `uid` whose name (/proc/PID/comm) is "zelcmd" or "Zelcmd".
bool commandLineToolRunning(const std::filesystem::path& procRoot, uid_t uid);
bool commandLineToolRunning();

}  // namespace zel::gui
