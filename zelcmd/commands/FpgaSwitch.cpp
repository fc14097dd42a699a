#include "commands/FpgaSwitch.h"

#include <chrono>

#include "CommandContext.h"
#include "Messages.h"

namespace zel::cmd {
namespace {

constexpr std::uint32_t kImage18VLocation = device::kG2Image18VLocation;
constexpr std::uint32_t kImage33VLocation = 0;
constexpr auto kSettleTime = std::chrono::milliseconds(2000);
constexpr std::string_view kVccSettingError = "Error: VCC setting error! Please re-plug ZelmorPro-G2";

void restoreDefaultPins(CommandContext& context, int index) {
    auto& api = context.api();
    api.setHoldPin(1, index);
    api.setMisoDriven(0);
    api.setResetPin(false, index);
    api.setAddressLength(true, index);
    api.setQeBit(index);
    api.setDieEraseSize(index);
    // Only G2 emulators switch images, so the chip-select mode always applies here.
    api.setChipSelect(true, index);
}

}  // namespace

bool switchFpgaImage(CommandContext& context, int index, std::uint32_t chipVoltage) {
    auto& api = context.api();
    const bool to18V = chipVoltage == 1800;
    api.reconfigureFpga(index);
    if (!api.switchFpgaVersion(to18V ? kImage18VLocation : kImage33VLocation, index)) return false;
    if (to18V) api.pause(kSettleTime, index);
    const auto info = api.productInfo(index);
    if (!info.answered) {
        context.console().line(msg::kNoAnswer);
        context.explain(index);
        return false;
    }
    if (info.fpgaMajor() != (to18V ? kFpgaMajor18V : kFpgaMajor33V)) {
        context.console().line(kVccSettingError);
        return false;
    }
    restoreDefaultPins(context, index);
    return true;
}

}  // namespace zel::cmd
