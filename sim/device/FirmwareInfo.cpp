#include "device/FirmwareInfo.h"

#include "core/Transfer.h"
#include "device/FirmwareBoot.h"

namespace zel::sim {

uint8_t FirmwareInfo::fpgaMajor() const {
    const auto major = static_cast<uint8_t>(version_ >> 8);
    if (!imageSwitched_) return major;
    return selectedImage_ == kLowVoltageImage ? static_cast<uint8_t>(major | 0x80) : static_cast<uint8_t>(major & 0x7F);
}

std::vector<uint8_t> FirmwareInfo::versionReply() const {
    return {kFiller, fpgaMajor(), static_cast<uint8_t>(version_), static_cast<uint8_t>(version_ >> 24),
            static_cast<uint8_t>(version_ >> 16)};
}

void FirmwareInfo::powerUp(const OnBoardFlash& flash) {
    version_ = firmwareInFlash(flash).value_or(configured_);
    selectedImage_ = 0;
    imageSwitched_ = false;
}

void FirmwareInfo::install(CommandTable& table) {
    table.onFrame(0x10, [this](const Frame&, CommandContext& context) { context.reply(versionReply()); });
    table.onFrame(0x20, [this](const Frame&, CommandContext&) {
        ++reconfigurations_;
        reloadFpga_();
    });
    table.onFrame(0x24, [this](const Frame& f, CommandContext&) {
        selectedImage_ = f.number(1, 4);
        imageSwitched_ = true;
        reloadFpga_();
    });
}

}  // namespace zel::sim
