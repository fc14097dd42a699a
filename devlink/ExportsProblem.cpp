// Export: why a device cannot be used, in words a user can act on.
#include "LibraryInstance.h"
#include "ZelmorProDll.h"

#include <algorithm>
#include <string>

using zel::devlink::DeviceSlots;
using zel::transport::Problem;

namespace {

std::string describe(const DeviceSlots::SlotProblem& slot) {
    const std::string where = slot.location.empty() ? "the emulator" : slot.location;
    switch (slot.problem) {
    case Problem::None: return {};
    case Problem::NoDevice: return "no emulator at this position";
    case Problem::Busy: return where + " is held by another process";
    case Problem::Permission:
        return "permission denied on " + where + ": install the udev rule (60-zelmor.rules) and re-plug the emulator";
    case Problem::Timeout: return "the emulator did not answer in time";
    case Problem::Disconnected: return "the emulator was disconnected";
    case Problem::DeviceError: return "the emulator reported a transfer error";
    }
    return {};
}

void copyText(const std::string& text, char* out, size_t capacity) {
    if (out == nullptr || capacity == 0) return;
    const size_t length = std::min(text.size(), capacity - 1);
    std::copy_n(text.data(), length, out);
    out[length] = '\0';
}

}  // namespace

extern "C" int GetZelmorProProblem(int index, char* text, size_t capacity) {
    copyText({}, text, capacity);
    auto* instance = zel::devlink::library();
    if (instance == nullptr) {
        copyText("the device library is not initialised", text, capacity);
        return static_cast<int>(Problem::NoDevice);
    }
    const auto& slots = instance->slots();
    if (index == -1) {
        if (slots.foundCount() > 0) return static_cast<int>(Problem::None);
        copyText(slots.nothingFoundReason(), text, capacity);
        return static_cast<int>(Problem::NoDevice);
    }
    const auto problem = slots.problem(index);
    copyText(describe(problem), text, capacity);
    return static_cast<int>(problem.problem);
}
