// zeltrace capture: records one emulator's SPI trace into a raw capture file (and, with --text,
// the continuous text), linear (until the 128 MiB buffer is full) or as a ring (until stopped),
// for a number of records or seconds, until Ctrl-C or SIGTERM, which stop it cleanly: everything
// captured is saved and the files are closed.
#pragma once

#include "DeviceChoice.h"
#include "ToolArguments.h"

#include <cstdint>
#include <filesystem>
#include <optional>

namespace zel::tools {

struct CaptureJob {
    std::filesystem::path output;
    std::optional<std::filesystem::path> text;
    DeviceChoice device;
    bool ring = false;
    std::optional<uint64_t> records;
    std::optional<uint64_t> seconds;
    uint64_t chipSize = 0x1000000;
    bool fourByteAtPowerUp = false;
};

extern const char* const kCaptureUsage;

// `args` holds the words after "capture". Exit status: 0 captured (a full linear buffer
// included), 1 the device or a file failed, 2 usage.
int captureCommand(Arguments& args);

}  // namespace zel::tools
