#include "DeviceIdentity.h"

#include <cstdio>

#include "text/TextCodec.h"

namespace zel::gui {
namespace {

std::string format(const char* pattern, int a, int b) {
    char text[64];
    std::snprintf(text, sizeof text, pattern, a, b);
    return text;
}

// From this FPGA minor version on, first-generation firmware comes in 1.8 V and 3.3 V variants.
constexpr int kFirstVoltageFirmwareMinor = 68;

std::string firstGenerationFirmware(int major, int minor, bool lowVoltage) {
    if (minor < kFirstVoltageFirmwareMinor) return format(minor >= 10 ? "%d.%02d" : "%d.0%02d", major, minor);
    return format(lowVoltage ? "%d.0%02d (1.8V)" : "%d.0%02d (3.3V)", major, minor);
}

}  // namespace

std::string serialText(std::uint32_t serial) {
    if (serial == session::kSerialNotAvailable) return "N.A";
    char text[32];
    std::snprintf(text, sizeof text, serial > 99999 ? "ZL%06u" : "VK%06u", serial);
    return text;
}

DeviceIdentity describeDevice(const session::ProductInfo& info, std::uint32_t serial) {
    DeviceIdentity identity;
    identity.modelName = text::wideToUtf8(info.name);
    identity.serialText = serialText(serial);
    if (identity.modelName == "Zelmor") {
        identity.endOfLife = true;
        return identity;
    }
    if (!info.answered || info.firmware == 0) return identity;
    identity.present = true;
    // Version word: byte 0 minor, byte 1 major (bit 7: 1.8 V image), bytes 2-3 hardware version.
    const int minor = info.firmware & 0xFF;
    const int majorByte = (info.firmware >> 8) & 0xFF;
    const int hardwareMinor = (info.firmware >> 16) & 0xFF;
    const int hardwareMajor = (info.firmware >> 24) & 0xFF;
    identity.hardwareText = format("%d.%02d", hardwareMajor, hardwareMinor);
    identity.boardText = std::to_string(info.hardware);
    identity.lowVoltageFirmware = (info.firmware & 0x8000) != 0;
    if (info.isG2()) {
        identity.generation2 = true;
        identity.modelName = "ZelmorPro-G2";
        identity.firmwareText = format("%d.0%02d", majorByte & 0x7F, minor);
        identity.fourByteCapable = true;
    } else {
        identity.firmwareText = firstGenerationFirmware(majorByte & 0x7F, minor, identity.lowVoltageFirmware);
        identity.voltageFirmware = minor >= kFirstVoltageFirmwareMinor;
        identity.fourByteCapable = hardwareMajor == 2 && hardwareMinor == 27 && minor >= 90;
    }
    return identity;
}

}  // namespace zel::gui
