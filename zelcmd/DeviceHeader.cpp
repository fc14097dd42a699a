#include "DeviceHeader.h"

#include "CommandContext.h"
#include "Messages.h"

namespace zel::cmd {

std::string serialTag(std::uint32_t serial) {
    if (serial == kSerialNotAvailable) return "(N.A)";
    return format(serial < 100000 ? "(VK%06u)" : "(ZL%06u)", serial);
}

std::string deviceHeader(int index, std::uint32_t serial) {
    return format("Device %d %s : \n", deviceNumber(index), serialTag(serial).c_str());
}

bool deviceIsUsable(CommandContext& context, int index) {
    auto& api = context.api();
    if (!api.isOpened(index)) {
        context.console().line(msg::kCannotExecute);
        context.console().line(msg::kNotDetected);
        context.explain(index);
        return false;
    }
    const auto emulating = api.emulationState(index);
    if (!emulating || *emulating) {
        context.console().line(msg::kCannotExecute);
        context.console().line(emulating ? msg::kEmulating : msg::kNoAnswer);
        if (!emulating) context.explain(index);
        return false;
    }
    return true;
}

std::string summaryLine(int index, const char* outcome) {
    return format("\nDevice %d : %s", deviceNumber(index), outcome);
}

}  // namespace zel::cmd
