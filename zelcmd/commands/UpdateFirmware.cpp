// --update-fw: updates the MCU and FPGA firmware of every selected emulator from a firmware file,
// one worker per device.
#include <iomanip>
#include <sstream>

#include "CommandContext.h"
#include "DeviceHeader.h"
#include "Messages.h"
#include "StepRules.h"
#include "WorkerPool.h"
#include "commands/Commands.h"

namespace zel::cmd {
namespace {

std::string updatingLine(int index, std::uint32_t serial) {
    std::ostringstream line;
    line << "Device " << deviceNumber(index);
    if (serial == kSerialNotAvailable) {
        line << " (N.A";
    } else {
        line << (serial < 100000 ? " (VK" : " (ZL") << std::setw(6) << std::setfill('0') << serial;
    }
    line << ") : " << " Firmware updating .....\n";
    return line.str();
}

void updateDevice(CommandContext& context, int index) {
    auto& api = context.api();
    context.console().out(updatingLine(index, api.serialNumber(index)));
    context.device(index).result = api.updateFirmware(userPath(*context.options().updateFirmware), index) == 1;
}

const char* replugMessage(CommandContext& context) {
    const bool one = context.singleDevice() || context.deviceCount() == 1;
    return one ? "Please replug ZelmorPro..." : "Please replug all ZelmorPro(s)...";
}

}  // namespace

bool runUpdateFirmware(CommandContext& context) {
    // A folder holds a first-generation release; anything else must be a regular file.
    const auto& path = *context.options().updateFirmware;
    const auto source = userPath(path);
    std::error_code ignored;
    if (!std::filesystem::is_directory(source, ignored) && refuseNonRegularFile(context.console(), source, path))
        return false;
    const auto devices = context.selectedDevices();
    {
        WorkerPool workers(context.console(), context.options().noisy, static_cast<int>(devices.size()));
        for (int index : devices) {
            context.device(index).result = false;
            if (context.api().isEmulating(index)) {
                context.console().line(msg::kCannotExecute);
                context.console().line(msg::kEmulating);
                if (context.singleDevice()) return false;
                workers.skip();
                continue;
            }
            workers.start([&context, index] { updateDevice(context, index); });
        }
        workers.wait();
    }
    for (int index : devices) {
        const bool done = context.device(index).result;
        context.console().out(summaryLine(index, done ? "Firmware Update Complete!" : "Firmware Update Fail!"));
    }
    context.console().line(replugMessage(context));
    return stepSucceeded(context, devices);
}

}  // namespace zel::cmd
