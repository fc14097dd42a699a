#include "DeviceHeader.h"

#include "CommandContext.h"
#include "Messages.h"

namespace zel::cmd {

std::string serialTag(int serial) {
    if (serial == -1) return "(N.A)";
    return format(serial < 100000 ? "(VK%06d)" : "(ZL%06d)", serial);
}

std::string deviceHeader(int index, int serial) {
    return format("Device %d %s : \n", deviceNumber(index), serialTag(serial).c_str());
}

bool deviceIsUsable(CommandContext& context, int index) {
    auto& api = context.api();
    if (!api.isOpened(index)) {
        context.console().line(msg::kCannotExecute);
        context.console().line(msg::kNotDetected);
        return false;
    }
    if (api.isEmulating(index)) {
        context.console().line(msg::kCannotExecute);
        context.console().line(msg::kEmulating);
        return false;
    }
    return true;
}

std::string summaryLine(int index, const char* outcome) {
    return format("\nDevice %d : %s", deviceNumber(index), outcome);
}

}  // namespace zel::cmd
