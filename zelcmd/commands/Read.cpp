// --read: reads the target's memory into a bin/hex/s19 file, or dumps it to the console with
// "STDOUT".
#include <string>

#include "CommandContext.h"
#include "DeviceHeader.h"
#include "HexValue.h"
#include "Messages.h"
#include "StepRules.h"
#include "commands/Commands.h"

namespace zel::cmd {
namespace {

constexpr std::string_view kConsoleTarget = "STDOUT";

std::string hexDump(std::span<const std::uint8_t> bytes) {
    std::string dump;
    dump.reserve(bytes.size() * 3 + bytes.size() / 8);
    static constexpr char kDigits[] = "0123456789ABCDEF";
    for (size_t offset = 0; offset < bytes.size(); ++offset) {
        if (offset != 0 && offset % 16 == 0) dump += "\r\n";
        dump += kDigits[bytes[offset] >> 4];
        dump += kDigits[bytes[offset] & 0x0F];
        dump += ' ';
    }
    return dump;
}

bool saveToFile(CommandContext& context, std::span<const std::uint8_t> bytes) {
    const auto& path = *context.options().read;
    context.console().out("Saving, please wait...\n");
    if (!context.api().saveToFile(bytes, userPath(path))) {
        context.console().line("Error: Can not save " + path);
        return false;
    }
    context.console().out(format("Successfully saved into file: %s\n", path.c_str()));
    return true;
}

bool readDevice(CommandContext& context, int index) {
    const auto& options = context.options();
    auto& device = context.device(index);
    if (!device.chipSet) {
        context.console().line(msg::kChipNotSelected);
        return false;
    }
    context.console().out(format("Device %d : ", deviceNumber(index)));
    context.console().out("Read\n");
    const std::uint32_t address = context.withTargetBit(options.addr ? parseHexValue(*options.addr) : 0);
    const std::uint32_t length =
        options.length ? parseHexValue(*options.length) : device.chipSize - (address & 0x7FFFFFFFu);
    if (!deviceIsUsable(context, index)) return false;
    context.console().line("Reading, please wait ...\n");
    const auto read = context.api().read(address, length, device.generation2, index);
    if (read.result != 1 || read.bytes.size() != length) {
        context.console().line("Error: The emulator memory can not be read.");
        context.explain(index);
        return false;
    }
    if (*options.read == kConsoleTarget) {
        context.console().out(hexDump(read.bytes));
        return true;
    }
    return saveToFile(context, read.bytes);
}

}  // namespace

bool runRead(CommandContext& context) {
    // A FIFO would block the save and a device would swallow the bytes: either is refused before
    // any device is read.
    const auto& target = *context.options().read;
    if (target != kConsoleTarget && refuseNonRegularFile(context.console(), userPath(target), target)) return false;
    return runOnEachDevice(context, [&](int index) { return readDevice(context, index); });
}

}  // namespace zel::cmd
