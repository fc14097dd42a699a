// What the simulator gives every device model: where its strict-mode findings go, the time
// scale, and where it keeps what survives a restart.
#pragma once

#include "core/Findings.h"
#include "core/SimTime.h"

#include <chrono>
#include <filesystem>

namespace zel::sim {

struct DeviceEnvironment {
    Findings& findings;
    SimTime time;
    std::filesystem::path flashFile;           // empty: keep the flash in memory only
    std::chrono::milliseconds chipEraseTime;   // before time scaling
};

}  // namespace zel::sim
