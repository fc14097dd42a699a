#include "ChipConfigCommand.h"

#include "CommandDispatcher.h"
#include "IdentityCommands.h"
#include "RegisterCommands.h"
#include "chipcfg/ChipConfigFile.h"
#include "text/TextCodec.h"

#include <string>

namespace zel::devlink {
namespace {

// Sends what the walk produces, as it produces it. Transfers are single-attempt and their
// failures are not reported (the result of command 4 does not depend on them), with one
// exception: the final read-modify-write of the pin control register writes nothing back when
// its read failed, so a zeroed reply never clears the register's other bits.
class DeviceWalk final : public chipcfg::WalkVisitor {
public:
    explicit DeviceWalk(CommandChannel channel) : channel_(channel), registers_(channel) {}

    void writeRegister(const chipcfg::RegisterWrite& write) override { registers_.write(write.reg, write.value); }

    void setLevel(const chipcfg::LevelSet& level) override {
        channel_.sendCommand(CommandFrame(Opcode::SetLevel).put8(1, level.channel).put16(2, level.value));
    }

    void finish() override {
        auto pins = registers_.read(chipcfg::kPinControlRegister);
        if (pins) registers_.write(chipcfg::kPinControlRegister, *pins | chipcfg::kPinControlConfiguredBit);
    }

private:
    CommandChannel channel_;
    RegisterCommands registers_;
};

}  // namespace

ChipConfigResult applyChipConfig(CommandChannel channel, const std::filesystem::path& path, chipcfg::ChipSlot slot) {
    auto bytes = chipcfg::loadChipConfigBytes(path);
    if (!bytes) return ChipConfigResult::NotApplied;
    // The generation decides how section 1 ends; it is asked of the device before every record.
    auto isG2 = [channel] { return IdentityCommands(channel).isG2(); };
    DeviceWalk device(channel);
    auto walked = chipcfg::walkChipConfig(bytes.value(), slot, isG2, device);
    return walked ? ChipConfigResult::Applied : ChipConfigResult::NotApplied;
}

long chipConfigCommand(CommandContext& context) {
    const auto* widePath = reinterpret_cast<const wchar_t*>(context.request.arg);
    if (widePath == nullptr) return 0;
    // The caller's string is copied before anything is sent; the library keeps no pointer to it.
    const std::filesystem::path path = text::widePath(std::wstring(widePath));
    const auto slot = (context.request.value1 & 0xFF) != 0 ? chipcfg::ChipSlot::Second : chipcfg::ChipSlot::First;
    return applyChipConfig(context.channel, path, slot) == ChipConfigResult::Applied ? 1 : 0;
}

}  // namespace zel::devlink
