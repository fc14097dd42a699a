// Everything `zelsim start` was asked for.
#pragma once

#include "core/DeviceProfile.h"
#include "server/SerprogSetting.h"

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <optional>
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
    // Bulk transfer rate in MB/s of every device that names no `speed=`; 0 as fast as possible.
    double linkSpeed = 0;
    std::vector<DeviceProfile> devices;
    // Per device, in the same order: the serprog endpoint of its target bus.
    std::vector<SerprogSetting> serprog;
    // Device i serves serprog on this port + i unless it names its own port.
    std::optional<uint16_t> serprogBase;
};

}  // namespace zel::sim
