#include "DeviceReport.h"

#include "DeviceNumber.h"

#include <algorithm>
#include <cstdio>

namespace zel::info {
namespace {

template <typename... Arguments>
std::string format(const char* pattern, Arguments... arguments)
{
    char line[256];
    const int length = std::snprintf(line, sizeof line, pattern, arguments...);
    return length > 0 ? std::string(line, std::min<size_t>(static_cast<size_t>(length), sizeof line - 1))
                      : std::string();
}

void appendUtf8(std::string& out, char32_t codePoint)
{
    if (codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
        codePoint = 0xFFFD;
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | codePoint >> 6);
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        out += static_cast<char>(0xE0 | codePoint >> 12);
        out += static_cast<char>(0x80 | (codePoint >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | codePoint >> 18);
        out += static_cast<char>(0x80 | (codePoint >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (codePoint >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

std::string describeSerial(uint32_t serial)
{
    // An erased identity page reads as all ones: no serial number was ever written.
    return serial == 0xFFFFFFFF ? std::string("N.A") : std::to_string(serial);
}

std::string describeIdentity(const DeviceIdentity& identity)
{
    const FirmwareVersion& firmware = identity.firmware;
    std::string text = format("  firmware version: 0x%08X\n", firmware.word());
    text += format("    FPGA: major %u, minor %u%s\n", firmware.fpgaMajor & 0x7Fu, unsigned{firmware.fpgaMinor},
                   firmware.isLowVoltageFpga() ? " (1.8 V image)" : "");
    text += format("    MCU: major %u, minor %u\n", unsigned{firmware.mcuMajor}, unsigned{firmware.mcuMinor});
    text += firmware.isG2() ? "    generation: G2\n" : "    generation: first generation\n";
    text += format("  hardware version: %u\n", unsigned{identity.hardwareVersion});
    text += "  product name: " + toUtf8(identity.productName) + "\n";
    text += "  serial number: " + describeSerial(identity.serialNumber) + "\n";
    return text;
}

}  // namespace

FirmwareVersion FirmwareVersion::fromWord(uint32_t word)
{
    return {static_cast<uint8_t>(word), static_cast<uint8_t>(word >> 8), static_cast<uint8_t>(word >> 16),
            static_cast<uint8_t>(word >> 24)};
}

uint32_t FirmwareVersion::word() const
{
    return uint32_t{fpgaMinor} | uint32_t{fpgaMajor} << 8 | uint32_t{mcuMinor} << 16 | uint32_t{mcuMajor} << 24;
}

std::string describeSummary(int deviceCount, int currentIndex)
{
    return format("devices opened: %d\ncurrent index: %d\n", deviceCount, currentIndex);
}

std::string describeDevice(const DeviceEntry& device)
{
    std::string text = format("device %d: %s\n", session::deviceNumber(device.index), device.opened ? "opened" : "not opened");
    if (device.identity)
        text += describeIdentity(*device.identity);
    return text;
}

std::string describeDeviceBrief(int index, std::optional<uint32_t> serial)
{
    const std::string text = "device " + std::to_string(session::deviceNumber(index)) + ": ";
    return serial ? text + "opened, serial " + describeSerial(*serial) : text + "not opened";
}

std::string toUtf8(std::wstring_view text)
{
    std::string out;
    out.reserve(text.size());
    for (wchar_t unit : text)
        appendUtf8(out, static_cast<char32_t>(unit));
    return out;
}

}  // namespace zel::info
