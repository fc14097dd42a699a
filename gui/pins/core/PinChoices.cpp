#include "PinChoices.h"

#include "SettingsBinding.h"
#include "settings/SettingsKeys.h"
#include "settings/SettingsValues.h"

namespace zel::gui::pins {

std::uint8_t holdCode(HoldRadio radio) {
    switch (radio) {
    case HoldRadio::DefaultLow: return kHoldDefaultLow;
    case HoldRadio::Input: return kHoldInput;
    case HoldRadio::Floating: break;
    }
    return kHoldFloating;
}

HoldRadio holdRadioOf(std::uint8_t code) {
    if (code == kHoldDefaultLow) return HoldRadio::DefaultLow;
    if (code == kHoldInput) return HoldRadio::Input;
    return HoldRadio::Floating;
}

settings::SettingsUpdate pinChanges(const PinSettings& pins) {
    namespace keys = settings::keys;
    settings::SettingsUpdate update;
    update.setBool(keys::kEnableResetPin, pins.resetPin);
    update.set(keys::kHoldPinSetting, settings::formatHex(pins.hold));
    update.set(keys::kMisoDrivenSetting, pins.misoByExternalBuffer ? L"1" : L"0");
    update.set(kChipSelectModeKey, pins.chipSelect ? L"0" : L"1");
    return update;
}

}  // namespace zel::gui::pins
