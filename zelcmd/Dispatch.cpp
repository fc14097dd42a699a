#include "Dispatch.h"

#include <array>
#include <string>

#include <boost/program_options/cmdline.hpp>
#include <boost/program_options/errors.hpp>

#include "CommandContext.h"
#include "Messages.h"
#include "SerialSelection.h"
#include "commands/Commands.h"

namespace zel::cmd {
namespace {

struct Step {
    bool (*present)(const Options&);
    bool (*run)(CommandContext&);
    int failure;
};

// Options that only make sense with -d (or -r) given without them.
bool misplacedOptionalSwitch(const Options& o) {
    const bool needsDownload = o.verify || o.fill || o.truncate;
    const bool needsDownloadOrRead = o.addr || o.length;
    return (needsDownload && !o.download) || (needsDownloadOrRead && !o.download && !o.read);
}

bool reportMisplacedSwitch(CommandContext& context) {
    context.console().line(msg::kNeedsDownload);
    return false;
}

// After --stop, --set and --download-RPMC; before anything that reads or writes memory.
constexpr std::array kSteps = {
    Step{[](const Options& o) { return o.reset.has_value(); }, runReset, kExitReset},
    Step{[](const Options& o) { return o.updateFirmware.has_value(); }, runUpdateFirmware, kExitUpdateFirmware},
    Step{[](const Options& o) { return o.stop; }, runStop, kExitStop},
    Step{[](const Options& o) { return o.set.has_value(); }, runSetChip, kExitSet},
    Step{[](const Options& o) { return o.downloadRpmc.has_value(); }, runRpmcDownload, kExitDownload},
    Step{misplacedOptionalSwitch, reportMisplacedSwitch, kExitUsage},
    Step{[](const Options& o) { return o.blank; }, runBlank, kExitBlank},
    Step{[](const Options& o) { return o.download.has_value(); }, runDownload, kExitDownload},
    Step{[](const Options& o) { return o.read.has_value(); }, runRead, kExitRead},
    Step{[](const Options& o) { return o.verify; }, runVerify, kExitVerify},
    Step{[](const Options& o) { return o.check; }, runCheck, kExitCheck},
    Step{[](const Options& o) { return o.fsum.has_value(); }, runFileChecksum, kExitChecksum},
    Step{[](const Options& o) { return o.sum; }, runMemoryChecksum, kExitChecksum},
    Step{[](const Options& o) { return o.start; }, runStart, kExitStart},
    Step{[](const Options& o) { return o.listDeviceId.has_value(); }, runListDeviceId, kExitListDeviceId},
};

// The context holds one slot per attached emulator: a number outside 1..count names none.
void refuseNumber(const char* option, unsigned value) {
    boost::program_options::invalid_option_value error(std::to_string(value));
    error.set_option_name(option);
    error.set_prefix(boost::program_options::command_line_style::allow_long);
    throw error;
}

void refuseSerial(const std::string& value, const std::string& why) {
    boost::program_options::invalid_option_value error(value + " (" + why + ")");
    error.set_option_name("serial");
    error.set_prefix(boost::program_options::command_line_style::allow_long);
    throw error;
}

// --serial S becomes --device k for the emulator reporting that serial number.
void resolveSerial(CommandContext& context) {
    const auto& typed = context.options().serial;
    if (!typed) return;
    if (context.options().device) throw boost::program_options::error("--serial and --device do not go together");
    const auto serial = session::parseSerial(*typed);
    if (!serial) refuseSerial(*typed, "not a serial number");
    auto& api = context.api();
    const auto found = session::findBySerial(*serial, context.deviceCount(), [&api](int index) { return api.serialNumber(index); });
    if (!found) refuseSerial(*typed, found.problem().detail);
    context.chooseDevice(static_cast<unsigned>(*found + 1));
}

void checkDeviceNumbers(const CommandContext& context) {
    const auto& options = context.options();
    const auto count = static_cast<unsigned>(context.deviceCount());
    if (options.device && (*options.device < 1 || *options.device > count)) refuseNumber("device", *options.device);
    if (options.listDeviceId && *options.listDeviceId > count) {
        refuseNumber("list-device-id", *options.listDeviceId);
    }
}

void bootFromEmulator(CommandContext& context) {
    for (int index : context.selectedDevices()) context.api().bootFromEmulator(index);
}

}  // namespace

int dispatch(CommandContext& context) {
    if (context.deviceCount() == 0) {
        context.console().line(msg::kNoDevice);
        context.explain(-1);
        return kExitOk;
    }
    resolveSerial(context);
    checkDeviceNumbers(context);
    bootFromEmulator(context);
    for (const auto& step : kSteps) {
        if (step.present(context.options()) && !step.run(context)) return step.failure;
    }
    if (context.options().hold != 3 && !context.options().start) {
        context.console().line(msg::kNeedsStart);
        return kExitHoldWithoutStart;
    }
    return kExitOk;
}

}  // namespace zel::cmd
