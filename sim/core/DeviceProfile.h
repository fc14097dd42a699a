// One simulated emulator as the command line describes it: "key=value,key=value".
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zel::sim {

inline constexpr uint16_t kVendorId = 0x04B4;
inline constexpr uint16_t kFramePid = 0x1235;   // the emulator driven by command frames
inline constexpr uint16_t kLegacyPid = 0x1234;  // the earlier design, driven by vendor requests

struct DeviceProfile {
    int generation = 1;
    uint16_t productId = kFramePid;
    uint32_t serial = 0;
    uint8_t hardwareVersion = 1;
    // Byte 0 FPGA minor, byte 1 FPGA major, byte 2 MCU minor, byte 3 MCU major.
    uint32_t firmware = 0;
    uint32_t flashId = 0xEF4015;
    std::string name;
    bool blankIdentity = false;
    // serial=, hw= or blank= given: the identity is set even on a flash kept from an earlier run.
    bool identityGiven = false;
    // Duration of a whole-flash erase before time scaling; unset: the simulator's default.
    std::optional<std::chrono::milliseconds> eraseTime;
    // Bulk transfer rate of the USB link in megabytes (10^6 bytes) per second, 0 as fast as
    // possible; unset: the simulator's default (`--speed`).
    std::optional<double> linkSpeed;

    bool legacy() const { return productId == kLegacyPid; }
};

// Throws std::invalid_argument with a message naming the offending key.
DeviceProfile parseDeviceProfile(std::string_view text);

}  // namespace zel::sim
