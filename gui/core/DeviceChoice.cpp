#include "DeviceChoice.h"

#include <algorithm>

namespace zel::gui {

int chooseDeviceIndex(std::span<const std::uint32_t> serials, std::optional<std::uint32_t> wanted) {
    if (!wanted) return 0;
    const auto found = std::find(serials.begin(), serials.end(), *wanted);
    return found == serials.end() ? 0 : static_cast<int>(found - serials.begin());
}

}  // namespace zel::gui
