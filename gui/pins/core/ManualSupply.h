// The "Vcc Setting" choice: a supply set by hand after every chip configuration instead of the
// chip's own.
#pragma once

#include <cstdint>
#include <optional>

namespace zel::gui::pins {

enum class SupplyRadio { V33, V25, V18 };  // the page's order: "3.3V", "2.5V", "1.8V"

struct ManualSupply {
    bool enabled = false;
    SupplyRadio choice = SupplyRadio::V33;

    // Nothing when the supply is the chip's.
    std::optional<std::uint32_t> millivolts() const;
};

}  // namespace zel::gui::pins
