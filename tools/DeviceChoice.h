// --device N or --serial S: which emulator a tool works on, read the way zelcmd reads them. The
// number is checked against the emulators found only once the API has enumerated them.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "DeviceNumber.h"
#include "DeviceProblem.h"
#include "ToolArguments.h"

namespace zel::tools {

struct DeviceChoice {
    std::optional<uint64_t> number;     // --device, counted from 1
    std::optional<uint32_t> serial;     // --serial, parsed
    std::string serialText;             // --serial as typed, for messages

    bool given() const { return number || serial; }
};

// Takes --device and --serial out of `args`; a malformed value, or both at once, is noted there
// as the problem.
DeviceChoice takeDeviceChoice(Arguments& args);

// The API index of the chosen emulator among `found` ones, each serial read through `serialOf`;
// else a sentence naming the option, its value and what would be valid.
session::Outcome<int> resolveDeviceChoice(const DeviceChoice& choice, int found,
                                          const std::function<uint32_t(int)>& serialOf);

// The same over the emulators the API found (it enumerates when it is initialised).
session::Outcome<int> findChosenEmulator(const DeviceChoice& choice);

}  // namespace zel::tools
