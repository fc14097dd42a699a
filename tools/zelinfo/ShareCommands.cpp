#include "StopSignals.h"
#include "ShareCommands.h"

#include "zelapi.h"

#include <csignal>
#include <cstdio>
#include <ctime>

namespace zel::info {
namespace {

volatile std::sig_atomic_t stopRequested = 0;

void requestStop(int)
{
    stopRequested = 1;
}

// Without SA_RESTART, so that the pause between polls ends at once.
void stopOnSignals()
{
    tools::onStopSignals(requestStop);
}

void say(const std::string& line)
{
    std::fputs(line.c_str(), stdout);
    std::fflush(stdout);  // a script or test follows the holder line by line
}

bool reportMissingChannel()
{
    const char* reason = CliGetUSBShareError();
    if (reason == nullptr || *reason == '\0')
        return false;
    std::fprintf(stderr, "zelinfo: no share channel: %s\n", reason);
    return true;
}

int sendRequest(const char* name, int (*request)())
{
    // The emulators this process opened at start-up must not stand in the holder's way.
    CliCloseUSBDevice();
    const int result = request();
    std::printf("%s: %d, %s\n", name, result, describeShareResult(result).c_str());
    if (result == 4)
        reportMissingChannel();
    return result == 0 ? 0 : 1;
}

// The desktop program's way: a poll every 100 ms, closing the emulators on a pause and
// renumerating them on a regain, each answered once done.
int serve()
{
    if (reportMissingChannel())
        return 1;
    stopOnSignals();
    say("serving pause and regain requests\n");
    while (stopRequested == 0) {
        switch (CliGetUSBShareEvent()) {
        case 1:
            CliCloseUSBDevice();
            say("pause: emulators released\n");
            CliReleaseUSBShareEvent();
            break;
        case 2:
            say("regain: " + std::to_string(CliRenumerateUSBDevice()) + " emulators opened\n");
            CliReleaseUSBShareEvent();
            break;
        default: {
            const timespec interval{0, 100'000'000};
            nanosleep(&interval, nullptr);
        }
        }
    }
    say("stopped\n");
    return 0;
}

}  // namespace

std::string describeShareResult(int result)
{
    switch (result) {
    case 0:
        return "the holder answered";
    case 1:
        return "no answer within 500 ms; the request waits for the holder's next poll";
    case 2:
        return "the wait for the answer failed";
    case 3:
        return "the wait for the answer ended otherwise";
    case 4:
        return "the share channel is busy with another request or not set up";
    default:
        return "unknown result";
    }
}

int runShareCommand(ShareCommand command)
{
    switch (command) {
    case ShareCommand::Pause:
        return sendRequest("pause", CliPauseZelmorPro);
    case ShareCommand::Regain:
        return sendRequest("regain", CliRegainZelmorPro);
    case ShareCommand::Serve:
        break;
    }
    return serve();
}

}  // namespace zel::info
