// Chip-configuration exports: information from .cfg files, applying a file to an emulator's
// target, and the chip-dependent option registers.
#include "zelapi.h"

#include "ApiInstance.h"
#include "ChipConfigOperations.h"

using zel::api::CProject;
using zel::api::project;

static_assert(zel::api::kVendorChars == kZelVendorNameChars && zel::api::kChipChars == kZelChipNameChars);

extern "C" {

void CliGetConfigFileInfo(const wchar_t* cfgPath, wchar_t* vendor, wchar_t* chip, uint32_t* chipSize,
                          uint32_t* voltage, uint8_t* addrModeFlag)
{
    // Works also without the API object: chip lists are built from the files alone.
    zel::api::readConfigFileInfo(project(), cfgPath, {vendor, chip, chipSize, voltage, addrModeFlag});
}

uint8_t CliGetConfigFileSFDP(const wchar_t* cfgPath)
{
    if (project() == nullptr)
        return 0;
    return zel::api::configFileHasSfdp(cfgPath);
}

void CliSetChipType(const wchar_t* cfgPath, bool target2, int index)
{
    CliTrySetChipType(cfgPath, target2, index);
}

int CliTrySetChipType(const wchar_t* cfgPath, bool target2, int index)
{
    CProject* api = project();
    return api != nullptr && zel::api::setChipType(*api, cfgPath, target2, index) ? 1 : 0;
}

void CliSetAddrLen(bool threeByte, int index)
{
    if (CProject* api = project())
        zel::api::writeAddressLength(*api, threeByte, index);
}

void CliSetSetQEbit(int index)
{
    if (CProject* api = project())
        zel::api::writeQuadEnable(*api, index);
}

void CliSetDieEraseSize(int index)
{
    if (CProject* api = project())
        zel::api::writeDieEraseSize(*api, index);
}

}  // extern "C"
