#include "StepRules.h"

#include "CommandContext.h"

namespace zel::cmd {

bool runOnEachDevice(CommandContext& context, const std::function<bool(int index)>& perDevice) {
    const auto devices = context.selectedDevices();
    for (int index : devices) context.device(index).result = perDevice(index);
    return stepSucceeded(context, devices);
}

bool stepSucceeded(CommandContext& context, const std::vector<int>& devices) {
    if (devices.empty()) return false;
    for (int index : devices) {
        if (!context.device(index).result) return false;
    }
    return true;
}

bool anySucceeded(CommandContext& context, const std::vector<int>& devices) {
    for (int index : devices) {
        if (context.device(index).result) return true;
    }
    return false;
}

}  // namespace zel::cmd
