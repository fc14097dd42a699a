// The fixed dispatch order: whatever the order on the command line, the steps run as listed in
// Dispatch.cpp; a step whose option is absent succeeds without effect, and the first step that
// fails ends the run with its exit status.
#pragma once

namespace zel::cmd {

class CommandContext;

enum ExitStatus : int {
    kExitOk = 0,
    kExitStop = 1,
    kExitStart = 2,
    kExitSet = 3,
    kExitDownload = 4,  // --download and --download-RPMC
    kExitRead = 5,
    kExitVerify = 6,
    kExitChecksum = 7,  // --fsum and --sum
    kExitCheck = 8,
    kExitBlank = 9,
    kExitListDeviceId = 10,
    kExitReset = 11,
    kExitUpdateFirmware = 12,
    kExitHoldWithoutStart = 13,
    kExitUsage = 99,
};

// Runs the requested steps; the exit status. Throws boost::program_options::error for a --device
// or --list-device-id that names no attached emulator.
int dispatch(CommandContext& context);

}  // namespace zel::cmd
