// Any bytes as a G2 firmware container: either a problem is named, or both images are non-empty,
// within their flash areas, and exactly the bytes the header points at.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>

#include "FirmwareSource.h"

using namespace zel::devlink;

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

uint32_t word(const std::uint8_t* data, std::size_t index) {
    uint32_t value = 0;
    std::memcpy(&value, data + index * 4, 4);  // little-endian host
    return value;
}

void requireSlice(const std::vector<uint8_t>& image, const std::uint8_t* data, std::size_t size, uint32_t offset,
                  uint32_t length, uint64_t limit) {
    require(!image.empty() && image.size() == length && length <= limit);
    require(uint64_t{offset} + length <= size);
    require(std::memcmp(image.data(), data + offset, length) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto source = splitFirmwareContainer(std::span<const uint8_t>(data, size));
    const auto* images = std::get_if<FirmwareImages>(&source);
    if (images == nullptr) return 0;
    require(size >= kContainerHeaderSize);
    requireSlice(images->fpga, data, size, word(data, 14), word(data, 15), kMaxFpgaImageSize);
    requireSlice(images->mcu, data, size, word(data, 16), word(data, 17), kMaxMcuImageSize);
    return 0;
}
