// SendCommandToDevice: the command numbers of the device link's dispatcher, carried out with
// the earlier design's requests.
#pragma once

#include <cstdint>

#include "DeviceLink.h"

namespace zel::zeldev {

bool isKnownCommand(int cmd);

// 1 on success, 0 on failure. Lengths and addresses are 32-bit quantities.
int dispatchCommand(DeviceLink& link, int cmd, wchar_t* arg, uint32_t value1, uint32_t value2);

}  // namespace zel::zeldev
