#include "FlashErase.h"

#include "CommandDispatcher.h"
#include "FirmwareVersionQuery.h"
#include "OnBoardFlashCommands.h"

namespace zel::devlink {
namespace {

bool usesChipErase(const FirmwareVersion& version) {
    return (versionWord(version) & 0xFFFF0000) <= kLastChipEraseFirmware;
}

void tick(FirmwareProgress* progress) {
    if (progress != nullptr) progress->tick();
}

// The fixed wait, in slices so that progress keeps coming; the slices add up to the same wait.
void waitForChipErase(CommandChannel channel, FirmwareProgress* progress) {
    if (progress == nullptr) {
        transport::scaledSleep(*channel.device(), kChipEraseWait);
        return;
    }
    constexpr auto kSlice = std::chrono::milliseconds(100);
    for (auto waited = std::chrono::milliseconds(0); waited < kChipEraseWait; waited += kSlice) {
        transport::scaledSleep(*channel.device(), kSlice);
        progress->tick();
    }
}

EraseOutcome eraseChip(CommandChannel channel, FirmwareProgress* progress) {
    OnBoardFlashCommands flash(channel);
    if (!flash.eraseChip()) return EraseOutcome::TransferFailed;
    waitForChipErase(channel, progress);
    for (int reads = 0; reads < kEraseStatusReads; ++reads) {
        if (flash.eraseStatus() != 0) break;
    }
    return EraseOutcome::Erased;
}

EraseOutcome eraseFirmwareSectors(CommandChannel channel, FirmwareProgress* progress) {
    OnBoardFlashCommands flash(channel);
    for (uint32_t sector = 0; sector < kUpdateSectorCount; ++sector) {
        // A device that stopped answering gets no further frames to time out on.
        if (!flash.eraseSector(sector * kFlashSectorSize)) return EraseOutcome::TransferFailed;
        tick(progress);
    }
    return EraseOutcome::Erased;
}

}  // namespace

EraseOutcome eraseOnBoardFlash(CommandChannel channel, FirmwareProgress* progress) {
    // Guessing the version would pick the chip erase and wipe the identity page of a device
    // whose firmware keeps it.
    auto version = queryFirmwareVersion(channel);
    if (!version) return EraseOutcome::NoVersion;
    return usesChipErase(*version) ? eraseChip(channel, progress) : eraseFirmwareSectors(channel, progress);
}

// 0xB1: 1 when the erase went out; 0 when the version could not be read (nothing erased) or
// an erase frame failed.
long eraseFlashCommand(CommandContext& context) {
    return eraseOnBoardFlash(context.channel) == EraseOutcome::Erased ? 1 : 0;
}

}  // namespace zel::devlink
