// The API calls the desktop program makes as the holder of the emulators, beside the ones both
// front ends share (session::DeviceApi): letting the emulators go and taking them back, serving
// the share channel and reading the target's last SPI command. Bound to zelapi by ZelapiHolder,
// to a fake in tests.
#pragma once

#include <cstdint>
#include <span>

namespace zel::gui {

class HolderApi {
public:
    virtual ~HolderApi() = default;

    virtual void closeDevices() = 0;  // CliCloseUSBDevice
    virtual int renumerate() = 0;     // CliRenumerateUSBDevice: the number of emulators opened
    virtual int foundCount() = 0;     // emulators found by the last enumeration, opened or not
    virtual int shareEvent() = 0;     // CliGetUSBShareEvent: 0 none, 1 pause, 2 regain
    virtual void releaseShareEvent() = 0;
    virtual std::uint32_t lastCommand(int index) = 0;  // CliGetSPILastCommandOf
    virtual void setHtPort(bool fromUsb) = 0;
    virtual void setRstPin(bool on, int index) = 0;
    // CliSetVccTo33V, CliSetVccTo25V or CliSetVccTo18V for 3300, 2500 or 1800 mV. Only a manual
    // supply calls it, so stand-ins that never set one need not answer it.
    virtual void setSupply(std::uint32_t /*millivolts*/, int /*index*/) {}
};

}  // namespace zel::gui
