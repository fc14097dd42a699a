// zelinfo --apply: makes one target of one emulator impersonate the chip of a .cfg file, the way
// the front ends do (header read, apply, then the chip-dependent option registers), and prints
// what the API then knows about the chip.
#pragma once

#include <cstdint>
#include <string>

namespace zel::info {

struct ApplyRequest {
    std::string configPath;  // UTF-8
    int device = 0;          // device index, as the API counts (from 0)
    int target = 1;          // 1 or 2
};

// What the API reported about the applied chip.
struct AppliedChip {
    std::wstring vendor;
    std::wstring chip;
    uint32_t chipSize = 0;
    uint32_t voltageMillivolts = 0;
    bool fixedAddressMode = false;
    bool hasSfdp = false;
};

std::string describeAppliedChip(const ApplyRequest& request, const AppliedChip& chip);

// Runs the request through the API (initialised by the caller). Prints the chip on stdout and
// returns 0, or prints an error on stderr and returns 1.
int applyChipConfig(const ApplyRequest& request);

}  // namespace zel::info
