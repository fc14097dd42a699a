// Exports: library start-up and shutdown, enumeration, device slots and names.
#include "LibraryInstance.h"
#include "ZelmorProDll.h"

#include <algorithm>
#include <cwchar>
#include <memory>

using zel::devlink::CZelmorProCom;
using zel::devlink::DeviceSlots;
using zel::devlink::library;
using zel::devlink::libraryInstance;

extern "C" {

void InitZelmorPro() {
    if (!libraryInstance()) libraryInstance() = std::make_unique<CZelmorProCom>(DeviceSlots::process());
}

void ExitZelmorPro() { libraryInstance().reset(); }

int RenumerateZelmorPro() {
    auto* instance = library();
    return instance ? instance->slots().enumerate() : 0;
}

void CloseUSBZelmorPro() {
    if (auto* instance = library()) instance->slots().releaseAll();
}

void CloseZelmorProUSB() { CloseUSBZelmorPro(); }

int IsZelmorProOpened(int index) {
    auto* instance = library();
    return instance && instance->slots().device(index) != nullptr ? 1 : 0;
}

int GetZelmorProFoundCount() {
    auto* instance = library();
    return instance ? static_cast<int>(instance->slots().foundCount()) : 0;
}

unsigned char DoGetUSBDexIndex() { return DeviceSlots::process().currentIndex(); }

wchar_t* GetUSBZelmorProName(wchar_t* name, int index) {
    auto* instance = library();
    if (!instance) {
        // Rewritten on every call, so a caller that writes through the pointer harms nothing.
        static wchar_t blank[2];
        blank[0] = L' ';
        blank[1] = L'\0';
        return blank;
    }
    const wchar_t* read = instance->readDeviceName(index);
    // The name and its terminator only: the caller's buffer may be no longer than that.
    if (name != nullptr) std::copy_n(read, std::wcslen(read) + 1, name);
    return name;
}

}  // extern "C"
