// Session and identity exports: API lifecycle, device enumeration and product information, plus
// the image-buffer access that sessions set up.
#include "zelapi.h"

#include "ApiInstance.h"
#include "ZelmorProDll.h"
#include "zeldev.h"


using zel::api::CProject;
using zel::api::project;

extern "C" {

void CliInitialZelmorProDLL()
{
    zel::api::createProject();
}

void CliCloseZelmorProDLL()
{
    zel::api::destroyProject();
}

int CliIsZelmorProUSBOpened(int index)
{
    return IsZelmorProOpened(index);
}

int CliIsMemoryEmulationRunning(int index)
{
    return IsZelmorProRunning(index);
}

int CliGetEmulationState(int index)
{
    int running = 0;
    if (TryIsZelmorProRunning(&running, index) == 0)
        return -1;
    return running;
}

int CliGetFoundDeviceCount()
{
    if (project() == nullptr)
        return 0;
    return GetZelmorProFoundCount();
}

int CliGetDeviceProblem(int index, char* text, size_t capacity)
{
    if (project() == nullptr) {
        if (text != nullptr && capacity > 0)
            *text = '\0';
        return ZEL_REASON_NO_DEVICE;
    }
    return GetZelmorProProblem(index, text, capacity);
}

int CliCheckUSBDeviceNum()
{
    if (project() == nullptr)
        return 0;
    return RenumerateZelmorPro();
}

int CliRenumerateUSBDevice()
{
    if (project() == nullptr)
        return 0;
    const int opened = RenumerateZelmorPro();
    // No emulator of the current design: the earlier design may be attached instead.
    return opened > 0 ? opened : RenumerateDevice();
}

uint8_t CliGetUSBDevIndex()
{
    if (project() == nullptr)
        return 0;
    return DoGetUSBDexIndex();
}

void CliCloseUSBDevice()
{
    CloseZelmorProUSB();
    CloseUSBDevice();
}

void CliGetProductInfo(uint32_t* firmware, uint8_t* hardware, wchar_t* name, int index)
{
    CliTryGetProductInfo(firmware, hardware, name, index);
}

int CliTryGetProductInfo(uint32_t* firmware, uint8_t* hardware, wchar_t* name, int index)
{
    if (project() == nullptr)
        return 0;
    bool versionRead = true;
    if (firmware != nullptr) {
        // A device that does not answer reads as version 0.
        uint8_t version[4] = {};
        versionRead = TryGetZelmorProFirmwareVersion(version, index) != 0;
        *firmware = uint32_t{version[0]} | uint32_t{version[1]} << 8 | uint32_t{version[2]} << 16 |
                    uint32_t{version[3]} << 24;
    }
    if (hardware != nullptr)
        *hardware = GetZelmorProHWVersion(index);
    if (name != nullptr)
        GetUSBZelmorProName(name, index);
    return versionRead ? 1 : 0;
}

uint32_t CliGetSerailNumber(int index)
{
    if (project() == nullptr)
        return 0;
    return GetZelmorProSerialNumber(index);
}

uint8_t CliGetRegister02()
{
    uint8_t value = 0;
    return ReadRegister(2, value);
}

uint8_t* CliGetDLLBuffer()
{
    CProject* api = project();
    return api != nullptr ? api->imageBuffer().data() : nullptr;
}

void CliDoSetZelmorProType(bool large, int /*index*/)
{
    CProject* api = project();
    if (api == nullptr || !large)
        return;
    try {
        api->presetImageBuffer(CProject::kLargeBufferSize);
    } catch (...) {
        // Out of memory: the current buffer stays in place, still valid.
    }
}

}  // extern "C"
