// zeltrace export: a raw capture file as a logic waveform a logic-analyser program opens, a
// sigrok session (.sr) or a VCD file, chosen by the output's extension.
#pragma once

#include "ToolArguments.h"

namespace zel::tools {

inline constexpr const char kExportUsage[] =
    "Usage: zeltrace export CAPTURE OUTPUT [--max-gap NS] [--tables DIR]\n"
    "Draws the transactions of the raw capture file CAPTURE as an SPI waveform (mode 0, clock\n"
    "synthesised at 50 MHz, sampled at 100 MHz, channels CS, CLK, MOSI/IO0, MISO/IO1, IO2, IO3)\n"
    "and writes it as a sigrok session (OUTPUT.sr) or a VCD file (OUTPUT.vcd). Transactions start\n"
    "at their timestamps, but pauses longer than --max-gap (default 1000 ns) are shortened to it.\n"
    "The command tables of DIR, else of the program's folder, say which bytes travel on which lines.\n"
    "Exit status: 0 written, 1 a file could not be read or written, 2 usage.\n";

// `args` holds the words after "export". Exit status: 0 written, 1 a file failed, 2 usage.
int exportCommand(Arguments& args);

}  // namespace zel::tools
