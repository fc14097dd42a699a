// zelcmd: the console front end of the emulator host software.
#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

#include "AnswerInput.h"
#include "Application.h"
#include "CancelToken.h"
#include "Console.h"
#include "ProgramFolder.h"
#include "ProgressReporting.h"
#include "ZelapiDevices.h"
#include "platform/DesktopNoticeClient.h"
#include "platform/InterruptSignals.h"
#include "platform/OldDriverCheck.h"
#include "settings/SettingsLocation.h"

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv, argv + argc);
    zel::cmd::ProcessConsole processConsole;
    zel::session::CancelToken cancel;
    zel::cmd::InterruptSignals interrupts(cancel);
    // Outlives the run: every worker has been joined before runApplication returns.
    zel::cmd::ProgressReporting console(processConsole, cancel, STDERR_FILENO);
    zel::session::ZelapiDevices api;
    zel::cmd::ConsoleAnswers answers(0, std::cin);
    auto oldDrivers = zel::cmd::makeOldDriverCheck();
    zel::cmd::SocketDesktopNotifier notifier;
    zel::cmd::Platform platform{console, answers, api, *oldDrivers, notifier, zel::cmd::programFolder(),
                                zel::settings::userSettingsDocumentPath()};
    return zel::cmd::runApplication(arguments, platform);
}
