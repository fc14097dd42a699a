// One zelcmd run from start-up to exit status: old-driver check, desktop notice, API start,
// option parsing, help or dispatch, then shut-down (API closed after every worker has ended,
// settings document updated, desktop notice).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace zel::session {
class DeviceApi;
}

namespace zel::cmd {

using session::DeviceApi;
class AnswerInput;
class Console;
class DesktopNotifier;
class OldDriverCheck;

struct Platform {
    Console& console;
    AnswerInput& input;  // the answer to the voltage question
    DeviceApi& api;
    OldDriverCheck& oldDrivers;
    DesktopNotifier& notifier;
    std::filesystem::path programFolder;
    std::filesystem::path settingsDocument;
};

// `arguments`: argv as UTF-8, the program name first. Returns the exit status.
int runApplication(const std::vector<std::string>& arguments, Platform& platform);

}  // namespace zel::cmd
