#include "ExportCommand.h"

#include "TraceExport.h"
#include "CommandTables.h"

#include <cstdio>

namespace zel::tools {


int exportCommand(Arguments& args) {
    traceexport::ExportRequest request;
    uint64_t gap = 0;
    std::string tablesFolder;
    args.take("--tables", tablesFolder);
    if (args.takeNumber("--max-gap", 40, 1'000'000'000, gap)) request.gapCap = static_cast<uint32_t>(gap / 10);
    if (auto problem = args.problem({"CAPTURE", "OUTPUT"})) return usageError("zeltrace export", *problem, 2);
    request.input = args.rest()[0];
    request.output = args.rest()[1];
    const auto format = traceexport::formatFor(request.output);
    if (!format) return usageError("zeltrace export", "OUTPUT must end in .sr or .vcd: " + request.output.string(), 2);
    request.format = *format;

    std::string problem;
    const auto tables = loadCommandTables(tablesFolder, problem);
    if (!tables) {
        std::fprintf(stderr, "%s\n", problem.c_str());
        return 1;
    }
    const auto result = traceexport::exportTrace(request, tables->commands, tables->io);
    if (!result.ok) {
        std::fprintf(stderr, "%s\n", result.problem.c_str());
        return 1;
    }
    std::printf("%s: %llu samples at 100 MHz\n", request.output.c_str(), static_cast<unsigned long long>(result.samples));
    return 0;
}

}  // namespace zel::tools
