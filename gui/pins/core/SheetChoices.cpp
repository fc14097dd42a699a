#include "SheetChoices.h"

#include "PinChoices.h"

namespace zel::gui::pins {

std::optional<rpmc::RpmcTable> rpmcAtRun(const RpmcChoices& choices) {
    if (!choices.enabled) return std::nullopt;
    return rpmcTable(choices.counters);
}

settings::SettingsUpdate applySheetChoices(EmulatorControl& control, const SheetChoices& choices) {
    PinSettings& pins = control.state().pins;
    pins.hold = choices.pins.hold;
    pins.resetPin = choices.pins.resetPin;
    pins.misoByExternalBuffer = choices.pins.misoByExternalBuffer;
    pins.chipSelect = choices.pins.chipSelect;
    if (choices.fourByteMode) control.setFourByteMode(*choices.fourByteMode);
    if (choices.rpmc) control.setRpmcAtRun(rpmcAtRun(*choices.rpmc));
    if (choices.supply) control.setManualSupply(choices.supply->millivolts());
    control.applyPinChoices();

    settings::SettingsUpdate update = pinChanges(pins);
    if (choices.rpmc) update.add(rpmcChanges(*choices.rpmc).changes());
    return update;
}

}  // namespace zel::gui::pins
