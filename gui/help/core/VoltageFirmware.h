// The voltage firmware exchange of first-generation emulators: which firmware folder replaces
// the running firmware with its 1.8 V or 3.3 V variant. Folders in the program's "firmware"
// folder are named after the release they hold; the release follows from the running FPGA
// minor version (and, for one version, the hardware revision).
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace zel::gui::help {

enum class FirmwareVoltage { V1_8, V3_3 };

// "1.8V" or "3.3V".
const char* voltageText(FirmwareVoltage voltage);

// The name stem of the release for FPGA minor version `firmware` on hardware minor revision
// `hardwareMinor`, e.g. "ZelmorProFW_0227091_3V3"; nothing for a version without variants.
std::optional<std::string> voltageFirmwareStem(std::uint8_t firmware, std::uint8_t hardwareMinor, FirmwareVoltage voltage);

// The first folder, in name order, in `firmwareFolder` whose name contains `stem`; nothing when
// none does or the folder cannot be read. Files are no firmware folders and are passed over.
std::optional<std::filesystem::path> findVoltageFirmware(const std::filesystem::path& firmwareFolder,
                                                         const std::string& stem);

}  // namespace zel::gui::help
