#include "StopSignals.h"
#include "WatchCommand.h"

#include "DeviceReport.h"
#include "presence/PresenceWatcher.h"
#include "zelapi.h"

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <optional>
#include <poll.h>
#include <string>
#include <sys/eventfd.h>
#include <unistd.h>

namespace zel::info {
namespace {

// Changes and stop requests both arrive here; the main thread does all the API work.
int wakeFd = -1;
volatile std::sig_atomic_t stopRequested = 0;

void wake()
{
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto written = ::write(wakeFd, &one, sizeof one);
}

void requestStop(int)
{
    stopRequested = 1;
    wake();
}

void stopOnSignals()
{
    tools::onStopSignals(requestStop);
}

// Blocks until a change or a stop request; false on a stop request.
bool awaitChange()
{
    for (;;) {
        pollfd p{wakeFd, POLLIN, 0};
        if (::poll(&p, 1, -1) < 0 && errno != EINTR)
            return false;
        if (stopRequested != 0)
            return false;
        std::uint64_t count = 0;
        if (::read(wakeFd, &count, sizeof count) > 0)
            return true;
    }
}

// "2 found, 1 opened; device 1: opened, serial 1234; device 2: not opened", as zelinfo counts
// them: enumerated afresh, then let go.
std::string listEmulators()
{
    const int opened = CliCheckUSBDeviceNum();
    const int found = CliGetFoundDeviceCount();
    std::string line = std::to_string(found) + " found, " + std::to_string(opened) + " opened";
    for (int index = 0; index < found; ++index) {
        const bool isOpened = CliIsZelmorProUSBOpened(index) == 1;
        line += "; " + describeDeviceBrief(index, isOpened ? std::optional(CliGetSerailNumber(index)) : std::nullopt);
    }
    CliCloseUSBDevice();
    return line;
}

void say(const std::string& line)
{
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);  // a script follows the changes as they come
}

}  // namespace

int runWatch()
{
    wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wakeFd < 0) {
        std::perror("zelinfo: eventfd");
        return 1;
    }
    stopOnSignals();
    CliCloseUSBDevice();  // what start-up opened is not held while watching
    try {
        session::presence::PresenceWatcher watcher(wake);
        say("emulators: " + listEmulators());
        while (awaitChange())
            say("changed: " + listEmulators());
    } catch (const std::exception& error) {
        std::fprintf(stderr, "zelinfo: cannot watch the emulators: %s\n", error.what());
        return 1;
    }
    say("stopped");
    return 0;
}

}  // namespace zel::info
