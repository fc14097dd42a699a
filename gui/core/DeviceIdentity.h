// What the main view says about an emulator: model, version and serial texts and the flags the
// status refresh derives from the product information.
#pragma once

#include <cstdint>
#include <string>

#include "DeviceApi.h"

namespace zel::gui {

struct DeviceIdentity {
    bool present = false;
    bool endOfLife = false;  // the first generation answers as "Zelmor"
    bool generation2 = false;
    bool fourByteCapable = false;
    bool lowVoltageFirmware = false;  // a 1.8 V FPGA image
    bool voltageFirmware = false;     // first generation with 1.8 V and 3.3 V firmware variants
    std::string modelName;
    std::string firmwareText;
    std::string hardwareText;
    std::string boardText;  // the board revision the product information reports
    std::string serialText;
};

// "N.A" for an unreadable serial; "ZL%06d" above 99,999, else "VK%06d".
std::string serialText(std::uint32_t serial);

// The identity of an opened emulator from its product information and serial number.
DeviceIdentity describeDevice(const session::ProductInfo& info, std::uint32_t serial);

}  // namespace zel::gui
