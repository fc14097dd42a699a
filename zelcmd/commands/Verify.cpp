// -v: compares the target's memory with the image downloaded in this run.
#include "CommandContext.h"
#include "DeviceHeader.h"
#include "HexValue.h"
#include "Messages.h"
#include "StepRules.h"
#include "commands/Commands.h"

namespace zel::cmd {
namespace {

bool verifyDevice(CommandContext& context, int index) {
    const auto& options = context.options();
    auto& device = context.device(index);
    if (!device.chipSet || !device.downloadSucceeded) {
        context.console().line(msg::kNeedsDownload);
        return false;
    }
    context.console().out(format("Device %d : ", deviceNumber(index)));
    context.console().out("Verify\n");
    const std::uint32_t address = context.withTargetBit(options.addr ? parseHexValue(*options.addr) : 0);
    const std::uint32_t length = options.length ? parseHexValue(*options.length) : context.imageLength;
    if (!deviceIsUsable(context, index)) return false;
    context.console().line(msg::kCheckingWait);
    const auto verified = context.api().verify(address, length, device.generation2, index);
    if (verified.result == 1) {
        context.console().line("Verify Pass. Checksum is the same.\n");
        return true;
    }
    if (verified.cancelled) {
        // Stopped part way: nothing was found to differ.
        context.console().line("Verify cancelled.\n");
        return false;
    }
    if (verified.readFailed) {
        context.console().line("Error: The emulator memory can not be read.");
        context.explain(index);
    }
    context.console().line("Verify Fail. Checksum is different.\n");
    return false;
}

}  // namespace

bool runVerify(CommandContext& context) {
    return runOnEachDevice(context, [&](int index) { return verifyDevice(context, index); });
}

}  // namespace zel::cmd
