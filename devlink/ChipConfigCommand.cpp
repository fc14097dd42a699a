#include "ChipConfigCommand.h"

#include "CommandDispatcher.h"
#include "FirmwareVersionQuery.h"
#include "IdentityCommands.h"
#include "RegisterCommands.h"
#include "chipcfg/ChipConfigFile.h"
#include "text/TextCodec.h"

#include <string>

namespace zel::devlink {
namespace {

// Sends what the walk produces, as it produces it. Transfers are single-attempt; the first one
// that fails (a version read included) ends the traffic: nothing more is sent, so an emulator
// that stopped answering costs one time-out rather than one per record, and a failed version
// read never lets a G2 emulator be configured as a first-generation one. The final
// read-modify-write of the pin control register writes nothing back when its read failed, so a
// zeroed reply never clears the register's other bits.
class DeviceWalk final : public chipcfg::WalkVisitor {
public:
    explicit DeviceWalk(CommandChannel channel) : channel_(channel), registers_(channel) {}

    // The generation test asked before every section-1 record.
    bool isG2() {
        if (failed_) return false;
        auto version = queryFirmwareVersion(channel_);
        if (!version) failed_ = true;
        return version && isG2Firmware(*version);
    }

    void writeRegister(const chipcfg::RegisterWrite& write) override {
        if (!failed_) failed_ = !registers_.write(write.reg, write.value);
    }

    void setLevel(const chipcfg::LevelSet& level) override {
        if (!failed_)
            failed_ = !channel_.sendCommand(CommandFrame(Opcode::SetLevel).put8(1, level.channel).put16(2, level.value));
    }

    void finish() override {
        if (failed_) return;
        auto pins = registers_.read(chipcfg::kPinControlRegister);
        failed_ = !pins || !registers_.write(chipcfg::kPinControlRegister, *pins | chipcfg::kPinControlConfiguredBit);
    }

    // Every transfer of the walk went out (and every reply came back).
    bool complete() const { return !failed_; }

private:
    CommandChannel channel_;
    RegisterCommands registers_;
    bool failed_ = false;
};

}  // namespace

ChipConfigResult applyChipConfig(CommandChannel channel, const std::filesystem::path& path, chipcfg::ChipSlot slot) {
    auto bytes = chipcfg::loadChipConfigBytes(path);
    if (!bytes) return ChipConfigResult::NotApplied;
    DeviceWalk device(channel);
    // The generation decides how section 1 ends; it is asked of the device before every record.
    auto walked = chipcfg::walkChipConfig(bytes.value(), slot, [&device] { return device.isG2(); }, device);
    if (!walked) return ChipConfigResult::NotApplied;
    return device.complete() ? ChipConfigResult::Applied : ChipConfigResult::TransferFailed;
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
