// --list-device-id: the serial numbers of the attached emulators in enumeration order (0 = all),
// so that the user can tell which number to give to --device.
#include "CommandContext.h"
#include "Messages.h"
#include "StepRules.h"
#include "commands/Commands.h"

namespace zel::cmd {
namespace {

std::string listLine(int index, std::uint32_t serial, bool all) {
    const int number = deviceNumber(index);
    if (serial == kSerialNotAvailable) return format(all ? "Device %d  : N.A\n" : "Device %d : N.A\n", number);
    if (serial < 100000) return format(all ? "Device %d : VK%06u\n" : "Device %d : VK%06u \n", number, serial);
    return format("Device %d : ZL%06u\n", number, serial);
}

bool listDevice(CommandContext& context, int index, bool all) {
    auto& api = context.api();
    if (api.isEmulating(index)) {
        context.console().line(msg::kCannotExecute);
        context.console().line(msg::kEmulating);
        return false;
    }
    context.console().out(listLine(index, api.serialNumber(index), all));
    return true;
}

}  // namespace

bool runListDeviceId(CommandContext& context) {
    const unsigned selector = *context.options().listDeviceId;
    if (selector > 0) {
        const int index = static_cast<int>(selector) - 1;
        return context.device(index).result = listDevice(context, index, false);
    }
    // Listing all succeeds when every device could be listed.
    bool every = true;
    for (int index = 0; index < context.deviceCount(); ++index) {
        context.device(index).result = listDevice(context, index, true);
        every = every && context.device(index).result;
    }
    return every;
}

}  // namespace zel::cmd
