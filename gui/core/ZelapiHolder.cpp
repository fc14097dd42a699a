#include "ZelapiHolder.h"

#include "zelapi.h"

namespace zel::gui {

void ZelapiHolder::closeDevices() { CliCloseUSBDevice(); }
int ZelapiHolder::renumerate() { return CliRenumerateUSBDevice(); }
int ZelapiHolder::foundCount() { return CliGetFoundDeviceCount(); }
int ZelapiHolder::shareEvent() { return CliGetUSBShareEvent(); }
void ZelapiHolder::releaseShareEvent() { CliReleaseUSBShareEvent(); }

std::uint32_t ZelapiHolder::lastCommand(int index) {
    std::uint32_t value = 0;
    CliGetSPILastCommandOf(&value, index);
    return value;
}

void ZelapiHolder::setHtPort(bool fromUsb) { CliSetHTPort(fromUsb); }
void ZelapiHolder::setRstPin(bool on, int index) { CliSetRSTPin(on, index); }

}  // namespace zel::gui
