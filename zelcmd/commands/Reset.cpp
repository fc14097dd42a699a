// --reset: enables (2) or disables (anything else) the target reset function.
#include "CommandContext.h"
#include "Messages.h"
#include "StepRules.h"
#include "commands/Commands.h"
#include "settings/SettingsKeys.h"

namespace zel::cmd {
namespace {

constexpr std::string_view kEnabled =
    "Enable reset function now. \nReset function is always enabled until ZelmorPro un-plug.";
constexpr std::string_view kDisabled =
    "Disable reset function now.\nReset function is always disabled until enable the reset funtion ";

bool resetDevice(CommandContext& context, int index, bool enable) {
    if (context.api().isEmulating(index)) {
        context.console().line(msg::kCannotExecute);
        context.console().line(msg::kEmulating);
        return false;
    }
    context.api().setResetPin(enable, index);
    context.console().line(enable ? kEnabled : kDisabled);
    return true;
}

}  // namespace

bool runReset(CommandContext& context) {
    const bool enable = *context.options().reset == 2;
    const bool succeeded = runOnEachDevice(context, [&](int index) { return resetDevice(context, index, enable); });
    if (anySucceeded(context, context.selectedDevices())) {
        context.settings().setBool(settings::keys::kEnableResetPin, enable);
    }
    return succeeded;
}

}  // namespace zel::cmd
