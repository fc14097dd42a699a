// Exports: firmware version, hardware version and serial number.
#include "FirmwareVersionQuery.h"
#include "IdentityCommands.h"
#include "LibraryInstance.h"
#include "ZelmorProDll.h"

#include <algorithm>
#include <climits>

using zel::devlink::IdentityCommands;
using zel::devlink::library;

namespace {

IdentityCommands identityOf(zel::devlink::CZelmorProCom& instance, int index) {
    return IdentityCommands(instance.slots().channel(index));
}

}  // namespace

extern "C" {

void GetZelmorProFirmwareVersion(unsigned char* version, int index) {
    auto* instance = library();
    if (!instance || version == nullptr) return;
    auto read = identityOf(*instance, index).firmwareVersion();
    std::copy(read.begin(), read.end(), version);
}

int TryGetZelmorProFirmwareVersion(unsigned char* version, int index) {
    auto* instance = library();
    if (!instance || version == nullptr) return 0;
    auto read = zel::devlink::queryFirmwareVersion(instance->slots().channel(index));
    if (!read) return 0;
    std::copy(read->begin(), read->end(), version);
    return 1;
}

unsigned char GetZelmorProHWVersion(int index) {
    auto* instance = library();
    return instance ? identityOf(*instance, index).hardwareVersion() : 0;
}

unsigned int GetZelmorProSerialNumber(int index) {
    auto* instance = library();
    return instance ? identityOf(*instance, index).serialNumber() : 0xFFFFFF;
}

}  // extern "C"

void GetZelmorProHWVersion(unsigned char& version, unsigned int index) {
    if (!library()) return;
    // An index beyond int is no slot; -1 keeps it outside the table.
    version = GetZelmorProHWVersion(index > INT_MAX ? -1 : static_cast<int>(index));
}
