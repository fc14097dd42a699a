#include "ExportCommand.h"

#include "TraceExport.h"
#include "fileio/ProgramFolder.h"

#include <cstdio>

namespace zel::tools {

const char* const kExportUsage =
    "Usage: zeltrace export CAPTURE OUTPUT [--max-gap NS]\n"
    "Draws the transactions of the raw capture file CAPTURE as an SPI waveform (mode 0, clock\n"
    "synthesised at 50 MHz, sampled at 100 MHz, channels CS, CLK, MOSI/IO0, MISO/IO1, IO2, IO3)\n"
    "and writes it as a sigrok session (OUTPUT.sr) or a VCD file (OUTPUT.vcd). Transactions start\n"
    "at their timestamps, but pauses longer than --max-gap (default 1000 ns) are shortened to it.\n"
    "Exit status: 0 written, 1 a file could not be read or written, 2 usage.\n";

int exportCommand(Arguments& args) {
    traceexport::ExportRequest request;
    uint64_t gap = 0;
    if (args.takeNumber("--max-gap", 40, 1'000'000'000, gap)) request.gapCap = static_cast<uint32_t>(gap / 10);
    if (auto problem = args.problem({"CAPTURE", "OUTPUT"})) return usageError("zeltrace export", *problem, 2);
    request.input = args.rest()[0];
    request.output = args.rest()[1];
    const auto format = traceexport::formatFor(request.output);
    if (!format) return usageError("zeltrace export", "OUTPUT must end in .sr or .vcd: " + request.output.string(), 2);
    request.format = *format;

    std::error_code error;
    const auto folder = fileio::programFolder();
    const auto commands = trace::CommandTable::load(folder / trace::kCommandTableFile, error);
    const auto io = commands ? trace::CommandIoTable::load(folder / trace::kCommandIoTableFile, error) : std::nullopt;
    if (!commands || !io) {
        std::fprintf(stderr, "Error: cannot read the command tables in %s: %s\n", folder.c_str(), error.message().c_str());
        return 1;
    }
    const auto result = traceexport::exportTrace(request, *commands, *io);
    if (!result.ok) {
        std::fprintf(stderr, "%s\n", result.problem.c_str());
        return 1;
    }
    std::printf("%s: %llu samples at 100 MHz\n", request.output.c_str(), static_cast<unsigned long long>(result.samples));
    return 0;
}

}  // namespace zel::tools
