// Everything `zelsim start` was asked for.
#pragma once

#include "core/DeviceProfile.h"

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <vector>

namespace zel::sim {

struct SimOptions {
    std::filesystem::path dir;
    bool foreground = false;
    double timeScale = 1.0;
    bool strict = false;
    size_t logLimit = 100000;
    // A whole-flash erase lasts this long (before time scaling) unless a device says otherwise.
    std::chrono::milliseconds chipEraseTime{15000};
    std::vector<DeviceProfile> devices;
};

}  // namespace zel::sim
