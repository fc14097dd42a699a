// --start: programs the hold pin (--hold always has a value) and starts emulation.
#include "CommandContext.h"
#include "DeviceHeader.h"
#include "Messages.h"
#include "StepRules.h"
#include "commands/Commands.h"

namespace zel::cmd {
namespace {

void applyHoldPin(CommandContext& context, int index) {
    auto& api = context.api();
    switch (context.options().hold) {
    case 2:
        api.setHoldPin(3, index);
        context.console().line("Hold pin is in Input by default mode");
        break;
    case 3:
        api.setHoldPin(2, index);
        context.console().line("Hold pin is in Floating by default mode");
        break;
    default:
        api.setHoldPin(0, index);
        context.console().line("Hold pin is in Default low mode");
        break;
    }
}

bool startDevice(CommandContext& context, int index) {
    auto& api = context.api();
    const bool opened = api.isOpened(index);
    const auto emulating = api.emulationState(index);
    context.console().out(deviceHeader(index, api.serialNumber(index)));
    applyHoldPin(context, index);
    if (!opened) {
        context.console().line(msg::kNotDetected);
        context.explain(index);
        if (emulating.value_or(false)) context.console().line(msg::kEmulating);
        return false;
    }
    // Nothing is announced that the emulator did not confirm.
    if (!emulating || (!*emulating && !api.startEmulation(index))) {
        context.console().line(msg::kNoAnswer);
        context.explain(index);
        return false;
    }
    if (*emulating)
        context.console().line(msg::kEmulating);
    else
        context.console().line("Start Emulator. \nEmulator is in Emulation mode.\nReady to boot your system now.");
    return true;
}

}  // namespace

bool runStart(CommandContext& context) {
    return runOnEachDevice(context, [&](int index) { return startDevice(context, index); });
}

}  // namespace zel::cmd
