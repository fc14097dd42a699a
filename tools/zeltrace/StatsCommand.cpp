// zeltrace stats: what a raw capture holds.
#include <cstdio>

#include "Subcommands.h"
#include "TraceInput.h"
#include "TraceStats.h"

namespace zel::zeltrace {

int runStats(tools::Arguments& args) {
    std::string tables;
    args.take("--tables", tables);
    if (auto problem = args.problem({"FILE"})) return usageError("stats", *problem);
    auto input = loadTraceInput(args.rest()[0], tables);
    if (!input) return kFailed;
    const auto& capture = input->capture;
    const trace::DecodeContext context{input->commands, input->io, capture.info.model, capture.info.chip, false};
    const auto stats = collectStats(capture.records, context);
    const std::string report = "file: " + args.rest()[0] + "\n" + formatStats(stats, context);
    std::fputs(report.c_str(), stdout);
    return std::fflush(stdout) == 0 ? kDone : kFailed;
}

}  // namespace zel::zeltrace
