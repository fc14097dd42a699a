// Firmware and FPGA maintenance exports and the serial-number write: straight forwards to the
// device link, inert while the API is not initialised.
#include "zelapi.h"

#include "ApiInstance.h"
#include "ZelmorProDll.h"

#include <cstdint>

using zel::api::project;

extern "C" {

bool CliWriteSerailNumber(uint32_t serial)
{
    if (project() == nullptr)
        return false;
    return WriteZelmorProSerailNumber(serial, DoGetUSBDexIndex());
}

int CliUpdateFirmware(const wchar_t* path, int index)
{
    if (project() == nullptr)
        return 0;
    // The device link copies the path before anything is sent.
    return static_cast<int>(
        SendCommandToZelmorPro(ZELMOR_CMD_FIRMWARE_UPDATE, reinterpret_cast<uintptr_t>(path), 0, 0, index));
}

int CliSwitchFPGAVersion(uint32_t version, int index)
{
    if (project() == nullptr)
        return 0;
    return SwitchFPGAVersion(version, index);
}

void CliDoReconfigFPGA(int index)
{
    if (project() != nullptr)
        DoReconfigFPGA(index);
}

}  // extern "C"
