// The text zelinfo prints: what the API reports about each emulator, decoded for people.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "device/DeviceFacts.h"

namespace zel::info {

// The four firmware bytes as the API delivers them, least significant first.
struct FirmwareVersion {
    uint8_t fpgaMinor = 0;
    uint8_t fpgaMajor = 0;  // bit 7 marks the 1.8 V FPGA image
    uint8_t mcuMinor = 0;
    uint8_t mcuMajor = 0;

    static FirmwareVersion fromWord(uint32_t word);
    uint32_t word() const;
    bool isG2() const { return device::isG2(mcuMajor); }
    bool isLowVoltageFpga() const { return (fpgaMajor & device::kFpga18VFlag) != 0; }
};

struct DeviceIdentity {
    FirmwareVersion firmware;
    uint8_t hardwareVersion = 0;
    std::wstring productName;
    uint32_t serialNumber = 0;
};

struct DeviceEntry {
    int index = 0;  // as the API counts; printed counted from 1
    bool opened = false;
    std::optional<DeviceIdentity> identity;  // read only from opened devices
};

std::string describeSummary(int deviceCount, int currentIndex);
std::string describeDevice(const DeviceEntry& device);
// One device in a line ("device 1: opened, serial 1234" for index 0); serial is nullopt when not
// opened.
std::string describeDeviceBrief(int index, std::optional<uint32_t> serial);

// UTF-8 form of a wide (UTF-32) text; code points that are not valid become U+FFFD.
std::string toUtf8(std::wstring_view text);

}  // namespace zel::info
