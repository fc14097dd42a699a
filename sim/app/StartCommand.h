// `zelsim start`: runs the simulator in this process (--foreground) or as a daemon that the
// command waits for until every socket accepts connections.
#pragma once

#include "server/SimOptions.h"

namespace zel::sim {

// Returns the process exit status.
int runStart(const SimOptions& options);

}  // namespace zel::sim
