// The terminal's stored settings: op-code choice, page-program option, look-up and check-point
// files with their recent paths, check-point translation and the colours, read from and written
// to the settings document under the keys both front ends know.
#pragma once

#include "GuiSettings.h"
#include "settings/SettingsUpdate.h"
#include "terminal/MessageText.h"
#include "terminal/TextColours.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zel::gui::terminal_settings {

// The op-code the terminal falls back to when Normal/Fast Read is chosen over a taken one.
inline constexpr std::uint8_t kFallbackOpcode = 0x11;

struct TerminalSettings {
    bool dedicated = false;  // the target uses a dedicated op-code, else Normal/Fast Read
    bool pageProgram = false;
    std::uint8_t opcode = kFallbackOpcode;
    bool usb = true;  // stored only: the device's own port is always used
    std::string lookUpFile, checkPointFile;
    std::vector<std::string> lookUpPaths, checkPointPaths;  // most recent first
    bool translateCheckPoints = false;
    terminal::TextColours colours;

    static TerminalSettings read(const GuiSettings& settings);
    // The page's OK: the chosen files move to the front of their recent paths.
    void chooseFiles(const std::string& lookUp, const std::string& checkPoint);
    settings::SettingsUpdate changes() const;

    // The op-code the terminal is started with; nothing for Normal/Fast Read.
    std::optional<std::uint8_t> dedicatedOpcode() const;
    // The message that refuses the settings for a chip of `maker`; nothing when they fit.
    std::optional<std::string> opcodeProblem(std::string_view maker) const;
    // The tables the files name; unreadable files give empty tables and a line in `problems`.
    terminal::Tables loadTables(std::vector<std::string>& problems) const;
};

// The op-code edit's text as "%x" reads it (the low byte); nothing without a hex digit.
std::optional<std::uint8_t> parseOpcodeText(std::string_view text);

}  // namespace zel::gui::terminal_settings
