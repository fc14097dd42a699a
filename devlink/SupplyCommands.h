// The target supply: three level frames (opcode 0x11) per voltage, channel 2, then 3, then 4
// (channel 4 is the supply itself, in millivolts).
#pragma once

#include "CommandChannel.h"

#include <array>
#include <cstdint>

namespace zel::devlink {

enum class SupplyVoltage { V3_3, V2_5, V1_8 };

struct LevelSetting {
    uint8_t channel;
    uint16_t value;
};

using SupplyLevels = std::array<LevelSetting, 3>;

// The level frames of one supply voltage, in the order they are sent.
SupplyLevels supplyLevels(SupplyVoltage voltage);

class SupplyCommands {
public:
    explicit SupplyCommands(CommandChannel channel) : channel_(channel) {}

    // Sends the voltage's level frames; stops at the first that fails (false). A slot that is
    // not open sends nothing.
    bool setSupply(SupplyVoltage voltage);

private:
    CommandChannel channel_;
};

}  // namespace zel::devlink
