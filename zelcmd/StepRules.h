// The multi-device rule: with --device a step's outcome is that device's result; without it the
// step fails when any device failed, while every device still runs and prints its messages.
#pragma once

#include <functional>
#include <vector>

namespace zel::cmd {

class CommandContext;

// Runs `perDevice` on every selected device in index order, storing each result.
bool runOnEachDevice(CommandContext& context, const std::function<bool(int index)>& perDevice);
// The step's outcome from the devices' stored results.
bool stepSucceeded(CommandContext& context, const std::vector<int>& devices);
bool anySucceeded(CommandContext& context, const std::vector<int>& devices);

}  // namespace zel::cmd
