// A file loaded into the host buffers: what a download sends and what the buffer editor compares
// with. It exists only after a successful load; a failed or cancelled load yields none, and the
// caller replaces its image with that nothing, so no earlier file's bytes can be downloaded under
// the new file's name.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "dialogs/core/HostImageBuffer.h"

namespace zel::gui {

struct LoadedImage {
    std::filesystem::path path;
    // max(chip size, buffer limit) bytes (the buffer limit with no chip selected): the fill value,
    // overwritten from offset 0 by min(chip size, image length) bytes of the image.
    HostImageBuffer buffer;
    // The decoded image, imageLength bytes.
    HostImageBuffer fileCopy;
    // The whole decoded image's length. Downloading this many bytes with the choice's truncation
    // flag makes "Don't Allow" refuse an image larger than the chip (result 3).
    uint32_t imageLength = 0;
    uint32_t checksum = 0;       // 32-bit sum of the image's bytes
    std::string modifiedText;    // the file's modification time, "%d-%d-%d %d:%d:%d" (local time)
};

}  // namespace zel::gui
