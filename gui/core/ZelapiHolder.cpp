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

void ZelapiHolder::setSupply(std::uint32_t millivolts, int index) {
    if (millivolts == 1800) CliSetVccTo18V(index);
    else if (millivolts == 2500) CliSetVccTo25V(index);
    else CliSetVccTo33V(index);
}

}  // namespace zel::gui
