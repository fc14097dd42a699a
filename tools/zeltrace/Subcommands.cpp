#include "Subcommands.h"

#include <string>

#include "CaptureCommand.h"
#include "ExportCommand.h"

namespace zel::zeltrace {
namespace {

constexpr Subcommand kSubcommands[] = {
    {"decode",
     "zeltrace decode FILE [-o OUT] [--translate] [--continuous] [filter options] [--tables DIR]",
     "Usage: zeltrace decode FILE [-o OUT] [--translate] [--continuous] [--tables DIR]\n"
     "                       [--conditions HEX] [--special HEX] [--start HEX] [--end HEX] [--mask]\n"
     "Writes the trace text of the raw capture FILE to OUT (default: standard output) in the\n"
     "full-trace layout, or in the continuous writer's layout with --continuous. --translate\n"
     "names the commands instead of showing their opcodes.\n"
     "With a filter the text is the filter's result, in the result layout:\n"
     "  --conditions HEX  condition bits as the settings document stores them: 1 Write Enable,\n"
     "                    2 Write Disable, 4 Read Status, 8 Write Status, 10 Normal Read,\n"
     "                    20 Fast Read, 40 Page Program, 80 Sector Erase, 100 Chip Erase (C7),\n"
     "                    200 Chip Erase (60), 400 Read ID\n"
     "  --special HEX     one more opcode, kept when START <= address <= END\n"
     "  --start, --end    the address range of Normal Read, Fast Read, Page Program and Sector\n"
     "                    Erase (START <= address < END) and of the special opcode\n"
     "  --mask            compare addresses masked to the chip's size\n"
     "The command tables are read from DIR, else from the program's folder.\n"
     "Exit status: 0 written, 1 a file could not be read or written, 2 usage.\n",
     runDecode},
    {"stats", "zeltrace stats FILE [--tables DIR]",
     "Usage: zeltrace stats FILE [--tables DIR]\n"
     "Prints what the raw capture FILE holds: records, transactions, breaks, the time span, the\n"
     "transactions and data bytes per opcode, and the address ranges each opcode touched.\n"
     "Exit status: 0 printed, 1 a file could not be read, 2 usage.\n",
     runStats},
    {"capture",
     "zeltrace capture FILE [--device N | --serial S] [--ring] [--records N] [--seconds S] [--text TEXTFILE]",
     tools::kCaptureUsage, tools::captureCommand},
    {"export", "zeltrace export CAPTURE OUTPUT.sr|OUTPUT.vcd [--max-gap NS]", tools::kExportUsage, tools::exportCommand},
};

}  // namespace

std::span<const Subcommand> subcommands() { return kSubcommands; }

int usageError(std::string_view subcommand, std::string_view problem) {
    const std::string program = subcommand.empty() ? "zeltrace" : "zeltrace " + std::string(subcommand);
    return tools::usageError(program, problem, kUsage);
}

}  // namespace zel::zeltrace
