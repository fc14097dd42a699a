// Writing synthetic firmware in the delivery forms the firmware update accepts: a first-generation
// folder of two raw images, or a G2 container (raw, Intel HEX or S-record).
#pragma once

#include "firmware/SyntheticImage.h"
#include "image/ImageFormat.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace zel::fwbuild {

// Exit statuses of zelfwbuild.
inline constexpr int kDone = 0;
inline constexpr int kUsage = 1;
inline constexpr int kRefused = 2;    // sizes the flash map does not allow
inline constexpr int kWriteFailed = 3;

// Default sizes, about what real images take.
inline constexpr uint32_t kDefaultFpgaSize = 600u << 10;
inline constexpr uint32_t kDefaultMcuSize = 200u << 10;
// Even --allow-oversize stays below this, so a typing error cannot fill the disk.
inline constexpr uint32_t kLargestImage = 16u << 20;

struct BuildRequest {
    firmware::Version fpga;
    firmware::Version mcu;
    uint32_t fpgaSize = kDefaultFpgaSize;
    uint32_t mcuSize = kDefaultMcuSize;
    bool allowOversize = false;
};

enum class FolderNames { Numbered, Named };  // 1.bin + 2.bin, or fpga.bin + mcu.bin

// "MAJOR.MINOR", each decimal or 0x-hexadecimal, 0..255.
std::optional<firmware::Version> parseVersion(std::string_view text);

// Both write what they did to `report` (one line) or why they refused; the result is an exit status.
int writeFolder(const BuildRequest& request, const std::filesystem::path& folder, FolderNames names,
                std::string& report);
int writeContainer(const BuildRequest& request, const std::filesystem::path& file, image::Format format,
                   std::string& report);

}  // namespace zel::fwbuild
