#include "SupplyCommands.h"

namespace zel::devlink {

SupplyLevels supplyLevels(SupplyVoltage voltage) {
    switch (voltage) {
    case SupplyVoltage::V2_5: return {{{2, 2160}, {3, 1533}, {4, 2500}}};
    case SupplyVoltage::V1_8: return {{{2, 1679}, {3, 1066}, {4, 1800}}};
    case SupplyVoltage::V3_3: break;
    }
    return {{{2, 2879}, {3, 1800}, {4, 3300}}};
}

bool SupplyCommands::setSupply(SupplyVoltage voltage) {
    for (const auto& level : supplyLevels(voltage)) {
        if (!channel_.sendCommand(CommandFrame(Opcode::SetLevel).put8(1, level.channel).put16(2, level.value)))
            return false;
    }
    return true;
}

}  // namespace zel::devlink
