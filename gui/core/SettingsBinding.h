// Which of the emulator choices the settings document keeps, and under which keys.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "EmulatorState.h"
#include "GuiSettings.h"

namespace zel::gui {

// The serial number of the emulator the user chose among several ("SelectedEmulatorSerial").
inline constexpr std::string_view kSelectedSerialKey = "SelectedEmulatorSerial";
// The chip-select mode of a G2 emulator: the register value, 0 or 1 ("ChipSelectMode").
inline constexpr std::string_view kChipSelectModeKey = "ChipSelectMode";

struct StoredChoices {
    std::string chipType[2];  // empty: none chosen
    std::filesystem::path image[2];
    std::optional<std::uint32_t> selectedSerial;
};

// Pins, download options and path history into `state`; the chip and image names to restore.
StoredChoices readStoredChoices(const GuiSettings& settings, EmulatorState& state);

settings::SettingsUpdate chipChanges(const EmulatorState& state, int target);
settings::SettingsUpdate imageChanges(const EmulatorState& state, int target);
settings::SettingsUpdate selectedSerialChange(std::uint32_t serial);

}  // namespace zel::gui
