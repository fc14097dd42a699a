#include "FirmwareUpdate.h"

#include "CommandDispatcher.h"
#include "FirmwareSource.h"
#include "FirmwareVersionQuery.h"
#include "FlashErase.h"
#include "FlashWriter.h"
#include "OnBoardFlashCommands.h"
#include "settings/SettingsLocation.h"
#include "text/TextCodec.h"

#include <string>
#include <system_error>

namespace zel::devlink {
namespace {

FirmwareSource loadSource(const FirmwareVersion& version, const std::filesystem::path& source) {
    return isG2Firmware(version) ? loadFirmwareContainer(source) : loadFirmwareFolder(source);
}

void removeEncrypFile() {
    std::error_code ignored;
    std::filesystem::remove(encrypFilePath(), ignored);
}

}  // namespace

std::filesystem::path encrypFilePath() { return settings::userSettingsFolder() / "Encryp.bin"; }

// Every page the update writes and reads back: both padded images and the boot marker page.
uint64_t updateTraffic(const FirmwareImages& images) {
    return 2 * (paddedImageSize(images.fpga.size()) + paddedImageSize(images.mcu.size()) + kFlashPageSize);
}

UpdateOutcome FirmwareUpdate::run(const std::filesystem::path& source) {
    auto version = queryFirmwareVersion(channel_);
    if (!version) return UpdateOutcome::Failed;
    auto loaded = loadSource(*version, source);
    const auto* images = std::get_if<FirmwareImages>(&loaded);
    if (images == nullptr) return UpdateOutcome::Failed;
    // The last moment a stop leaves the old firmware whole: nothing has been sent to the flash.
    if (progress_.stopAsked(updateTraffic(*images))) return UpdateOutcome::Stopped;

    OnBoardFlashCommands flash(channel_);
    flash.prepareForWrite();
    if (!isKnownFlashId(flash.readJedecId())) return UpdateOutcome::Failed;

    const bool written = eraseAndWrite(*images);
    removeEncrypFile();
    return written ? UpdateOutcome::Updated : UpdateOutcome::Failed;
}

bool FirmwareUpdate::eraseAndWrite(const FirmwareImages& images) {
    if (eraseOnBoardFlash(channel_, &progress_) != EraseOutcome::Erased) return false;
    FlashWriter writer(channel_, &progress_);
    touchJedecId();
    const bool fpgaWritten = writer.writeImage(kFpgaImageAddress, images.fpga);
    // The MCU image is written even after the FPGA image failed; the boot marker is not.
    touchJedecId();
    const bool mcuWritten = writer.writeImage(kMcuImageAddress, images.mcu);
    touchJedecId();
    return fpgaWritten && mcuWritten && writer.writeBootMarker();
}

// Part of the update sequence the device is used to between its phases; the value is not used.
void FirmwareUpdate::touchJedecId() { OnBoardFlashCommands(channel_).readJedecId(); }

// 2: arg = zero-terminated wide path of a firmware folder or container.
long firmwareUpdateCommand(CommandContext& context) {
    const auto* widePath = reinterpret_cast<const wchar_t*>(context.request.arg);
    if (widePath == nullptr) return 0;
    // The caller's string is copied before anything is sent; the library keeps no pointer to it.
    const std::filesystem::path source = text::widePath(std::wstring(widePath));
    return FirmwareUpdate(context.channel).run(source) == UpdateOutcome::Updated ? 1 : 0;
}

}  // namespace zel::devlink
