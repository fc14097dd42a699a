// When the "Miscellaneous Settings" page (4-byte address mode) is offered and when its box can
// be checked.
#pragma once

#include <optional>

#include "DeviceIdentity.h"
#include "EmulatorState.h"

namespace zel::gui::pins {

// Only an emulator whose firmware can enter 4-byte mode gets the page.
inline bool offersAddressModePage(const DeviceIdentity& identity) { return identity.present && identity.fourByteCapable; }

// The box is enabled only for a selected chip that can use 4-byte addressing.
inline bool chipTakesFourByteMode(const std::optional<ChipChoice>& chip) { return chip && !chip->no4ByteMode; }

}  // namespace zel::gui::pins
