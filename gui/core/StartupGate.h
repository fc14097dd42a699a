// Whether the desktop program may start: not beside the command-line tool, and not on a machine
// with the emulator's retired driver (which the user must replace first; on an older system the
// program removes it itself before ending).
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "DriverHousekeeping.h"

namespace zel::gui {

struct StartRefusal {
    std::string message;  // shown in a message box before the program ends
    int exitStatus = 0;
};

// Nothing when the program may go on. commandLineToolRuns is asked first, so a refusal beside the
// tool never touches the driver housekeeping.
std::optional<StartRefusal> checkStart(const std::function<bool()>& commandLineToolRuns, DriverHousekeeping& drivers);

}  // namespace zel::gui
