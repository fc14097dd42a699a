// --check: the software version, then each emulator's state and firmware versions.
#include "CommandContext.h"
#include "DeviceHeader.h"
#include "Messages.h"
#include "StepRules.h"
#include "commands/Commands.h"

#ifndef ZEL_VERSION
#define ZEL_VERSION ""
#endif

namespace zel::cmd {
namespace {

constexpr size_t kVersionChars = 35;

// The header of --check: two blanks before the line end, except one for a "ZL" serial number of
// an emulator that is not emulating.
std::string checkHeader(int index, std::uint32_t serial, bool emulating) {
    const bool oneBlank = !emulating && serial != kSerialNotAvailable && serial >= 100000;
    return format("Device %d %s :%s\r\n", deviceNumber(index), serialTag(serial).c_str(), oneBlank ? " " : "  ");
}

std::string fpgaLine(const ProductInfo& info) {
    const int major = info.fpgaMajor() & device::kFpgaMajorMask;
    const int minor = info.fpgaMinor();
    if (minor < device::kFirstFpgaMinorWithVoltage) return format("%s %d.0%d\n", "FPGA firmware version:", major, minor);
    const char* pattern = (info.fpgaMajor() & device::kFpga18VFlag) ? "%s %d.0%d (1.8V)" : "%s %d.0%d (3.3V)";
    return format(pattern, "FPGA firmware version:", major, minor);
}

bool checkDevice(CommandContext& context, int index) {
    auto& api = context.api();
    auto& console = context.console();
    const std::uint32_t serial = api.serialNumber(index);
    const auto emulating = api.emulationState(index);
    if (emulating.value_or(false)) {
        console.out(checkHeader(index, serial, true));
        console.line(msg::kCannotExecute);
        console.line(msg::kEmulating);
        console.line("");
        return false;
    }
    const auto info = api.productInfo(index);
    console.out(checkHeader(index, serial, false));
    if (!api.isOpened(index)) {
        console.line(msg::kNotDetected);
        context.explain(index);
        return false;
    }
    // A state or version that was never read is not reported as one.
    if (!emulating || !info.answered) {
        console.line(msg::kNoAnswer);
        context.explain(index);
        return false;
    }
    console.line(msg::kStopMode);
    console.line(format("%s %d.%d", "MCU firmware version:", info.mcuMajor(), info.mcuMinor()));
    console.line(fpgaLine(info));
    console.out("\r\n");
    return true;
}

}  // namespace

bool runCheck(CommandContext& context) {
    const std::string version = std::string(ZEL_VERSION).substr(0, kVersionChars);
    context.console().out(format("\r\nZelmorPro software veriosn: %s\r\n\r\n", version.c_str()));
    return runOnEachDevice(context, [&](int index) { return checkDevice(context, index); });
}

}  // namespace zel::cmd
