// Where the settings document and the files the desktop program copies beside it live: the
// per-user folder ($XDG_CONFIG_HOME, else ~/.config) and the template folder the installer fills
// (the first entry of $XDG_CONFIG_DIRS, else /etc/xdg), each followed by "Varnik/Zelmor/".
#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace zel::settings {

inline constexpr std::string_view kSettingsFileName = "VarnikZelmorSettings.xml";

// The files the desktop program copies from the template folder at start.
inline constexpr std::array<std::string_view, 4> kUserTemplateFiles = {
    kSettingsFileName, "VarnikZelmorProOrdering.ini", "ZelmorProCommandTable.ini", "ZelmorProCmdIOTable.ini"};

// Looks up an environment variable; nothing when it is not set. Tests pass their own.
using EnvironmentLookup = std::function<std::optional<std::string>(const char* name)>;
std::optional<std::string> processEnvironment(const char* name);

// $XDG_CONFIG_HOME (ignored when empty or relative), else $HOME/.config (the password entry's
// home when $HOME is unset or relative), else "."; then "Varnik/Zelmor".
std::filesystem::path userSettingsFolder(const EnvironmentLookup& environment = processEnvironment);
// The first entry of $XDG_CONFIG_DIRS when it is absolute, else /etc/xdg; then "Varnik/Zelmor".
std::filesystem::path templateSettingsFolder(const EnvironmentLookup& environment = processEnvironment);
std::filesystem::path userSettingsDocumentPath(const EnvironmentLookup& environment = processEnvironment);

}  // namespace zel::settings
