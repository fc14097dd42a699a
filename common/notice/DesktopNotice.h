// The command-line tool's side of the notice channel: tell a running desktop program that the
// tool takes the emulators (code 1: the desktop program closes its USB handles first) or has let
// them go (code 2: the desktop program enumerates again).
#pragma once

#include <chrono>
#include <filesystem>

#include "notice/NoticeSocketPath.h"

namespace zel::notice {

inline constexpr int kDevicesTaken = 1;
inline constexpr int kDevicesReleased = 2;

// Sends code and waits at most `wait` for the desktop program's acknowledgement, which it gives
// once it has acted on the notice. False when no desktop program listens (at once), when the
// socket or its folder is not the user's own, or when no acknowledgement comes in time.
bool sendDesktopNotice(int code, std::chrono::milliseconds wait = std::chrono::seconds(5));

// The same to an explicit socket path.
bool sendDesktopNoticeTo(const std::filesystem::path& socketPath, int code, std::chrono::milliseconds wait);

}  // namespace zel::notice
