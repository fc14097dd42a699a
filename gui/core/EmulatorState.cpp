#include "EmulatorState.h"

#include <algorithm>

namespace zel::gui {

const char* holdPinText(std::uint8_t hold) {
    switch (hold) {
    case kHoldDefaultLow: return "Default Low";
    case kHoldDefaultHigh: return "Default High";
    case kHoldFloating: return "Floating by default";
    default: return "Input by default";
    }
}

std::uint8_t misoDrivenValue(const PinSettings& pins) { return pins.misoByExternalBuffer ? 0x04 : 0x00; }

void EmulatorState::remember(const std::filesystem::path& image) {
    std::erase(history, image);
    history.insert(history.begin(), image);
    if (history.size() > kHistoryLength) history.resize(kHistoryLength);
}

}  // namespace zel::gui
