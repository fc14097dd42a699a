#include "device/FirmwareBoot.h"

#include "firmware/SyntheticImage.h"

#include <algorithm>
#include <vector>

namespace zel::sim {
namespace {

namespace fw = zel::firmware;

// The bytes of the flash area an image may occupy, starting at its base.
std::vector<uint8_t> area(const OnBoardFlash& flash, uint32_t base, uint32_t size) {
    std::vector<uint8_t> bytes(size);
    flash.read(base, bytes);
    return bytes;
}

bool markerPresent(const OnBoardFlash& flash) {
    std::array<uint8_t, fw::kBootMarker.size()> marker{};
    flash.read(fw::kBootMarkerPage, marker);
    return marker == fw::kBootMarker;
}

}  // namespace

std::optional<uint32_t> firmwareInFlash(const OnBoardFlash& flash) {
    // The update writes the marker last, after both images were verified.
    if (!markerPresent(flash)) return std::nullopt;
    const auto mcu = fw::syntheticImageVersion(area(flash, fw::kMcuBase, fw::kMcuLimit), fw::ImageKind::Mcu,
                                               fw::kMcuLimit);
    if (!mcu) return std::nullopt;
    const auto fpga = fw::syntheticImageVersion(area(flash, fw::kFpgaBase, fw::kFpgaLimit), fw::ImageKind::Fpga,
                                                fw::kFpgaLimit);
    if (!fpga) return std::nullopt;
    return uint32_t{fpga->minor} | uint32_t{fpga->major} << 8 | uint32_t{mcu->minor} << 16 |
           uint32_t{mcu->major} << 24;
}

}  // namespace zel::sim
