// What identifies an emulator: firmware version and generation from the running device,
// hardware version and serial number from the identity page of the on-board flash, and the
// name from the USB device descriptor.
#pragma once

#include "CommandChannel.h"
#include "device/DeviceFacts.h"
#include "OnBoardFlashCommands.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace zel::devlink {

inline constexpr uint32_t kIdentityPageAddress = 0x1FFF00;
inline constexpr std::wstring_view kEmulatorName = L"ZelmorPro";

// Byte 0 FPGA minor, 1 FPGA major, 2 MCU minor, 3 MCU major. All zeros when unread.
using FirmwareVersion = std::array<uint8_t, 4>;
using FlashPage = std::array<uint8_t, kFlashPageSize>;

inline bool isG2Firmware(const FirmwareVersion& version) { return device::isG2(version[3]); }

class IdentityCommands {
public:
    explicit IdentityCommands(CommandChannel channel) : channel_(channel) {}

    FirmwareVersion firmwareVersion();
    bool isG2() { return isG2Firmware(firmwareVersion()); }

    // The identity page; all 0xFF when it could not be read (like an erased page).
    FlashPage identityPage();
    uint8_t hardwareVersion() { return identityPage()[1]; }
    uint32_t serialNumber();

    // "ZelmorPro" for a device whose descriptor carries the emulator's VID/PID; empty for any
    // other device and when the descriptor cannot be read.
    std::wstring_view deviceName();

private:
    CommandChannel channel_;
};

}  // namespace zel::devlink
