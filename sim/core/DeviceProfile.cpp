#include "core/DeviceProfile.h"

#include <charconv>
#include <stdexcept>
#include <string>

namespace zel::sim {
namespace {

uint64_t parseNumber(std::string_view key, std::string_view text, int base, uint64_t max) {
    int actualBase = base;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        actualBase = 16;
    }
    uint64_t value = 0;
    auto [end, err] = std::from_chars(text.data(), text.data() + text.size(), value, actualBase);
    if (text.empty() || err != std::errc() || end != text.data() + text.size() || value > max)
        throw std::invalid_argument("bad value for " + std::string(key) + ": " + std::string(text));
    return value;
}

// A link rate in MB/s: a plain decimal number, 0 (unpaced) up to 100000.
double parseRate(std::string_view key, std::string_view text) {
    double value = -1;
    auto [end, err] = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    if (text.empty() || err != std::errc() || end != text.data() + text.size() || !(value >= 0) || value > 100000)
        throw std::invalid_argument("bad value for " + std::string(key) + ": " + std::string(text) +
                                    " (megabytes per second, 0 for as fast as possible)");
    return value;
}

void applyDefaults(DeviceProfile& profile, bool haveFirmware, bool haveSerial, bool haveName) {
    const bool g2 = profile.generation == 2;
    if (!haveFirmware) profile.firmware = g2 ? 0x0305025F : 0x021E025F;
    if (!haveSerial) profile.serial = g2 ? 123456 : 1234;
    if (!haveName) profile.name = profile.legacy() ? "Zelmor" : (g2 ? "ZelmorPro-G2" : "ZelmorPro");
}

}  // namespace

DeviceProfile parseDeviceProfile(std::string_view text) {
    DeviceProfile profile;
    bool haveFirmware = false, haveSerial = false, haveName = false, haveIdentity = false;
    while (!text.empty()) {
        auto comma = text.find(',');
        auto item = text.substr(0, comma);
        text = comma == std::string_view::npos ? std::string_view{} : text.substr(comma + 1);
        if (item.empty()) continue;
        auto eq = item.find('=');
        if (eq == std::string_view::npos) throw std::invalid_argument("expected key=value: " + std::string(item));
        auto key = item.substr(0, eq);
        auto value = item.substr(eq + 1);
        if (key == "gen") {
            profile.generation = static_cast<int>(parseNumber(key, value, 10, 2));
            if (profile.generation < 1) throw std::invalid_argument("gen must be 1 or 2");
        } else if (key == "pid") {
            profile.productId = static_cast<uint16_t>(parseNumber(key, value, 16, 0xFFFF));
            if (profile.productId != kFramePid && profile.productId != kLegacyPid)
                throw std::invalid_argument("pid must be 0x1235 or 0x1234");
        } else if (key == "serial") {
            profile.serial = static_cast<uint32_t>(parseNumber(key, value, 10, 0xFFFFFFFF));
            haveSerial = haveIdentity = true;
        } else if (key == "hw") {
            profile.hardwareVersion = static_cast<uint8_t>(parseNumber(key, value, 10, 0xFF));
            haveIdentity = true;
        } else if (key == "fw") {
            profile.firmware = static_cast<uint32_t>(parseNumber(key, value, 16, 0xFFFFFFFF));
            haveFirmware = true;
        } else if (key == "flashid") {
            profile.flashId = static_cast<uint32_t>(parseNumber(key, value, 16, 0xFFFFFF));
        } else if (key == "name") {
            // A string descriptor holds at most 126 UTF-16 units.
            if (value.empty() || value.size() > 126) throw std::invalid_argument("name must have 1 to 126 characters");
            profile.name = std::string(value);
            haveName = true;
        } else if (key == "blank") {
            profile.blankIdentity = parseNumber(key, value, 10, 1) == 1;
            haveIdentity = true;
        } else if (key == "speed") {
            profile.linkSpeed = parseRate(key, value);
        } else if (key == "erase") {
            profile.eraseTime = std::chrono::milliseconds(parseNumber(key, value, 10, 3'600'000));
        } else {
            throw std::invalid_argument("unknown device key: " + std::string(key));
        }
    }
    applyDefaults(profile, haveFirmware, haveSerial, haveName);
    profile.identityGiven = haveIdentity;
    return profile;
}

}  // namespace zel::sim
