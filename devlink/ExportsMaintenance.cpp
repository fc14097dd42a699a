// Exports: on-board flash sector erase, FPGA image switch and reconfiguration, identity writes.
// (The firmware update and the page commands go through SendCommandToZelmorPro.)
#include "FpgaCommands.h"
#include "IdentityWrites.h"
#include "LibraryInstance.h"
#include "OnBoardFlashCommands.h"
#include "ZelmorProDll.h"

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

int SwitchFPGAVersion(uint32_t address, int index) { return FpgaCommands(channelOf(index)).switchImage(address) ? 1 : 0; }

void DoReconfigFPGA(int index) { FpgaCommands(channelOf(index)).reconfigure(); }

bool WriteZelmorProSerailNumber(unsigned int serial, int index) {
    return IdentityWrites(channelOf(index)).writeSerialNumber(serial);
}

bool WriteZelmorProHWVersion(unsigned char version, int index) {
    return IdentityWrites(channelOf(index)).writeHardwareVersion(version);
}

}  // extern "C"
