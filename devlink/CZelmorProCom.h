// The library instance: the library counts as initialised exactly while it exists. It owns
// no device; the slot table outlives it.
#pragma once

#include "DeviceSlots.h"

#include <array>

namespace zel::devlink {

class CZelmorProCom {
public:
    static constexpr size_t kNameLength = 256;  // wide characters, terminator included

    // Enumerates the emulators and reads the current device's name.
    explicit CZelmorProCom(DeviceSlots& slots);
    virtual ~CZelmorProCom();
    CZelmorProCom(const CZelmorProCom&) = delete;
    CZelmorProCom& operator=(const CZelmorProCom&) = delete;

    DeviceSlots& slots() const { return slots_; }

    // Clears the name buffer and reads the name of a slot into it; returns the buffer.
    const wchar_t* readDeviceName(int index);
    const wchar_t* name() const { return name_.data(); }

private:
    DeviceSlots& slots_;
    std::array<wchar_t, kNameLength> name_{};
};

}  // namespace zel::devlink
