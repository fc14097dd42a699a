// zelinfo --watch: one line each time emulators arrive or leave, for scripts and for trying the
// presence watcher without the desktop program.
#pragma once

namespace zel::info {

// Runs on an initialised API until SIGINT or SIGTERM; the exit status (0, or 1 when the emulators
// cannot be watched). Lists the emulators once at the start and again after every change; they
// are opened only while they are listed, so other programs can use them in between.
int runWatch();

}  // namespace zel::info
