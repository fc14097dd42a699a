// Console texts shared by several command flows. Scripts match them byte for byte.
#pragma once

#include <string_view>

namespace zel::cmd::msg {

inline constexpr std::string_view kNoDevice = "No device is connected!";
inline constexpr std::string_view kCannotExecute = "The command can't be executed";
inline constexpr std::string_view kNotDetected = "Error: Emulator can not be detected\n";
inline constexpr std::string_view kEmulating = "Emulator is in Emulation mode now.";
inline constexpr std::string_view kStopMode = "Emulator is in STOP mode now.";
inline constexpr std::string_view kChipNotSelected = "Chip is not selected. This command has to work with --set.";
inline constexpr std::string_view kNeedsDownload = "This command has to work with -d.";
inline constexpr std::string_view kNeedsStart = "This command has to work with --start.";
inline constexpr std::string_view kCheckingWait = "Checking, please wait ...\n";
// An emulator that is opened but does not answer (stalled, unplugged, failing transfers).
inline constexpr std::string_view kNoAnswer = "Error: Emulator does not answer";

}  // namespace zel::cmd::msg
