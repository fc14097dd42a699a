// --download-RPMC: builds the 164-byte RPMC table from the .rpmc file once and writes it to every
// selected emulator, one worker per device.
#include "CommandContext.h"
#include "DeviceHeader.h"
#include "Messages.h"
#include "StepRules.h"
#include "WorkerPool.h"
#include "commands/Commands.h"
#include "device/DeviceFacts.h"
#include "fileio/FileErrors.h"
#include "rpmc/RpmcFile.h"
#include "rpmc/RpmcTable.h"
#include "settings/SettingsKeys.h"

namespace zel::cmd {
namespace {

bool firmwareSupportsRpmc(CommandContext& context, int index) {
    const auto info = context.api().productInfo(index);
    if (device::supportsRpmc(info.word())) return true;
    context.console().line("");
    context.console().out(format("\nDevice %d : ", deviceNumber(index)));
    context.console().line("Warning: This version firmware does NOT support RPMC!!");
    context.console().line("Please contact Varnik for further support!!");
    return false;
}

bool passesMainThreadChecks(CommandContext& context, int index) {
    if (context.api().isEmulating(index)) {
        context.console().line(msg::kCannotExecute);
        context.console().line(msg::kEmulating);
        return false;
    }
    return firmwareSupportsRpmc(context, index);
}

void writeTable(CommandContext& context, int index, const rpmc::RpmcTable& table) {
    auto& api = context.api();
    if (!api.isOpened(index)) {
        context.console().line(msg::kNotDetected);
        context.explain(index);
    }
    context.console().out(format("\nDevice %d : ", deviceNumber(index)));
    context.console().line("Downloading, please wait ...\n");
    context.device(index).result = api.writeRpmc(table, index) == 1;
}

}  // namespace

bool runRpmcDownload(CommandContext& context) {
    const auto& path = *context.options().downloadRpmc;
    std::error_code error;
    const auto rpmcSettings = rpmc::loadRpmcFile(userPath(path), error);
    if (!rpmcSettings) {
        const bool notRegular = error == fileio::FileError::NotRegularFile;
        context.console().line(notRegular ? notRegularFileError(path) : "Error: Can not open " + path + "\r\n");
        return false;
    }
    const auto table = rpmc::buildRpmcTable(*rpmcSettings);
    const auto devices = context.selectedDevices();
    {
        WorkerPool workers(context.console(), context.options().noisy, static_cast<int>(devices.size()));
        for (int index : devices) {
            context.device(index).result = false;
            if (!passesMainThreadChecks(context, index)) {
                workers.skip();
                continue;
            }
            workers.start([&context, index, &table] { writeTable(context, index, table); });
        }
        workers.wait();
    }
    for (int index : devices) {
        context.console().out(summaryLine(index, context.device(index).result ? "Download Complete" : "Download Failed"));
    }
    if (anySucceeded(context, devices)) context.settings().add(rpmc::rpmcSettingChanges(*rpmcSettings));
    return stepSucceeded(context, devices);
}

}  // namespace zel::cmd
