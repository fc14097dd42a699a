// Ctrl-C for a run: SIGINT and SIGTERM raise a cancel token, so the long operations stop at their
// next block and the run ends as after a failed step (workers joined, emulators released, the
// API closed). A second signal ends the process at once, the way the signal always would.
#pragma once

#include "CancelToken.h"

#include <csignal>

namespace zel::cmd {

class InterruptSignals {
public:
    // One instance at a time; the previous handlers come back on destruction.
    explicit InterruptSignals(session::CancelToken& token);
    ~InterruptSignals();
    InterruptSignals(const InterruptSignals&) = delete;
    InterruptSignals& operator=(const InterruptSignals&) = delete;

private:
    struct sigaction previousInt_{};
    struct sigaction previousTerm_{};
};

}  // namespace zel::cmd
