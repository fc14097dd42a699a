#include "TraceExport.h"

#include "TablePlans.h"
#include "TraceFileStream.h"
#include "trace/TraceRecord.h"
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
    const bool session = request.format == WaveformFormat::SigrokSession;
    const uint64_t total = file->recordCount() * (session ? 2 : 1);
    uint64_t given = 0;
    bool stopped = false;
    const ReadRecords read = [&](std::span<uint8_t> out) -> size_t {
        if (stopped || (request.progress && !request.progress(given, total))) {
            stopped = true;
            return 0;
        }
        const size_t bytes = file->read(out);
        given += bytes / trace::kRecordSize;
        return bytes;
    };
    auto stop = [&request] {
        std::error_code ignored;
        std::filesystem::remove(request.output, ignored);
        ExportResult result;
        result.stopped = true;
        return result;
    };
    // Each pass follows the addressing mode from the start, so each gets its own plans.
    auto planner = [&context] {
        auto plans = std::make_shared<TablePlans>(context);
        return [plans](uint8_t opcode) -> const BusPlan& { return plans->next(opcode); };
    };

    ExportResult result;
    if (session) {
        const uint64_t samples = countSamples(read, planner(), request.gapCap);
        if (stopped) return stop();
        if (file->failed() || !file->rewind()) return {false, 0, "Error: cannot read " + request.input.string()};
        SampleStream stream(read, planner(), request.gapCap);
        result = writeSigrokSession(request.output, stream, samples, request.gapCap);
    } else {
        SampleStream stream(read, planner(), request.gapCap);
        result = writeValueChangeDump(request.output, stream, request.gapCap);
    }
    if (stopped) return stop();
    if (result.ok && file->failed()) return {false, 0, "Error: cannot read " + request.input.string()};
    return result;
}

}  // namespace zel::traceexport
