// zeltrace export: a raw capture file as a logic waveform a logic-analyser program opens, a
// sigrok session (.sr) or a VCD file, chosen by the output's extension.
#pragma once

#include "ToolArguments.h"

namespace zel::tools {

extern const char* const kExportUsage;

// `args` holds the words after "export". Exit status: 0 written, 1 a file failed, 2 usage.
int exportCommand(Arguments& args);

}  // namespace zel::tools
