#include "CZelmorProCom.h"

#include "IdentityCommands.h"

#include <algorithm>

namespace zel::devlink {

CZelmorProCom::CZelmorProCom(DeviceSlots& slots) : slots_(slots) {
    slots_.enumerate();
    readDeviceName(slots_.currentIndex());
}

CZelmorProCom::~CZelmorProCom() = default;

const wchar_t* CZelmorProCom::readDeviceName(int index) {
    name_.fill(L'\0');
    auto name = IdentityCommands(slots_.channel(index)).deviceName();
    std::copy_n(name.begin(), std::min(name.size(), name_.size() - 1), name_.begin());
    return name_.data();
}

}  // namespace zel::devlink
