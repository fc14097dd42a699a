// Firmware and FPGA maintenance exports and the serial-number write: straight forwards to the
// device link, inert while the API is not initialised.
#include "zelapi.h"

#include "ApiInstance.h"
#include "ProgressCallback.h"
#include "TransferFailure.h"
#include "ZelmorProDll.h"

#include <cstdint>

using zel::api::project;

namespace {

// The device link's firmware progress, passed on as ZEL_OP_FIRMWARE of device `index`.
struct FirmwareReport {
    int index;

    static int forward(void* context, uint64_t done, uint64_t total)
    {
        const int index = static_cast<FirmwareReport*>(context)->index;
        return zel::api::callProgressCallback({ZEL_OP_FIRMWARE, index, done, total}) ? 1 : 0;
    }
};

constexpr int kFirmwareStopped = 2;  // UpdateZelmorProFirmware: stopped before the flash was touched

}  // namespace

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
    if (!zel::api::progressCallbackInstalled())
        return static_cast<int>(
            SendCommandToZelmorPro(ZELMOR_CMD_FIRMWARE_UPDATE, reinterpret_cast<uintptr_t>(path), 0, 0, index));
    zel::api::clearTransferFailure();
    FirmwareReport report{index};
    const int outcome = UpdateZelmorProFirmware(path, &FirmwareReport::forward, &report, index);
    if (outcome != kFirmwareStopped)
        return outcome;
    zel::api::noteTransferFailure(zel::api::kTransferCancelled);
    return 0;
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
