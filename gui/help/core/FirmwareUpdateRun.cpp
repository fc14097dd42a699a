#include "FirmwareUpdateRun.h"

namespace zel::gui::help {

UpdateOutcome runFirmwareUpdate(session::DeviceApi& api, int index, const std::filesystem::path& source,
                                const UpdateTexts& texts, LogSink& log) {
    if (api.updateFirmware(source, index) == 1) {
        log.log(texts.successLog);
        return UpdateOutcome::Updated;
    }
    const session::DeviceProblem problem = api.problem(index);
    if (problem.reason == session::Reason::Cancelled) {
        log.log("Firmware update cancelled before the on-board flash was touched; the emulator keeps its firmware.");
        return UpdateOutcome::Cancelled;
    }
    log.log("Error: the firmware update from " + source.string() + " failed" +
            (problem.detail.empty() ? std::string(".") : ": " + problem.detail));
    return UpdateOutcome::Failed;
}

}  // namespace zel::gui::help
