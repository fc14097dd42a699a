// The command line of `zelsim start`.
#pragma once

#include "server/SimOptions.h"

#include <string>
#include <vector>

namespace zel::sim {

// Arguments after "start". Throws std::invalid_argument with a message for the user.
SimOptions parseStartOptions(const std::vector<std::string>& arguments);

}  // namespace zel::sim
