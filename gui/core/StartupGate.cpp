#include "StartupGate.h"

namespace zel::gui {

std::optional<StartRefusal> checkStart(const std::function<bool()>& commandLineToolRuns, DriverHousekeeping& drivers) {
    if (commandLineToolRuns()) return StartRefusal{"Varnik ZelmorPro--CLI is already running! ", 1};
    const OldDriver found = drivers.detect();
    if (found == OldDriver::Clean) return std::nullopt;
    if (found == OldDriver::PresentOnOldSystem) drivers.remove();
    return StartRefusal{std::string(oldDriverMessage(found)), 0};
}

}  // namespace zel::gui
