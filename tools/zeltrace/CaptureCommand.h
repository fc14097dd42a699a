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
#include <string>

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
    std::string tables;  // --tables DIR; empty: the program's folder
};

inline constexpr const char kCaptureUsage[] =
    "Usage: zeltrace capture FILE [--device N | --serial S] [--ring] [--records N] [--seconds S]\n"
    "                        [--text TEXTFILE] [--tables DIR] [--chip-size BYTES] [--four-byte]\n"
    "Records the emulator's SPI trace into the raw capture file FILE. Linear (default): until the\n"
    "128 MiB buffer is full. --ring: the buffer is reused while a writer saves it, without limit.\n"
    "--records and --seconds end the capture; Ctrl-C or SIGTERM end it cleanly. --text also writes\n"
    "the continuous text (TEXTFILE, then TEXTFILE_1, ... past 128 MiB each), decoded with the\n"
    "command tables of DIR or of the program's folder. --chip-size (default 16 MiB) and\n"
    "--four-byte (the chip starts in 4-byte address mode) describe the emulated chip for decoding.\n"
    "Without --device or --serial: the API's current emulator.\n"
    "Prints \"capturing\" once the trace store is emptied (the target may start then), a summary at\n"
    "the end. Exit status: 0 captured, 1 the device or a file failed, 2 usage.\n";

// `args` holds the words after "capture". Exit status: 0 captured (a full linear buffer
// included), 1 the device or a file failed, 2 usage.
int captureCommand(Arguments& args);

}  // namespace zel::tools
