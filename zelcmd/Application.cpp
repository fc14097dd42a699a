#include "Application.h"

#include <exception>
#include <optional>

#include <boost/program_options/errors.hpp>

#include "ApiSession.h"
#include "CommandContext.h"
#include "Dispatch.h"
#include "platform/DesktopNoticeClient.h"
#include "platform/OldDriverCheck.h"
#include "settings/SettingsKeys.h"
#include "settings/SettingsValues.h"

namespace zel::cmd {
namespace {

// Options, help or dispatch. Any exception becomes the "error: " line on standard error.
int parseAndDispatch(const std::vector<std::string>& arguments, Platform& platform, int deviceCount,
                     std::optional<CommandContext>& context) {
    try {
        auto options = parseOptions(arguments);
        const bool help = arguments.size() <= 1 || options.help;
        context.emplace(Environment{platform.console, platform.input, platform.api, platform.programFolder},
                        std::move(options), deviceCount);
        if (help) {
            platform.console.out(helpText());
            return kExitOk;
        }
        if (context->options().version) {
            platform.console.out("zelcmd " ZEL_VERSION "\n");
            return kExitOk;
        }
        return dispatch(*context);
    } catch (const std::exception& error) {
        platform.console.err(std::string("error: ") + error.what() + "\n");
    } catch (...) {
        platform.console.err("Exception of unknown type!\n");
    }
    return kExitUsage;
}

// The settings document update at the end of the run; "HoldPinSetting" is always recorded,
// since --hold always has a value.
int updateSettings(Platform& platform, CommandContext& context, int status) {
    auto& changes = context.settings();
    changes.set(settings::keys::kHoldPinSetting,
                settings::formatHex(settings::holdPinSettingFor(static_cast<int>(context.options().hold))));
    std::error_code error;
    if (changes.applyTo(platform.settingsDocument, &error) == settings::UpdateResult::Failed) {
        platform.console.out("Error: " + error.message() + "\n");
        return kExitUsage;
    }
    return status;
}

int runWithApi(const std::vector<std::string>& arguments, Platform& platform) {
    std::optional<CommandContext> context;
    int status = kExitUsage;
    {
        // The emulators are released before the settings document is written.
        session::ApiSession session(platform.api);
        status = parseAndDispatch(arguments, platform, platform.api.deviceCount(), context);
    }
    if (context) status = updateSettings(platform, *context, status);
    return status;
}

}  // namespace

int runApplication(const std::vector<std::string>& arguments, Platform& platform) {
    const auto oldDriver = platform.oldDrivers.detect();
    if (oldDriver != OldDriverStatus::Clean) {
        platform.console.out(oldDriverNotice(oldDriver));
        if (oldDriver == OldDriverStatus::PresentOnOldSystem) platform.oldDrivers.remove();
        return kExitOk;
    }
    platform.notifier.devicesTaken();
    int status = kExitUsage;
    try {
        status = runWithApi(arguments, platform);
    } catch (const std::exception& error) {
        platform.console.out(std::string("Error: ") + error.what() + "\n");
        status = kExitUsage;
    }
    platform.notifier.devicesReleased();
    platform.console.flush();
    return status;
}

}  // namespace zel::cmd
