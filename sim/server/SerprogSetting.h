// What `zelsim start` was told about one device's serprog endpoint.
#pragma once

#include <cstdint>
#include <optional>

namespace zel::sim {

struct SerprogSetting {
    std::optional<uint16_t> port;  // unset: --serprog-base + device index, else a free port; 0: a free port
    unsigned chipSlot = 0;         // the chip slot the endpoint's transactions reach
};

}  // namespace zel::sim
