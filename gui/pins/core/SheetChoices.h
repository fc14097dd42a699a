// What the device pages of a confirmed "Configure Setting" sheet chose, and how it is applied:
// the values go to the emulator control first (the address mode, the RPMC table for Run, the
// manual supply), then the pins to the emulator in the order hold pin, MISO drive, reset pin,
// terminal port, chip select (G2). The caller then shows the pin texts and the address mode.
#pragma once

#include <optional>

#include "EmulatorControl.h"
#include "ManualSupply.h"
#include "RpmcChoices.h"
#include "settings/SettingsUpdate.h"

namespace zel::gui::pins {

struct SheetChoices {
    PinSettings pins;                    // the pin page's (its address mode is not taken)
    std::optional<bool> fourByteMode;    // the Miscellaneous page, when it was offered
    std::optional<RpmcChoices> rpmc;     // the RPMC page, when it was offered
    std::optional<ManualSupply> supply;  // the Vcc page, when it was built
};

// Applies the choices; the settings document's changes.
settings::SettingsUpdate applySheetChoices(EmulatorControl& control, const SheetChoices& choices);

// The RPMC table Run writes for these choices; nothing while RPMC is not enabled.
std::optional<rpmc::RpmcTable> rpmcAtRun(const RpmcChoices& choices);

}  // namespace zel::gui::pins
