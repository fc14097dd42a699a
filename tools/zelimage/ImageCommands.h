// What zelimage does: make a test image, report a file's image, and download an image to one
// target of an emulator through the API, verify it and read it back.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

#include "DeviceChoice.h"

namespace zel::tool {

// Exit statuses.
inline constexpr int kDone = 0;
inline constexpr int kUsage = 1;        // also a --device or --serial that names no emulator found
inline constexpr int kImageFailed = 2;   // the image file cannot be written or loaded
inline constexpr int kDeviceFailed = 3;  // the emulator is not opened, no chip, a transfer failed
inline constexpr int kVerifyFailed = 4;

// `size` bytes of a fixed pattern (different for each seed), written in the format of the file
// name's extension by the project's own writers.
int makeImage(const std::filesystem::path& file, uint32_t size, uint32_t seed);

// Size and checksum of the file's image.
int describeImage(const std::filesystem::path& file);

struct DownloadJob {
    std::filesystem::path image;
    std::filesystem::path chipConfig;  // the chip the target impersonates (its size bounds the image)
    tools::DeviceChoice device;         // resolved once the API has found the emulators
    bool target2 = false;
    uint32_t offset = 0;                // inside the target
    std::optional<uint8_t> fillValue;   // fill the rest of the chip; otherwise the rest is kept
    bool download = true;               // false: verify only
    bool verify = true;
};

int runDownload(const DownloadJob& job);

}  // namespace zel::tool
