#include "VoltageFirmware.h"

#include <algorithm>
#include <array>
#include <system_error>
#include <vector>

namespace zel::gui::help {
namespace {

struct Release {
    std::uint8_t firmware;
    std::uint8_t hardwareMinor;  // 0: any revision
    const char* number;          // hardware major and minor, release number
};

// Version 76 ships as release 077 and version 84 differs by hardware revision.
constexpr std::array kReleases{
    Release{69, 0, "0225069"}, Release{70, 0, "0225070"}, Release{71, 0, "0225071"},  Release{72, 0, "0225072"},
    Release{73, 0, "0225073"}, Release{74, 0, "0226074"}, Release{75, 0, "0226075"},  Release{76, 0, "0226077"},
    Release{80, 0, "0226080"}, Release{83, 0, "0226083"}, Release{84, 26, "0226084"}, Release{84, 27, "0227084"},
    Release{85, 0, "0227085"}, Release{89, 0, "0227089"}, Release{91, 0, "0227091"},
};

}  // namespace

const char* voltageText(FirmwareVoltage voltage) { return voltage == FirmwareVoltage::V1_8 ? "1.8V" : "3.3V"; }

std::optional<std::string> voltageFirmwareStem(std::uint8_t firmware, std::uint8_t hardwareMinor, FirmwareVoltage voltage) {
    const auto release = std::ranges::find_if(kReleases, [&](const Release& entry) {
        return entry.firmware == firmware && (entry.hardwareMinor == 0 || entry.hardwareMinor == hardwareMinor);
    });
    if (release == kReleases.end()) return std::nullopt;
    return std::string("ZelmorProFW_") + release->number + (voltage == FirmwareVoltage::V1_8 ? "_1V8" : "_3V3");
}

std::optional<std::filesystem::path> findVoltageFirmware(const std::filesystem::path& firmwareFolder,
                                                         const std::string& stem) {
    std::error_code error;
    std::vector<std::filesystem::path> matches;
    for (std::filesystem::directory_iterator entry(firmwareFolder, error), end; !error && entry != end; entry.increment(error)) {
        std::error_code kind;
        if (entry->is_directory(kind) && entry->path().filename().string().find(stem) != std::string::npos)
            matches.push_back(entry->path());
    }
    if (matches.empty()) return std::nullopt;
    return *std::ranges::min_element(matches);
}

}  // namespace zel::gui::help
