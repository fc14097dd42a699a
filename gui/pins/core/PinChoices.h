// The "Pin Settings" page's codes: which hold-pin radio stands for which CliSetHoldPin code, and
// the settings document's keys for the pin choices.
#pragma once

#include <cstdint>
#include "EmulatorState.h"
#include "settings/SettingsUpdate.h"

namespace zel::gui::pins {

// The page's three hold-pin radios, in the order they are shown.
enum class HoldRadio { DefaultLow, Input, Floating };

std::uint8_t holdCode(HoldRadio radio);
// Code 1 (written only after an FPGA switch) has no radio: it shows as floating.
HoldRadio holdRadioOf(std::uint8_t code);

// "EnableResetPin", "HoldPinSetting", "MISODrivenSetting" (0/1) and the chip-select mode.
settings::SettingsUpdate pinChanges(const PinSettings& pins);

}  // namespace zel::gui::pins
