#include "ManualSupply.h"

namespace zel::gui::pins {

std::optional<std::uint32_t> ManualSupply::millivolts() const {
    if (!enabled) return std::nullopt;
    switch (choice) {
    case SupplyRadio::V25: return 2500;
    case SupplyRadio::V18: return 1800;
    case SupplyRadio::V33: break;
    }
    return 3300;
}

}  // namespace zel::gui::pins
