// --stop: stops emulation and leaves the hold pin floating.
#include "CommandContext.h"
#include "DeviceHeader.h"
#include "Messages.h"
#include "StepRules.h"
#include "commands/Commands.h"

namespace zel::cmd {
namespace {

constexpr std::uint8_t kHoldFloating = 2;

bool stopDevice(CommandContext& context, int index) {
    auto& api = context.api();
    const bool opened = api.isOpened(index);
    const auto emulating = api.emulationState(index);
    context.console().out(deviceHeader(index, api.serialNumber(index)));
    if (opened && (!emulating || (*emulating && !api.stopEmulation(index)))) {
        // Never "STOP mode" for an emulator that may still be running; it gets nothing more.
        context.console().line(msg::kNoAnswer);
        context.explain(index);
        return false;
    }
    if (!opened) {
        context.console().line(msg::kNotDetected);
        context.explain(index);
    } else if (*emulating) {
        context.console().line("Stop Emulator. \nEmulator is in STOP mode now.\n");
    } else {
        context.console().line(msg::kStopMode);
    }
    api.setHoldPin(kHoldFloating, index);
    // An emulator that cannot be detected was not stopped.
    return opened;
}

}  // namespace

bool runStop(CommandContext& context) {
    return runOnEachDevice(context, [&](int index) { return stopDevice(context, index); });
}

}  // namespace zel::cmd
