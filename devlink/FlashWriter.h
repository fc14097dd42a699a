// Writing firmware into the on-board flash page by page with read-back verification, and the
// boot marker that makes the device start the new firmware.
#pragma once

#include "CommandChannel.h"
#include "FirmwareProgress.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace zel::devlink {

inline constexpr uint32_t kFpgaImageAddress = 0x000000;
inline constexpr uint32_t kBootMarkerAddress = 0x100000;
inline constexpr uint32_t kMcuImageAddress = 0x100100;
inline constexpr std::array<uint8_t, 8> kBootMarker = {0xAA, 0x55, 'B', 'O', 'O', 'T', 'U', 0xAA};

// The bytes an image of `size` bytes occupies: padded with 0xFF to the next page boundary,
// and a size that already is a multiple of the page gains one whole 0xFF page.
uint64_t paddedImageSize(uint64_t size);
// The padded image: the image followed by 0xFF.
std::vector<uint8_t> paddedImage(std::span<const uint8_t> image);

class FlashWriter {
public:
    // Every page written or read counts towards `progress` (may be null).
    explicit FlashWriter(CommandChannel channel, FirmwareProgress* progress = nullptr)
        : channel_(channel), progress_(progress) {}

    // Writes every page of the padded image from `base`, then reads every page back and
    // compares the image's bytes. Fails for an empty image (nothing sent), at the first page
    // that could not be written (nothing read back), at the first page that could not be read,
    // and on any difference.
    bool writeImage(uint32_t base, std::span<const uint8_t> image);
    // Writes the boot marker page and reads it back; true when both transfers succeeded and
    // the page starts with the marker.
    bool writeBootMarker();

private:
    bool writePages(uint32_t base, std::span<const uint8_t> padded);
    bool readPages(uint32_t base, std::span<uint8_t> into);
    void pageDone();

    CommandChannel channel_;
    FirmwareProgress* progress_;
};

}  // namespace zel::devlink
