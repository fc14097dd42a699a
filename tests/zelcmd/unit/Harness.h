// Runs zelcmd's dispatch (or the whole application) on the fake API and keeps the console text.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "Application.h"
#include "CommandContext.h"
#include "Console.h"
#include "Dispatch.h"
#include "FakeDeviceApi.h"
#include "TempDir.h"
#include "platform/DesktopNoticeClient.h"
#include "platform/OldDriverCheck.h"

namespace zel::test {

struct RecordingNotifier final : zel::cmd::DesktopNotifier {
    std::vector<std::string>* log;
    explicit RecordingNotifier(std::vector<std::string>* calls) : log(calls) {}
    void devicesTaken() override { log->push_back("notice 1"); }
    void devicesReleased() override { log->push_back("notice 2"); }
};

struct FixedOldDriverCheck final : zel::cmd::OldDriverCheck {
    zel::cmd::OldDriverStatus status = zel::cmd::OldDriverStatus::Clean;
    bool removed = false;
    zel::cmd::OldDriverStatus detect() override { return status; }
    void remove() override { removed = true; }
};

struct RunResult {
    int status = -1;
    std::string out;
    std::string err;
};

class Harness {
public:
    explicit Harness(int devices = 1) : api(devices) {
        std::filesystem::create_directories(folder.path() / "config" / "ZelmorPro");
        addChip("W25Q32JV");
    }

    void addChip(const std::string& name, bool earlierModel = false) {
        auto dir = folder.path() / "config";
        if (!earlierModel) dir /= "ZelmorPro";
        writeBytes(dir / (name + ".cfg"), "cfg");
    }

    std::filesystem::path file(const std::string& name, std::string_view bytes = "data") {
        writeBytes(folder / name, bytes);
        return folder / name;
    }

    // The dispatch alone, after parsing `arguments` (without the program name).
    RunResult dispatch(std::vector<std::string> arguments, const std::string& input = "") {
        arguments.insert(arguments.begin(), "zelcmd");
        zel::cmd::RecordingConsole console;
        std::istringstream in(input);
        zel::cmd::StreamAnswers answers(in);
        context.emplace(zel::cmd::Environment{console, answers, api, folder.path()}, zel::cmd::parseOptions(arguments),
                        api.deviceCount());
        RunResult result;
        result.status = zel::cmd::dispatch(*context);
        result.out = console.stdoutText();
        result.err = console.stderrText();
        return result;
    }

    // The whole application, settings document and notices included.
    RunResult application(std::vector<std::string> arguments, const std::string& input = "") {
        arguments.insert(arguments.begin(), "zelcmd");
        zel::cmd::RecordingConsole console;
        std::istringstream in(input);
        zel::cmd::StreamAnswers answers(in);
        RecordingNotifier notifier(&notices);
        zel::cmd::Platform platform{console, answers, api, oldDrivers, notifier, folder.path(), folder / "settings.xml"};
        RunResult result;
        result.status = zel::cmd::runApplication(arguments, platform);
        result.out = console.stdoutText();
        result.err = console.stderrText();
        return result;
    }

    TempDir folder;
    FakeDeviceApi api;
    FixedOldDriverCheck oldDrivers;
    std::vector<std::string> notices;
    std::optional<zel::cmd::CommandContext> context;
};

}  // namespace zel::test
