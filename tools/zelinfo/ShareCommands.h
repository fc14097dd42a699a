// zelinfo's share-channel commands: --pause and --regain ask the program holding the emulators to
// let them go or to take them back (the requester a script needs); --serve is such a holder, for
// trying the channel out without the desktop program.
#pragma once

#include <string>

namespace zel::info {

enum class ShareCommand { Pause, Regain, Serve };

// What a result of CliPauseZelmorPro or CliRegainZelmorPro means.
std::string describeShareResult(int result);

// Runs the command on an initialised API; the exit status. A request ends with 0 when the holder
// answered; serving goes on until SIGINT or SIGTERM and ends with 0, or 1 without a channel.
int runShareCommand(ShareCommand command);

}  // namespace zel::info
