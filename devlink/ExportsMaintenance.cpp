// Exports: on-board flash sector erase, FPGA image switch and reconfiguration, identity writes.
// (The firmware update and the page commands go through SendCommandToZelmorPro.)
#include "FirmwareUpdate.h"
#include "FpgaCommands.h"
#include "IdentityWrites.h"
#include "LibraryInstance.h"
#include "OnBoardFlashCommands.h"
#include "ZelmorProDll.h"
#include "text/TextCodec.h"

#include <string>

using zel::devlink::CommandChannel;
using zel::devlink::FpgaCommands;
using zel::devlink::IdentityWrites;
using zel::devlink::library;

namespace {

// A closed channel (sends nothing) when not initialised, for a bad index or a slot not open.
CommandChannel channelOf(int index) {
    auto* instance = library();
    return instance ? instance->slots().channel(index) : CommandChannel(nullptr);
}

}  // namespace

extern "C" {

void SectorEraseZelmorProOnBoardFlash(int address, int index) {
    zel::devlink::OnBoardFlashCommands(channelOf(index)).eraseSector(static_cast<uint32_t>(address));
}

int UpdateZelmorProFirmware(const wchar_t* path, ZelmorProProgress progress, void* context, int index) {
    if (library() == nullptr || path == nullptr) return 0;
    // The caller's string is copied before anything is sent; the library keeps no pointer to it.
    const std::filesystem::path source = zel::text::widePath(std::wstring(path));
    using zel::devlink::UpdateOutcome;
    switch (zel::devlink::FirmwareUpdate(channelOf(index), {progress, context}).run(source)) {
    case UpdateOutcome::Updated: return 1;
    case UpdateOutcome::Failed: return 0;
    case UpdateOutcome::Stopped: return 2;
    }
    return 0;
}

int SwitchFPGAVersion(uint32_t address, int index) { return FpgaCommands(channelOf(index)).switchImage(address) ? 1 : 0; }

void DoReconfigFPGA(int index) { FpgaCommands(channelOf(index)).reconfigure(); }

bool WriteZelmorProSerailNumber(unsigned int serial, int index) {
    return IdentityWrites(channelOf(index)).writeSerialNumber(serial);
}

bool WriteZelmorProHWVersion(unsigned char version, int index) {
    return IdentityWrites(channelOf(index)).writeHardwareVersion(version);
}

}  // extern "C"
