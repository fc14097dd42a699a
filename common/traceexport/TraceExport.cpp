#include "TraceExport.h"

#include "TablePlans.h"
#include "TraceFileStream.h"
#include "ValueChangeDump.h"

#include <algorithm>
#include <cctype>

namespace zel::traceexport {

std::optional<WaveformFormat> formatFor(const std::filesystem::path& output) {
    std::string extension = output.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == ".sr") return WaveformFormat::SigrokSession;
    if (extension == ".vcd") return WaveformFormat::ValueChangeDump;
    return std::nullopt;
}

ExportResult exportTrace(const ExportRequest& request, const trace::CommandTable& commands,
                         const trace::CommandIoTable& io) {
    std::string problem;
    auto file = TraceFileStream::open(request.input, problem);
    if (!file) return {false, 0, problem};
    const trace::DecodeContext context{commands, io, file->info().model, file->info().chip, false};
    const ReadRecords read = [&](std::span<uint8_t> out) { return file->read(out); };
    // Each pass follows the addressing mode from the start, so each gets its own plans.
    auto planner = [&context] {
        auto plans = std::make_shared<TablePlans>(context);
        return [plans](uint8_t opcode) -> const BusPlan& { return plans->next(opcode); };
    };

    ExportResult result;
    if (request.format == WaveformFormat::SigrokSession) {
        const uint64_t samples = countSamples(read, planner(), request.gapCap);
        if (file->failed() || !file->rewind()) return {false, 0, "Error: cannot read " + request.input.string()};
        SampleStream stream(read, planner(), request.gapCap);
        result = writeSigrokSession(request.output, stream, samples, request.gapCap);
    } else {
        SampleStream stream(read, planner(), request.gapCap);
        result = writeValueChangeDump(request.output, stream, request.gapCap);
    }
    if (result.ok && file->failed()) return {false, 0, "Error: cannot read " + request.input.string()};
    return result;
}

}  // namespace zel::traceexport
