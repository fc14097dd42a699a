// zeltrace decode: a raw capture as the trace viewer's text, whole or filtered.
#include <cstdio>

#include "OutputFile.h"
#include "Subcommands.h"
#include "TraceInput.h"
#include "trace/TraceFilter.h"
#include "trace/TraceTextWriter.h"
#include "trace/TransactionIndex.h"

namespace zel::zeltrace {
namespace {

using tools::Arguments;

// A hexadecimal value as the viewer's edit fields take it ("%x"), with or without 0x.
bool takeHex(Arguments& args, const char* option, std::uint64_t limit, std::uint64_t& value, bool& given) {
    std::string text;
    if (!args.take(option, text)) return true;
    given = true;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text.erase(0, 2);
    if (tools::parseNumber("0x" + text, limit, value)) return true;
    char bound[24];
    std::snprintf(bound, sizeof bound, "%llX", static_cast<unsigned long long>(limit));
    args.refuse(std::string(option) + " takes a hexadecimal number up to " + bound + ", not " + text);
    return false;
}

struct DecodeOptions {
    std::string output, tables;
    bool translate = false, continuous = false;
    trace::FilterSettings filter;
};

std::optional<DecodeOptions> parseOptions(Arguments& args) {
    DecodeOptions o;
    args.take("-o", o.output);
    args.take("--tables", o.tables);
    o.translate = args.takeFlag("--translate");
    o.continuous = args.takeFlag("--continuous");
    std::uint64_t conditions = 0, special = 0, start = 0, end = 0;
    bool hasConditions = false, hasSpecial = false, hasStart = false, hasEnd = false;
    takeHex(args, "--conditions", trace::kAllConditions, conditions, hasConditions);
    takeHex(args, "--special", 0xFF, special, hasSpecial);
    takeHex(args, "--start", 0xFFFFFFFF, start, hasStart);
    takeHex(args, "--end", 0xFFFFFFFF, end, hasEnd);
    o.filter.maskAddresses = args.takeFlag("--mask");
    o.filter.conditions = static_cast<std::uint16_t>(conditions);
    if (hasSpecial) o.filter.specialCommand = static_cast<std::uint8_t>(special);
    o.filter.start = static_cast<std::uint32_t>(start);
    o.filter.end = static_cast<std::uint32_t>(end);
    if (o.continuous && o.filter.active()) args.refuse("--continuous writes the whole capture; it takes no filter");
    if (!o.filter.active() && (hasStart || hasEnd || o.filter.maskAddresses))
        args.refuse("--start, --end and --mask need --conditions or --special");
    return o;
}

}  // namespace

int runDecode(Arguments& args) {
    const auto options = parseOptions(args);
    if (auto problem = args.problem({"FILE"})) return usageError("decode", *problem);
    auto input = loadTraceInput(args.rest()[0], options->tables);
    if (!input) return kFailed;

    std::string message;
    auto output = OutputFile::open(options->output, message);
    if (!output) return std::fprintf(stderr, "zeltrace: %s\n", message.c_str()), kFailed;
    const auto& capture = input->capture;
    const trace::DecodeContext context{input->commands, input->io, capture.info.model, capture.info.chip,
                                       options->translate};
    if (options->filter.active()) {
        const auto index = trace::TransactionIndex::build(capture.records, capture.info.chip);
        const auto result = trace::filterTrace(capture.records, index, context, options->filter);
        trace::writeResult(result, context, *output);
    } else {
        trace::TraceTextWriter writer(options->continuous ? trace::WriterKind::Continuous : trace::WriterKind::FullTrace,
                                      context, *output);
        writer.writeHeader();
        writer.feed(capture.records);
        writer.flush();
    }
    if (!output->finish(message)) return std::fprintf(stderr, "zeltrace: %s\n", message.c_str()), kFailed;
    return kDone;
}

}  // namespace zel::zeltrace
