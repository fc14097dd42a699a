// What the desktop program checks about a firmware source before it asks to start an update:
// the path must reach the device library whole (no cut at some fixed length: a cut path would
// name another file) and the source must have the delivery form of the emulator's generation.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "DeviceApi.h"

namespace zel::gui::help {

// The longest path the system opens, in bytes of its UTF-8 form, and the longest name in it.
inline constexpr std::size_t kMaxPathBytes = 4095;
inline constexpr std::size_t kMaxNameBytes = 255;

// Why this path cannot be handed to the device library; nothing when it can.
std::optional<std::string> firmwarePathProblem(const std::filesystem::path& path);

// Why this source cannot update an emulator of this generation: a G2 container must be a regular
// file that the API's file check loads to at least a container header; a first-generation source
// must be a folder. Nothing when it may go to the update.
std::optional<std::string> firmwareSourceProblem(session::DeviceApi& api, const std::filesystem::path& source,
                                                 bool generation2);

}  // namespace zel::gui::help
